// A text searched on its bytes, for files read in the ANSI code page or in
// UTF-8: lines are cut and counted on the bytes, the literals that every
// match needs are looked for there in the file's encoding, and only the lines
// that may hold a match are decoded, each on its own. A CR or LF byte is
// never part of a character in either decoding (text_encoding.h), so a line
// decoded on its own is exactly the piece of the whole file's decoding that
// the line search would cut.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run_state.h"
#include "text_encoding.h"

// What the ANSI code page's conversion makes of every byte sequence, asked
// of the conversion itself once per process.
struct CodePageFacts {
    bool usable = false;     // a single- or double-byte code page
    bool lead[256] = {};     // starts a double-byte character
    bool asciiAsIs = false;  // bytes 0 to 0x7F become the same units, one each
    // For each UTF-16 unit: the one byte sequence (one byte, or lead byte * 256
    // + second byte) that converts to it, or kNoSingleSource when none or
    // more than one does.
    std::vector<unsigned> source;
    static constexpr unsigned kNoSingleSource = ~0u;
};

const CodePageFacts& AnsiCodePage();

// Whether bytes 0 to 0x7F but ESC decode to the same units, each to one, in
// UTF-8, the ANSI code page and EUC-JP (and so in ISO-2022-JP's ASCII): then
// 7-bit text without an escape is searched before its file's encoding is
// known, and its records hold whatever the encoding turns out to be.
bool SevenBitReadsAlike();

// The bytes of literal in encoding (Ansi or Utf8), when every text of that
// encoding that holds the literal once decoded holds these bytes at the same
// place: in the ANSI code page every unit of the literal must have exactly one
// byte sequence that converts to it. False otherwise.
bool EncodeLiteral(TextEncoding encoding, const std::wstring& literal, std::string& bytes);

// The two bytes of a literal that a search looks for first, by index: the
// two least likely in ordinary text and source code, so that few places are
// compared in full.
LiteralProbes ChooseByteProbes(const std::string& literal);

// The first position p in [from, n) at which want[0, m) occurs whole within
// text[0, n), or n when there is none; probes are its ChooseByteProbes. An
// empty literal is at from.
size_t FindBytes(const unsigned char* want, size_t m, LiteralProbes probes,
                 const unsigned char* text, size_t from, size_t n);

// One file's bytes as the line search walks them (see lines.cpp): line
// starts are byte positions, the first line starts after the byte-order mark,
// and a line's content is decoded only when it is asked for.
class ByteText {
public:
    // encoding: Ansi or Utf8 (an ill-formed byte decodes to U+FFFD);
    // literals: the skip literals' bytes (EncodeLiteral), one of which every
    // match contains; scratch: the run's buffer for decoded lines.
    ByteText(TextEncoding encoding, const unsigned char* bytes, size_t n, size_t markLength,
             const std::vector<ByteLiteral>& literals, std::vector<wchar_t>& scratch);

    size_t first() const { return first_; }
    size_t size() const { return n_; }
    size_t NextCandidate(size_t from);
    size_t LineStartOf(size_t from, size_t q) const;
    size_t CountLines(size_t from, size_t to) const;
    // Moves next past the line that starts there and the run of breaks after
    // it; returns where the line's bytes end.
    size_t NextLine(size_t& next) const;
    // The line's content as UTF-16; 0 with the conversion's failure text
    // when the decoding fails.
    int Content(size_t start, size_t end, Line& line, wchar_t* statusText);

private:
    TextEncoding encoding_;
    bool asciiAsIs_;
    const unsigned char* bytes_;
    size_t n_;
    size_t first_;
    const std::vector<ByteLiteral>& literals_;
    std::vector<size_t> next_;  // first occurrence of each literal at or after an earlier from
    bool searched_ = false;     // next_ holds something
    std::vector<wchar_t>& scratch_;
};
