// A text in the ANSI code page searched on its bytes: lines are cut and
// counted there, the literals that every match needs are looked for there in
// the code page's bytes, and only the lines that may hold a match are
// converted to UTF-16, each on its own. A line converted on its own is
// exactly the piece of the whole file's conversion that the line search would
// cut, as long as no CR or LF byte is taken as the second byte of a
// double-byte character; a file where that happens is converted whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "search_run.h"

// What the ANSI code page's conversion makes of every byte sequence, asked
// of the conversion itself once per process.
struct CodePageFacts {
    bool usable = false;           // a single- or double-byte code page
    bool lead[256] = {};           // starts a double-byte character
    bool asciiAsIs = false;        // bytes 0 to 0x7F become the same units, one each
    // For each UTF-16 unit: the one byte sequence (one byte, or lead byte * 256
    // + second byte) that converts to it, or kNoSingleSource when none or
    // more than one does.
    std::vector<unsigned> source;
    static constexpr unsigned kNoSingleSource = ~0u;
};

const CodePageFacts& AnsiCodePage();

// The bytes of literal in the code page, when every unit of it has exactly
// one byte sequence that converts to it: then every converted text that holds
// the literal holds those bytes at the same place. False otherwise.
bool EncodeLiteral(const CodePageFacts& cp, const std::wstring& literal, std::string& bytes);

// False when some CR or LF byte in bytes[0, n) would be taken as the second
// byte of a double-byte character by the conversion of the whole text.
bool BreaksStandAlone(const CodePageFacts& cp, const unsigned char* bytes, size_t n);

// The first position p in [from, n) at which want[0, m) occurs whole within
// text[0, n), or n when there is none. An empty literal is at from.
size_t FindBytes(const unsigned char* want, size_t m, const unsigned char* text, size_t from,
                 size_t n);

// One file's bytes as the line search walks them (see lines.cpp): line
// starts are byte positions, the first line starts at 0, and a line's content
// is converted only when it is asked for.
class CodePageText {
public:
    // literals: the skip literals' bytes (EncodeLiteral), one of which every
    // match contains; scratch: the run's buffer for converted lines.
    CodePageText(const CodePageFacts& cp, const unsigned char* bytes, size_t n,
                 const std::vector<std::string>& literals, std::vector<wchar_t>& scratch);

    size_t first() const { return 0; }
    size_t size() const { return n_; }
    size_t NextCandidate(size_t from);
    size_t LineStartOf(size_t from, size_t q) const;
    size_t CountLines(size_t from, size_t to) const;
    // Moves next past the line that starts there and the run of breaks after
    // it; returns where the line's bytes end.
    size_t NextLine(size_t& next) const;
    // The line's content as UTF-16, up to its first zero character; 0 with
    // the conversion's failure text when the conversion fails.
    int Content(size_t start, size_t end, Line& line, wchar_t* statusText);

private:
    const CodePageFacts& cp_;
    const unsigned char* bytes_;
    size_t n_;
    const std::vector<std::string>& literals_;
    std::vector<size_t> next_;  // first occurrence of each literal at or after an earlier from
    bool searched_ = false;     // next_ holds something
    std::vector<wchar_t>& scratch_;
};
