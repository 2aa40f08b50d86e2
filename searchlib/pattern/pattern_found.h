// The one pattern test of the library: is an ECMAScript pattern found
// anywhere in a subject of UTF-16 code units?
//
// A RunPattern belongs to one search run. It is compiled once, by
// FnCompilePattern or else at its first test, and kept for the rest of the
// run. A search run compiles both patterns before it writes anything, so a
// faulty one costs no results file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "folded_scan.h"

struct AnchoredLiteral;

// How a folded pattern's skip literals can be looked for in a file's bytes.
enum class ByteSkip {
    Exact,                 // as they are: every unit folds from itself alone
    AsciiCase,             // ASCII, letters in either case, in any text
    AsciiCaseInAsciiText,  // the same, in a text of ASCII bytes alone
    None,                  // not in bytes
};

enum class PatternRole {
    Path = 1,  // pattern 1, tested against every entry path
    Line = 2,  // pattern 2, tested against every line
};

class RunPattern {
public:
    // foldFlags: the TESSUMI_IGNORE_ flags the pattern is tested with
    // (folding.h); the subjects stay as they are, the test folds them.
    RunPattern(const wchar_t* pattern, PatternRole role, int foldFlags = 0);
    ~RunPattern();
    RunPattern(const RunPattern&) = delete;
    RunPattern& operator=(const RunPattern&) = delete;

    const std::wstring& text() const { return pattern_; }
    PatternRole role() const { return role_; }
    bool compiled() const { return compiled_ != nullptr; }
    // The last failed test had a pattern that compiled, and reached the
    // limits of one search (or memory ran out in it).
    bool failedInSearch() const { return failedInSearch_; }
    // The literals one of which every match contains (TextScan skips by
    // them), folded when the pattern is; null before the pattern is
    // compiled, for a faulty one, when there are none and when they are
    // folded and byteSkip() is None.
    const std::vector<AnchoredLiteral>* skipLiterals() const;
    // How skipLiterals() are looked for in bytes: Exact for a pattern that
    // is not folded.
    ByteSkip byteSkip() const;

    struct Compiled;  // the matcher and what the pattern's text tells, built on first use

private:
    friend int FnPatternFound(RunPattern&, const wchar_t*, size_t, wchar_t*);
    friend const wchar_t* CompiledFault(RunPattern&);
    friend class TextScan;
    std::wstring pattern_;
    PatternRole role_;
    int foldFlags_;
    bool failedInSearch_ = false;
    std::unique_ptr<Compiled> compiled_;
};

// Answers 1 when the pattern is found in subject[0, length) and 0 when it is
// not, exactly as std::regex_search with an ECMAScript std::wregex and the
// default flags answers, and leaves statusText untouched. A test that has no
// answer (a faulty pattern, a search that reached the limits of one test,
// memory exhausted) returns -1 and leaves a failure text that names the
// pattern and the cause in statusText; the run then ends. A faulty pattern
// gives the same failure at every later test of the run.
int FnPatternFound(RunPattern& pattern, const wchar_t* subject, size_t length,
                   wchar_t* statusText);

// Compiles the pattern now, if it isn't yet: 1 when it can be used, 0 with
// the failure text its first test would leave.
int FnCompilePattern(RunPattern& pattern, wchar_t* statusText);

// Where the lines of one loaded text can hold a match. Lines are pieces of
// the text, so a literal that every match contains, absent from the text
// after some position, is absent from every line that starts there. Made
// for each text; it keeps where each literal next occurs, so the whole text
// is searched once however many lines are asked about.
class TextScan {
public:
    TextScan(const RunPattern& pattern, const wchar_t* text, size_t n)
        : pattern_(pattern), text_(text), n_(n) {}

    // The first position at or after from where such a literal begins, or
    // n when none does; from itself while the pattern gives nothing to skip
    // by, among others before its first test has compiled it.
    size_t NextCandidate(size_t from);

    static constexpr size_t kMaxLiterals = 8;  // more alternatives: no skipping

private:
    const RunPattern& pattern_;
    const wchar_t* text_;
    size_t n_;
    bool settled_ = false;  // the pattern was compiled when last asked
    size_t literalCount_ = 0;
    const AnchoredLiteral* literals_ = nullptr;
    size_t next_[kMaxLiterals] = {};  // first occurrence at or after an earlier from
    const class Folding* folding_ = nullptr;  // the literals are folded
    const FoldedProbe* probes_ = nullptr;
    FoldedWindow window_;
};
