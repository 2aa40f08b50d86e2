// What a pattern's own text tells before any matching: whether it is nothing
// but literals, which literals every match must contain, whether it looks
// ahead, and roughly how large its automaton is.
//
// The scan follows the tokens of the standard library's ECMAScript compiler
// as this library's toolchain builds it (libstdc++), \cX and all; a plan is
// made only for a pattern that the compiler accepted. It is conservative: on
// anything it does not follow for certain it gives up, and the pattern is
// then searched by the matcher alone.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "literal_search.h"

// A literal that a match may need at the start or end of the subject.
struct AnchoredLiteral {
    std::wstring text;
    bool atStart = false;  // written after ^
    bool atEnd = false;    // written before $
    LiteralProbes probes;  // the units a search looks for first (ChooseProbes)
};

// One of these literals occurs, where its anchors say, in every subject in
// which the pattern is found.
using RequiredAnyOf = std::vector<AnchoredLiteral>;

struct PatternPlan {
    bool understood = false;  // the scan followed the whole pattern
    // The pattern is the alternatives below and nothing else: it is found
    // exactly when one of them is.
    bool literalsOnly = false;
    std::vector<AnchoredLiteral> alternatives;
    // Needs every entry satisfied, strongest first; empty when nothing is sure.
    std::vector<RequiredAnyOf> required;
    bool looksAhead = true;  // holds (?= or (?!, or the scan gave up
    // At least the number of states of the compiled automaton, which bounds
    // how deep the executors recurse without consuming a character.
    size_t stateEstimate = 0;
};

PatternPlan PlanPattern(const std::wstring& pattern);

// The pattern with every unit outside ASCII that the compiler's scanner would
// narrow onto a special character (the C runtime maps U+00A5 onto \ and
// U+00A6 onto |, for instance) written as \uXXXX where the scanner would read
// it as a character of its own. The scanner then takes each for itself, as
// the grammar does; read raw, some act as operators and others leave the
// scanner's token unset.
std::wstring EscapeNarrowedSpecials(const std::wstring& pattern);

// The first flaw a scan meets in a pattern the compiler refused, where the
// compiler's own code misleads: it reports a repeat that follows nothing it
// can repeat, and "(?" followed by a character other than :, = and !, as a
// mismatched parenthesis.
enum class PatternFlaw { Other, NothingToRepeat, UnknownGroup };
PatternFlaw FirstFlaw(const std::wstring& pattern);

// Which kind of name, in a bracket expression, is the first one the compiler
// can't look up: L':' for a class ([:name:]), L'.' for a collating element
// ([.name.]), L'=' for an equivalence class ([=name=]); 0 when there is
// none. The compiler reports an unknown class name as an unknown collating
// element.
wchar_t FirstUnknownNameKind(const std::wstring& pattern);

// Whether one of the plan's alternatives occurs in subject where its anchors
// allow: the answer for a plan that is literalsOnly.
bool LiteralsFound(const PatternPlan& plan, const wchar_t* subject, size_t length);

// False when some required literal is missing, so the pattern can't be found.
bool RequiredPresent(const PatternPlan& plan, const wchar_t* subject, size_t length);
