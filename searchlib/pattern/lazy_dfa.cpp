#include "lazy_dfa.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr size_t kUnits = 65536;
constexpr size_t kMaxKinds = 1024;
// The transition table's budget, in entries (4 bytes each), and the bounds
// of the number of states it is shared among.
constexpr size_t kMaxTransitions = size_t(1) << 18;
constexpr size_t kMinStates = 64;
constexpr size_t kMaxStates = 4096;
constexpr size_t kMaxTables = 64;  // sets that one kind's signature can tell apart
// Automaton states one search may visit while it makes deterministic
// states, a few nanoseconds each; lookups of states already made are free.
constexpr size_t kWorkBudget = size_t(1) << 24;
// Automaton states the kernels of all deterministic states may hold.
constexpr size_t kMaxKernelEntries = size_t(1) << 20;

}  // namespace

std::unique_ptr<LazyDfa> LazyDfa::Make(PatternAutomaton automaton) {
    std::unique_ptr<LazyDfa> dfa(new LazyDfa(std::move(automaton)));
    if (!dfa->Partition()) return nullptr;
    dfa->maxStates_ = std::min(kMaxStates, std::max(kMinStates, kMaxTransitions / dfa->kinds_));
    size_t slots = 1;
    while (slots < 2 * dfa->maxStates_) slots <<= 1;
    dfa->slots_.assign(slots, -1);
    const size_t n = dfa->automaton_.states.size();
    dfa->stack_.reserve(n);
    dfa->reached_.reserve(n);
    dfa->kernel_.reserve(n);
    dfa->mark_.assign(n, 0);

    // Past position 0, does the start state alone ever reach a unit or the
    // end? If not, an empty kernel there is the end of the search.
    bool alive = false;
    for (unsigned flags : {0u, kAfterWord}) {
        for (bool nextIsWord : {false, true}) {
            alive = alive || dfa->Closure(nullptr, 0, flags, nextIsWord, false) ||
                    !dfa->reached_.empty();
        }
        alive = alive || dfa->Closure(nullptr, 0, flags, false, true);
    }
    dfa->startDead_ = !alive;
    dfa->Reset();
    return dfa;
}

LazyDfa::LazyDfa(PatternAutomaton automaton) : automaton_(std::move(automaton)) {}

bool LazyDfa::Partition() {
    std::vector<const UnitSet*> tables;
    for (const UnitSet& set : automaton_.sets) tables.push_back(&set);
    const UnitSet* word = nullptr;
    if (automaton_.testsWords) {
        word = NamedClass(L"w");
        if (word == nullptr) return false;
        tables.push_back(word);
    }
    if (tables.size() > kMaxTables) return false;

    std::vector<unsigned char> single(kUnits, 0);
    for (const AutomatonState& s : automaton_.states)
        if (s.kind == AutomatonState::One) single[s.unit] = 1;

    kindOf_.assign(kUnits, 0);
    std::unordered_map<uint64_t, uint16_t> bySignature;
    bool haveLast = false;
    uint64_t lastSignature = 0;
    uint16_t lastKind = 0;
    for (size_t u = 0; u < kUnits; ++u) {
        const wchar_t unit = static_cast<wchar_t>(u);
        if (single[u]) {  // a unit written on its own is a kind of its own
            if (kinds_ == kMaxKinds) return false;
            kindOf_[u] = static_cast<uint16_t>(kinds_++);
            representative_.push_back(unit);
            continue;
        }
        uint64_t signature = 0;
        for (size_t t = 0; t < tables.size(); ++t)
            if (tables[t]->Has(unit)) signature |= uint64_t(1) << t;
        if (!haveLast || signature != lastSignature) {
            auto it = bySignature.find(signature);
            if (it == bySignature.end()) {
                if (kinds_ == kMaxKinds) return false;
                it = bySignature.emplace(signature, static_cast<uint16_t>(kinds_++)).first;
                representative_.push_back(unit);
            }
            haveLast = true;
            lastSignature = signature;
            lastKind = it->second;
        }
        kindOf_[u] = lastKind;
    }
    kindIsWord_.assign(kinds_, 0);
    if (word != nullptr)
        for (size_t k = 0; k < kinds_; ++k) kindIsWord_[k] = word->Has(representative_[k]);
    return true;
}

bool LazyDfa::Closure(const int* kernel, size_t count, unsigned flags, bool nextIsWord,
                      bool atEnd) {
    if (++generation_ == 0) {
        std::fill(mark_.begin(), mark_.end(), 0);
        generation_ = 1;
    }
    stack_.clear();
    reached_.clear();
    auto push = [this](int s) {
        if (mark_[s] != generation_) {
            mark_[s] = generation_;
            stack_.push_back(s);
        }
    };
    push(automaton_.start);
    for (size_t i = 0; i < count; ++i) push(kernel[i]);
    const bool atStart = (flags & kAtStart) != 0;
    const bool afterWord = (flags & kAfterWord) != 0;
    bool accept = false;
    while (!stack_.empty()) {
        const int s = stack_.back();
        stack_.pop_back();
        ++work_;
        const AutomatonState& state = automaton_.states[s];
        switch (state.kind) {
        case AutomatonState::One:
        case AutomatonState::InSet: reached_.push_back(s); break;
        case AutomatonState::Split:
            push(state.next);
            push(state.alt);
            break;
        case AutomatonState::Empty: push(state.next); break;
        case AutomatonState::AtBegin:
            if (atStart) push(state.next);
            break;
        case AutomatonState::AtEnd:
            if (atEnd) push(state.next);
            break;
        case AutomatonState::WordBoundary:
            if (afterWord != nextIsWord) push(state.next);
            break;
        case AutomatonState::NotWordBoundary:
            if (afterWord == nextIsWord) push(state.next);
            break;
        case AutomatonState::Accept: accept = true; break;
        }
    }
    return accept;
}

