// The standard library's regex_search, bounded in work and in stack.
//
// The library's matcher has no limits of its own: its backtracking executor
// recurses once per character consumed (several hundred bytes of stack per
// character, so a few thousand characters can exhaust a thread's stack) and
// can take exponential time. Here the search runs over an iterator that
// counts every step the matcher takes and checks the stack on each one; when
// the step budget is spent or the stack comes within a safety margin of its
// end, it throws a private exception that unwinds out of the matcher, and
// the search reports that it reached its limits. Recursion that takes no
// iterator step (through a chain of alternatives) is bounded by the size of
// the automaton: the caller raises the floor by that much.
#pragma once

#include <cstddef>
#include <cstdint>
#include <regex>

enum class MeteredResult { NotFound, Found, OverLimits };

// The lowest stack address this thread's matcher may use: the end of the
// thread's stack plus a margin for the throw and the unwinding.
uintptr_t StackFloor();

// Room left on this thread's stack above floor, in bytes.
size_t StackRoom(uintptr_t floor);

struct SearchBounds {
    long long steps;        // iterator steps the search may take
    long long advanceCost;  // steps charged for each move of the iterator
    uintptr_t stackFloor;
};

MeteredResult MeteredSearch(const std::wregex& regex, const wchar_t* subject, size_t length,
                            std::regex_constants::match_flag_type flags,
                            const SearchBounds& bounds);

// The same search, telling where the match that regex_search finds starts in
// the subject and how long it is (both set only when Found).
MeteredResult MeteredFirstMatch(const std::wregex& regex, const wchar_t* subject, size_t length,
                                const SearchBounds& bounds, size_t* start, size_t* matchLength);

// The same search begun at subject[from] with more match flags, the units
// before from taken as what precedes the match (for ^ and \b), the start
// counted from subject[0]. The steps taken come off bounds.steps, so that a
// series of searches along one line shares one budget.
MeteredResult MeteredMatchFrom(const std::wregex& regex, const wchar_t* subject, size_t length,
                               size_t from, std::regex_constants::match_flag_type flags,
                               SearchBounds& bounds, size_t* start, size_t* matchLength);
