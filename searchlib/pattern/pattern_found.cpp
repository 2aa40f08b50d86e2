#include "pattern_found.h"

#include <windows.h>

#include <algorithm>
#include <locale>
#include <new>
#include <regex>

#include "fold_pattern.h"
#include "folding.h"
#include "ime_characters.h"
#include "lazy_dfa.h"
#include "literal_search.h"
#include "metered_search.h"
#include "pattern_plan.h"
#include "pattern_texts.h"
#include "unit_classes.h"

// How a subject is searched, cheapest first:
// - a pattern of literals alone (joined by |, anchored by ^ and $ or not) is
//   answered by plain substring comparison;
// - a pattern the automaton covers (pattern_automaton.h) is searched by the
//   lazy deterministic automaton, in one pass over the subject;
// - a literal that every match must contain, missing from the subject,
//   answers 0 without the matcher;
// - otherwise the standard matcher runs, bounded (metered_search.h): the
//   backtracking executor first, as std::regex_search itself would, on
//   subjects short enough for it; when that reaches its bounds, or the subject
//   is long, a pattern without back-references is searched by the library's
//   breadth-first executor, whose time is polynomial and whose recursion is
//   bounded by the pattern rather than by the subject. Without look-ahead
//   that is one left-to-right pass of "[^]*?(?:pattern)" anchored at the
//   start, linear in the subject; ^, $ and \b see the same neighbours there
//   as at each start position of an ordinary search.
// A pattern tested with folding is rewritten to match folded text
// (fold_pattern.h) and every subject is folded before the same steps; the
// literals to skip by are then looked for in the unfolded text through
// their folding (folded_scan.h). An option only adds hits: where folding
// could make a subject fail that the pattern as written finds (a pattern
// that mayNarrow, a subject whose folding joined two units), a subject the
// folded test does not find is tested as it is with the pattern as written.

namespace {

// Subjects up to this length go to the backtracking executor first; it needs
// about 1 KB of stack for every character it has consumed.
constexpr size_t kBacktrackLength = 512;
// Steps the backtracking executor may take, per subject unit, when the
// breadth-first executor can take over: an ordinary search takes 10 to 30.
constexpr long long kBacktrackStepsPerUnit = 32;
constexpr long long kBacktrackStepsBase = 4096;
// Steps one test may take in all; a step of the backtracking executor costs
// 25 to 100 ns, one of the breadth-first executor 100 to 300 ns, so either
// ends within a few seconds.
constexpr long long kBacktrackSteps = 30000000;
constexpr long long kBreadthFirstSteps = 15000000;
// The breadth-first executor clears a table of all its states for every
// character: charged as one step for this many states.
constexpr size_t kStatesPerStep = 2048;
// Stack the executors may use, without an iterator step, for each state of
// the automaton (a chain of alternatives), measured at up to 180 bytes a state.
constexpr size_t kStackPerState = 192;
// Stack the compiler needs: it recurses once for every term, measured at up
// to 128 bytes, and a few times more for every group it is inside, up to
// 540 bytes for each enclosing parenthesis.
constexpr size_t kCompileStackPerUnit = 192;
constexpr size_t kCompileStackPerGroup = 768;

const wchar_t kAnywherePrefix[] = L"[^]*?(?:";
const wchar_t kAnywhereSuffix[] = L")";

enum class Step { Found, NotFound, OverLimits };

}  // namespace

struct RunPattern::Compiled {
    const wchar_t* fault = nullptr;  // why the pattern can't be used, if it can't
    std::wstring faultText;          // the fault when it is composed for this pattern

    std::wstring source;       // the pattern as compiled (folded, EscapeNarrowedSpecials)
    const Folding* folding = nullptr;  // the subjects' folding, when there is one
    bool mayNarrow = false;            // FoldedPattern's
    bool joinsKana = false;
    std::unique_ptr<Compiled> plain;   // the pattern without folding, made when first needed
    std::vector<FoldedProbe> foldedProbes;  // one for each of skipBy, when folded
    std::vector<wchar_t> foldedSubject;     // scratch, reused from test to test
    ByteSkip byteSkip = ByteSkip::Exact;
    PatternPlan plan;
    // The literals one of which every match contains, to skip by: the
    // alternatives of a literal pattern or the plan's most selective
    // required entry; null when there are none.
    const std::vector<AnchoredLiteral>* skipBy = nullptr;
    std::unique_ptr<LazyDfa> dfa;  // the linear search, for the patterns it covers
    std::wregex backtracking;  // exactly the reference: ECMAScript, nothing else
    std::wregex breadthFirst;  // the same with the polynomial executor
    std::wregex anywhere;      // "[^]*?(?:pattern)" with the polynomial executor
    bool hasBreadthFirst = false;
    bool anywhereTried = false;
    bool hasAnywhere = false;

