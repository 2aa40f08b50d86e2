// A search with a pattern's automaton in one pass over the subject: the
// automaton is made deterministic as the subjects need it, one state and
// one transition at a time, and what is made is kept for the rest of the
// run. Every unit of a subject costs one table look-up once the states it
// meets exist; making a state costs at most the size of the automaton, and
// when the states made fill their budget they are all dropped and made
// again, so time stays linear in the subject and memory bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "pattern_automaton.h"

class LazyDfa {
public:
    // Null when the automaton's sets split the units into more kinds than
    // the tables are meant for.
    static std::unique_ptr<LazyDfa> Make(PatternAutomaton automaton);

    enum class Answer { NotFound, Found, OverBudget };

    // Whether the pattern is found anywhere in subject[0, length), as
    // std::regex_search answers; OverBudget when making the states it needs
    // took more work than one search may (a pattern whose states keep being
    // dropped and made again).
    Answer Search(const wchar_t* subject, size_t length);

    // How often the states made were dropped for want of room.
    size_t resets() const { return resets_ - 1; }

private:
    // A deterministic state: the automaton's states reached right after a
    // unit (the start state, where a new attempt begins at every position,
    // is left out), with what the assertions need to know of the position.
    struct DState {
        size_t first;  // into kernels_
        size_t count;
        unsigned flags;
        int acceptsAtEnd;  // -1 until known
    };
    static constexpr unsigned kAtStart = 1;   // position 0
    static constexpr unsigned kAfterWord = 2;  // the unit before is a word unit

    static constexpr int32_t kUnknown = -1;
    static constexpr int32_t kMatch = -2;  // a match ends before the unit
    static constexpr int32_t kDead = -3;   // no match can begin or go on

    explicit LazyDfa(PatternAutomaton automaton);
    bool Partition();
    bool Closure(const int* kernel, size_t count, unsigned flags, bool nextIsWord, bool atEnd);
    int32_t Step(int32_t from, size_t kind);  // the next state's row, or kMatch or kDead
    bool AcceptsAtEnd(int32_t state);
    int32_t Intern(unsigned flags);
    void Reset();
    size_t Hash(const int* kernel, size_t count, unsigned flags) const;

    PatternAutomaton automaton_;

    // Units of one kind are alike for every set and for the word test.
    std::vector<uint16_t> kindOf_;        // 65,536 entries
    std::vector<wchar_t> representative_;  // a unit of each kind
    std::vector<unsigned char> kindIsWord_;
    size_t kinds_ = 0;
    bool startDead_ = false;  // the start state alone, past position 0, never matches

    std::vector<DState> states_;
    std::vector<int> kernels_;
    std::vector<int32_t> next_;  // states_.size() x kinds_: rows of next states
    std::vector<int32_t> slots_;  // open addressing over states_
    size_t maxStates_ = 0;
    size_t resets_ = 0;
    size_t work_ = 0;  // automaton states visited while making states, this search

    // Scratch of one step, sized once.
    std::vector<int> stack_;
    std::vector<int> reached_;  // unit-consuming states of a closure
    std::vector<int> kernel_;
    std::vector<uint32_t> mark_;
    uint32_t generation_ = 0;
};