size_t LazyDfa::Hash(const int* kernel, size_t count, unsigned flags) const {
    uint64_t h = 1469598103934665603ull ^ flags;
    for (size_t i = 0; i < count; ++i)
        h = (h ^ static_cast<uint32_t>(kernel[i])) * 1099511628211ull;
    return static_cast<size_t>(h ^ (h >> 29));
}

void LazyDfa::Reset() {
    ++resets_;
    states_.clear();
    kernels_.clear();
    next_.clear();
    std::fill(slots_.begin(), slots_.end(), -1);
    // State 0 is always the one at position 0.
    states_.push_back({0, 0, kAtStart, -1});
    next_.assign(kinds_, kUnknown);
    slots_[Hash(nullptr, 0, kAtStart) & (slots_.size() - 1)] = 0;
}

int32_t LazyDfa::Intern(unsigned flags) {
    const size_t mask = slots_.size() - 1;
    size_t i = Hash(kernel_.data(), kernel_.size(), flags) & mask;
    for (; slots_[i] >= 0; i = (i + 1) & mask) {
        const DState& d = states_[static_cast<size_t>(slots_[i])];
        if (d.flags == flags && d.count == kernel_.size() &&
            std::equal(kernel_.begin(), kernel_.end(), kernels_.begin() + d.first))
            return slots_[i];
    }
    if (states_.size() >= maxStates_ || kernels_.size() + kernel_.size() > kMaxKernelEntries) {
        Reset();
        return Intern(flags);
    }
    const int32_t id = static_cast<int32_t>(states_.size());
    states_.push_back({kernels_.size(), kernel_.size(), flags, -1});
    kernels_.insert(kernels_.end(), kernel_.begin(), kernel_.end());
    next_.resize(next_.size() + kinds_, kUnknown);
    slots_[i] = id;
    return id;
}

int32_t LazyDfa::Step(int32_t from, size_t kind) {
    const DState d = states_[static_cast<size_t>(from)];
    const bool nextIsWord = kindIsWord_[kind] != 0;
    const size_t entry = static_cast<size_t>(from) * kinds_ + kind;
    if (Closure(kernels_.data() + d.first, d.count, d.flags, nextIsWord, false)) {
        next_[entry] = kMatch;
        return kMatch;
    }
    const wchar_t unit = representative_[kind];
    if (++generation_ == 0) {
        std::fill(mark_.begin(), mark_.end(), 0);
        generation_ = 1;
    }
    kernel_.clear();
    for (int s : reached_) {
        const AutomatonState& state = automaton_.states[s];
        const bool takes = state.kind == AutomatonState::One
                               ? state.unit == unit
                               : automaton_.sets[static_cast<size_t>(state.set)].Has(unit);
        if (takes && mark_[state.next] != generation_) {
            mark_[state.next] = generation_;
            kernel_.push_back(state.next);
        }
    }
    if (kernel_.empty() && startDead_) {
        next_[entry] = kDead;
        return kDead;
    }
    std::sort(kernel_.begin(), kernel_.end());
    work_ += kernel_.size();
    const unsigned flags = automaton_.testsWords && nextIsWord ? kAfterWord : 0;
    const size_t resets = resets_;
    const int32_t to = Intern(flags) * static_cast<int32_t>(kinds_);
    // A reset dropped the state stepped from along with its row.
    if (resets_ == resets) next_[entry] = to;
    return to;
}

bool LazyDfa::AcceptsAtEnd(int32_t state) {
    DState& d = states_[static_cast<size_t>(state)];
    if (d.acceptsAtEnd < 0)
        d.acceptsAtEnd = Closure(kernels_.data() + d.first, d.count, d.flags, false, true) ? 1 : 0;
    return d.acceptsAtEnd == 1;
}

LazyDfa::Answer LazyDfa::Search(const wchar_t* subject, size_t length) {
    // Transitions hold the row where the next state's own transitions
    // begin, so each unit costs two look-ups and no multiplication.
    work_ = 0;
    const uint16_t* kindOf = kindOf_.data();
    const int32_t* next = next_.data();
    int32_t row = 0;
    for (size_t i = 0; i < length; ++i) {
        const size_t kind = kindOf[static_cast<uint16_t>(subject[i])];
        int32_t to = next[static_cast<size_t>(row) + kind];
        if (to < 0) {
            if (to == kUnknown) {
                to = Step(row / static_cast<int32_t>(kinds_), kind);
                if (work_ > kWorkBudget) return Answer::OverBudget;
            }
            if (to == kMatch) return Answer::Found;
            if (to == kDead) return Answer::NotFound;
            next = next_.data();
        }
        row = to;
    }
    return AcceptsAtEnd(row / static_cast<int32_t>(kinds_)) ? Answer::Found : Answer::NotFound;
}