    DWORD thread = 0;
    uintptr_t stackFloor = 0;
};

namespace {

using Flags = std::regex_constants::syntax_option_type;

// Compiles with the library's own classes, whatever the global locale holds.
void CompileInto(std::wregex& regex, const std::wstring& pattern, Flags flags) {
    regex.imbue(PatternLocale());
    regex.assign(pattern, flags);
}

// Captures are never read, so the breadth-first forms keep none.
Flags PolynomialFlags() {
#ifdef __GLIBCXX__
    return std::regex_constants::ECMAScript | std::regex_constants::__polynomial |
           std::regex_constants::nosubs;
#else
    return std::regex_constants::ECMAScript;
#endif
}

// The reason for a compiler error. The standard library reports a repeat
// with nothing to repeat (a wildcard such as "*.txt") and an unknown "(?"
// form as a mismatched parenthesis, and an unknown class name as an unknown
// collating element; the pattern's own text tells them apart.
const wchar_t* CompileReason(const std::wstring& pattern, std::regex_constants::error_type code) {
    if (code == std::regex_constants::error_paren) {
        switch (FirstFlaw(pattern)) {
        case PatternFlaw::NothingToRepeat:
            return PatternErrorReason(std::regex_constants::error_badrepeat);
        case PatternFlaw::UnknownGroup:
            return kPatternSyntaxReason;
        case PatternFlaw::Other:
            break;
        }
    }
    if (code == std::regex_constants::error_collate && FirstUnknownNameKind(pattern) == L':')
        return PatternErrorReason(std::regex_constants::error_ctype);
    return PatternErrorReason(code);
}

// The literals that TextScan skips by. An empty literal skips nothing.
const std::vector<AnchoredLiteral>* SkipLiterals(const PatternPlan& plan) {
    auto usable = [](const std::vector<AnchoredLiteral>& literals) {
        return !literals.empty() && literals.size() <= TextScan::kMaxLiterals &&
               std::none_of(literals.begin(), literals.end(),
                            [](const AnchoredLiteral& lit) { return lit.text.empty(); });
    };
    if (plan.literalsOnly) return usable(plan.alternatives) ? &plan.alternatives : nullptr;
    // The longest shortest literal skips the most; fewer literals break ties.
    const std::vector<AnchoredLiteral>* best = nullptr;
    size_t bestShortest = 0;
    for (const RequiredAnyOf& anyOf : plan.required) {
        if (!usable(anyOf)) continue;
        size_t shortest = SIZE_MAX;
        for (const AnchoredLiteral& lit : anyOf) shortest = std::min(shortest, lit.text.size());
        if (!best || shortest > bestShortest ||
            (shortest == bestShortest && anyOf.size() < best->size())) {
            best = &anyOf;
            bestShortest = shortest;
        }
    }
    return best;
}

// Null when the pattern is beyond the automaton, or memory runs short while
// it is made: the library's matcher then searches alone.
std::unique_ptr<LazyDfa> MakeDfa(const std::wstring& source) {
    try {
        PatternAutomaton automaton;
        if (!BuildAutomaton(source, automaton)) return nullptr;
        return LazyDfa::Make(std::move(automaton));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

uintptr_t FloorForThisThread(RunPattern::Compiled& c) {
    DWORD thread = GetCurrentThreadId();
    if (c.thread != thread) {
        c.thread = thread;
        c.stackFloor = StackFloor();
    }
    return c.stackFloor;
}

bool CompileRoom(RunPattern::Compiled& c, const std::wstring& source) {
    size_t groups = static_cast<size_t>(std::count(source.begin(), source.end(), L'('));
    size_t need = source.size() * kCompileStackPerUnit + groups * kCompileStackPerGroup;
    return need < StackRoom(FloorForThisThread(c));
}

// The probes to find the skip literals by in unfolded text; no skipping when
// some literal has none.
void ChooseFoldedProbes(RunPattern::Compiled& c) {
    if (!c.folding || !c.skipBy) return;
    for (const AnchoredLiteral& lit : *c.skipBy) {
        c.foldedProbes.push_back(ChooseFoldedProbe(*c.folding, lit.text));
        if (c.foldedProbes.back().sources.empty()) {
            c.foldedProbes.clear();
            c.skipBy = nullptr;
            return;
        }
    }
}

// Whether the folded skip literals can be looked for in bytes: as they are
// when every unit of them folds from itself alone (a kanji), ignoring ASCII
// case when they are ASCII and so is every unit that folds to them (or the
// text is ASCII, where full-width sources can't occur).
ByteSkip ChooseByteSkip(const RunPattern::Compiled& c) {
    if (!c.folding || !c.skipBy) return ByteSkip::Exact;
    bool exact = true, ascii = true, asciiSources = true;
    for (const AnchoredLiteral& lit : *c.skipBy) {
        for (wchar_t u : lit.text) {
            const std::vector<wchar_t> sources = c.folding->Sources(u);
            exact = exact && sources.size() == 1 && sources[0] == u;
            ascii = ascii && u < 0x80;
            for (wchar_t source : sources) asciiSources = asciiSources && source < 0x80;
        }
    }
    return exact ? ByteSkip::Exact
           : !ascii ? ByteSkip::None
           : asciiSources ? ByteSkip::AsciiCase
                          : ByteSkip::AsciiCaseInAsciiText;
}

std::unique_ptr<RunPattern::Compiled> Compile(const std::wstring& pattern, int foldFlags) {
    auto c = std::make_unique<RunPattern::Compiled>();
    const size_t ime = FindImeCharacter(pattern);
    if (ime != std::wstring::npos) {
        c->faultText = ImeCharacterReason(pattern, ime);
        c->fault = c->faultText.c_str();
        return c;
    }
    c->folding = Folding::For(foldFlags);
    if (c->folding) {
        FoldedPattern folded = FoldPattern(pattern, *c->folding);
        c->source = EscapeNarrowedSpecials(folded.source);
        c->mayNarrow = folded.mayNarrow;
        c->joinsKana = folded.joinsKana;
    } else {
        c->source = EscapeNarrowedSpecials(pattern);
    }
    const std::wstring& source = c->source;
    if (!CompileRoom(*c, source)) {
        c->fault = kPatternTooLongReason;
        return c;
    }
    try {
        CompileInto(c->backtracking, source, std::regex_constants::ECMAScript);
    } catch (const std::regex_error& e) {
        c->fault = CompileReason(source, e.code());
        return c;
    }
    c->plan = PlanPattern(source);
    // A literal the pattern names in half-width katakana may be joined away
    // in the folded text where the subject as it is holds it.
    c->skipBy = c->joinsKana ? nullptr : SkipLiterals(c->plan);
    ChooseFoldedProbes(*c);
    c->byteSkip = ChooseByteSkip(*c);
    if (c->plan.literalsOnly) return c;
    c->dfa = MakeDfa(source);
#ifdef __GLIBCXX__
    try {
        CompileInto(c->breadthFirst, source, PolynomialFlags());
        c->hasBreadthFirst = true;
    } catch (const std::regex_error&) {
        // Back-references: only the backtracking executor matches them.
    }
#endif
    return c;
}

Step FromMetered(MeteredResult r) {
    return r == MeteredResult::Found      ? Step::Found
           : r == MeteredResult::NotFound ? Step::NotFound
                                          : Step::OverLimits;
}

SearchBounds BreadthFirstBounds(const RunPattern::Compiled& c, uintptr_t floor) {
    return {kBreadthFirstSteps, 1 + static_cast<long long>(c.plan.stateEstimate / kStatesPerStep),
            floor};
}

Step SearchBreadthFirst(RunPattern::Compiled& c, const wchar_t* subject, size_t length,
                        uintptr_t floor) {
    if (!c.plan.looksAhead && !c.anywhereTried) {
        c.anywhereTried = true;
        const std::wstring anywhere = kAnywherePrefix + c.source + kAnywhereSuffix;
        if (CompileRoom(c, anywhere)) {
            try {
                CompileInto(c.anywhere, anywhere, PolynomialFlags());
                c.hasAnywhere = true;
            } catch (const std::regex_error&) {
            }
        }
    }
    if (c.hasAnywhere && !c.plan.looksAhead) {
        return FromMetered(MeteredSearch(c.anywhere, subject, length,
                                         std::regex_constants::match_continuous,
                                         BreadthFirstBounds(c, floor)));
    }
    return FromMetered(MeteredSearch(c.breadthFirst, subject, length,
                                     std::regex_constants::match_default,
                                     BreadthFirstBounds(c, floor)));
}

Step Search(RunPattern::Compiled& c, const wchar_t* subject, size_t length) {
    if (c.plan.literalsOnly)
        return LiteralsFound(c.plan, subject, length) ? Step::Found : Step::NotFound;
    if (c.dfa) {
        switch (c.dfa->Search(subject, length)) {
        case LazyDfa::Answer::Found: return Step::Found;
        case LazyDfa::Answer::NotFound: return Step::NotFound;
        case LazyDfa::Answer::OverBudget: break;  // the library's bounded search decides
        }
    }
    if (!RequiredPresent(c.plan, subject, length)) return Step::NotFound;

    // The meter stops the matcher early enough that the deepest recursion it
    // can make between two steps still fits.
    uintptr_t floor = FloorForThisThread(c) + c.plan.stateEstimate * kStackPerState;
    // That recursion can come before the first step: without the room for it
    // the matcher isn't started at all.
    if (StackRoom(floor) == 0) return Step::OverLimits;
    if (c.hasBreadthFirst && length > kBacktrackLength)
        return SearchBreadthFirst(c, subject, length, floor);
    long long steps = c.hasBreadthFirst
                          ? kBacktrackStepsBase + kBacktrackStepsPerUnit * static_cast<long long>(length)
                          : kBacktrackSteps;
    SearchBounds bounds{steps, 1, floor};
    Step step = FromMetered(MeteredSearch(c.backtracking, subject, length,
                                          std::regex_constants::match_default, bounds));
    if (step != Step::OverLimits || !c.hasBreadthFirst) return step;
    return SearchBreadthFirst(c, subject, length, floor);
}

}  // namespace

RunPattern::RunPattern(const wchar_t* pattern, PatternRole role, int foldFlags)
    : pattern_(pattern ? pattern : L""), role_(role), foldFlags_(foldFlags) {}

RunPattern::~RunPattern() = default;

const std::vector<AnchoredLiteral>* RunPattern::skipLiterals() const {
    if (!compiled_ || compiled_->fault || compiled_->byteSkip == ByteSkip::None) return nullptr;
    return compiled_->skipBy;
}

// Compiles p once; why it can't be used, or null when it can. May throw
// std::bad_alloc.
const wchar_t* CompiledFault(RunPattern& p) {
    if (!p.compiled_) p.compiled_ = Compile(p.text(), p.foldFlags_);
    return p.compiled_->fault;
}

int FnCompilePattern(RunPattern& p, wchar_t* statusText) {
    const wchar_t* reason = kPatternNoMemoryReason;
    try {
        reason = CompiledFault(p);
        if (reason == nullptr) return 1;
    } catch (const std::bad_alloc&) {
        reason = kPatternNoMemoryReason;
    } catch (...) {
        reason = kPatternLimitsReason;
    }
    ComposePatternFailure(statusText, p.role(), p.text(), PatternStage::Compile, reason);
    return 0;
}

ByteSkip RunPattern::byteSkip() const {
    return compiled_ ? compiled_->byteSkip : ByteSkip::Exact;
}

int FnPatternFound(RunPattern& p, const wchar_t* subject, size_t length, wchar_t* statusText) {
    PatternStage stage = PatternStage::Compile;
    const wchar_t* reason = kPatternNoMemoryReason;
    try {
        const wchar_t* fault = CompiledFault(p);
        RunPattern::Compiled& c = *p.compiled_;
        if (fault) {
            reason = fault;
        } else {
            stage = PatternStage::Search;
            Step step;
            if (c.folding) {
                const bool joined = c.folding->Fold(subject, length, c.foldedSubject);
                step = Search(c, c.foldedSubject.data(), c.foldedSubject.size());
                if (step == Step::NotFound && (c.mayNarrow || joined)) {
                    if (!c.plain) c.plain = Compile(p.text(), 0);
                    if (!c.plain->fault) step = Search(*c.plain, subject, length);
                }
            } else {
                step = Search(c, subject, length);
            }
            switch (step) {
            case Step::Found: return 1;
            case Step::NotFound: return 0;
            case Step::OverLimits: reason = kPatternLimitsReason; break;
            }
        }
    } catch (const std::bad_alloc&) {
        reason = kPatternNoMemoryReason;
    } catch (...) {
        reason = kPatternLimitsReason;
    }
    p.failedInSearch_ = stage == PatternStage::Search;
    ComposePatternFailure(statusText, p.role(), p.text(), stage, reason);
    return -1;
}

size_t TextScan::NextCandidate(size_t from) {
    if (!settled_) {
        const RunPattern::Compiled* c = pattern_.compiled_.get();
        if (c == nullptr) return from;
        settled_ = true;
        if (c->fault == nullptr && c->skipBy != nullptr) {
            literals_ = c->skipBy->data();
            literalCount_ = c->skipBy->size();
            // Literals that only themselves fold to are found as they are.
            if (c->folding && c->byteSkip != ByteSkip::Exact) {
                folding_ = c->folding;
                probes_ = c->foldedProbes.data();
            }
        }
    }
    size_t first = n_;
    for (size_t i = 0; i < literalCount_; ++i) {
        if (next_[i] < from) {
            const AnchoredLiteral& lit = literals_[i];
            next_[i] = folding_ ? FindFolded(*folding_, lit.text, probes_[i], text_, from, n_,
                                             window_)
                                : FindLiteral(lit.text.data(), lit.text.size(), lit.probes,
                                              text_, from, n_);
        }
        first = std::min(first, next_[i]);
    }
    return literalCount_ == 0 ? from : first;
}
