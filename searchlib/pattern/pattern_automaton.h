// A pattern as an automaton over UTF-16 code units (Thompson's
// construction), for the patterns most searches use: literals, escapes,
// bracket expressions, the class escapes, ".", groups, alternation, every
// repeat, ^, $, \b and \B. Built from the text of a pattern that the
// standard library's compiler accepted, read exactly as that compiler reads
// it (libstdc++'s ECMAScript scanner), so that the automaton finds a match
// in exactly the subjects where the library's search does.
//
// Back-references, look-ahead, collating elements, equivalence classes,
// large counted repeats and whatever the reader does not follow for certain
// give no automaton: such a pattern is left to the library's matcher.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "unit_classes.h"

struct AutomatonState {
    enum Kind : unsigned char {
        One,              // consumes the unit `unit`
        InSet,            // consumes one unit of sets[set]
        Split,            // goes on at next and at alt
        Empty,            // goes on at next
        AtBegin,          // ^: only at the subject's start
        AtEnd,            // $: only at the subject's end
        WordBoundary,     // \b
        NotWordBoundary,  // \B
        Accept,
    };
    Kind kind = Empty;
    wchar_t unit = 0;
    int set = -1;
    int next = -1;
    int alt = -1;
};

struct PatternAutomaton {
    std::vector<AutomatonState> states;
    std::vector<UnitSet> sets;  // each distinct set once; single units stand in One states
    int start = -1;
    bool testsWords = false;  // holds \b or \B
};

// The largest automaton built; beyond it the library's matcher is used.
constexpr size_t kMaxAutomatonStates = 4000;

// False when the pattern uses anything the automaton does not cover.
bool BuildAutomaton(const std::wstring& source, PatternAutomaton& automaton);
