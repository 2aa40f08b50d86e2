// The view's position searches in one line (FnFirstMatch, FnAllMatches):
// the last pattern asked about, kept compiled, since the view asks for every
// line it draws with the same pattern.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

class Folding;
class RunPattern;

// Steps the position search may take per unit of the line, and at least:
// enough for what the search itself found, bounded for a line in view.
constexpr long long kStepsPerUnit = 64;
constexpr long long kStepsBase = 65536;

struct Matcher {
    std::wstring pattern;
    int flags = 0;
    std::unique_ptr<RunPattern> found;
    const Folding* folding = nullptr;  // the line is folded before it is searched
    std::wregex locate;
    bool locatable = false;
    // Under folding, the pattern as written, for a line that only it finds.
    std::wregex locatePlain;
    bool plainLocatable = false;
    std::vector<wchar_t> folded;  // reused from line to line
    std::vector<size_t> at;       // each folded unit's first unit in the line
    std::wstring withNuls;        // the line with its U+2400 read as NUL
};

// The search's own answer for a line as a record shows it (FnPatternFound:
// 1, 0, or -1 with the failure text). A record writes each NUL of its line
// as U+2400: the line is matched first as the search matched it, NULs and
// all, and as given when only that finds the pattern (a ␀ of the file's
// own). subject is moved to the text that matched.
int FoundAsSearched(Matcher& m, const wchar_t*& subject, size_t n, wchar_t* statusText);

// Hands `use` the matcher of pattern and flags, compiled when it is not the
// last one, to one caller at a time; returns what use returns.
int WithMatcher(const wchar_t* pattern, int flags, const std::function<int(Matcher&)>& use);
