#include "pattern_plan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <locale>
#include <regex>
#include <string_view>

#include "literal_search.h"
#include "unit_classes.h"

namespace {

constexpr size_t kMaxRequired = 3;     // required entries checked before the matcher runs
constexpr size_t kMaxAnyOf = 8;        // literals one required entry may offer
constexpr size_t kStateCap = 1000000;  // the estimate saturates here
constexpr int kMaxNesting = 200;       // deeper groups: the scan gives up, its stack stays small

// The characters the compiler's scanner treats specially outside brackets.
const char kSpecial[] = "^$\\.*+?()[]{}|";

bool IsSpecial(char c) { return c != '\0' && std::strchr(kSpecial, c) != nullptr; }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t SaturatingAdd(size_t a, size_t b) { return std::min(kStateCap, a + b); }
size_t SaturatingMul(size_t a, size_t b) {
    if (a == 0 || b == 0) return 0;
    return a > kStateCap / b ? kStateCap : std::min(kStateCap, a * b);
}

// The shortest literal of an entry: how much it filters.
size_t Strength(const RequiredAnyOf& anyOf) {
    size_t s = SIZE_MAX;
    for (const AnchoredLiteral& lit : anyOf) s = std::min(s, lit.text.size());
    return anyOf.empty() ? 0 : s;
}

// Anchored literals are checked in constant time: they go first.
bool Anchored(const RequiredAnyOf& anyOf) {
    return std::all_of(anyOf.begin(), anyOf.end(),
                       [](const AnchoredLiteral& lit) { return lit.atStart || lit.atEnd; });
}

// The literal characters met since the last break, and whether ^ came
// right before them.
struct Run {
    std::wstring text;
    bool atStart = false;
};

struct Branch {
    std::vector<RequiredAnyOf> required;
    bool pure = true;  // ^, plain characters and $ only, in that order
    AnchoredLiteral literal;
    size_t items = 0;
    size_t states = 0;
};

struct Alternation {
    std::vector<Branch> branches;
    size_t states = 0;
};

// What an alternation requires of every match: all a lone branch requires,
// or one literal out of the strongest entry of each branch.
std::vector<RequiredAnyOf> RequiredOf(const Alternation& alt) {
    if (alt.branches.size() == 1) return alt.branches[0].required;
    RequiredAnyOf anyOf;
    for (const Branch& b : alt.branches) {
        if (b.required.empty()) return {};
        auto best = std::max_element(
            b.required.begin(), b.required.end(),
            [](const RequiredAnyOf& x, const RequiredAnyOf& y) { return Strength(x) < Strength(y); });
        anyOf.insert(anyOf.end(), best->begin(), best->end());
    }
    if (anyOf.size() > kMaxAnyOf || Strength(anyOf) == 0) return {};
    return {anyOf};
}

class Scanner {
public:
    explicit Scanner(const std::wstring& pattern)
        : cur_(pattern.data()),
          end_(pattern.data() + pattern.size()),
          ctype_(std::use_facet<std::ctype<wchar_t>>(PatternLocale())) {}

    bool ok = true;
    bool looksAhead = false;
    PatternFlaw flaw = PatternFlaw::Other;

    bool Done() const { return cur_ == end_; }

    Alternation Disjunction() {
        Alternation alt;
        for (;;) {
            alt.branches.push_back(Sequence());
            alt.states = SaturatingAdd(alt.states, alt.branches.back().states + 2);
            if (!ok || cur_ == end_ || *cur_ != L'|') break;
            ++cur_;
        }
        return alt;
    }

private:
    enum class Atom { None, Char, Opaque, Group };

    const wchar_t* cur_;
    const wchar_t* end_;
    const std::ctype<wchar_t>& ctype_;
    int nesting_ = 0;

    void Fail(PatternFlaw why = PatternFlaw::Other) {
        if (ok) flaw = why;
        ok = false;
        cur_ = end_;
    }

    static void Flush(Branch& b, Run& run, bool atEnd = false) {
        if (!run.text.empty())
            b.required.push_back({AnchoredLiteral{run.text, run.atStart, atEnd, 0}});
        run.text.clear();
        run.atStart = false;
    }

    Branch Sequence() {
        Branch b;
        Run run;
        while (ok && cur_ != end_) {
            wchar_t c = *cur_;
            if (c >= 0x80) {
                // A unit the scanner narrows onto a special character takes a
                // path through it that this scan does not follow.
                if (IsSpecial(ctype_.narrow(c, ' '))) return Fail(), b;
                ++cur_;
                Item(b, run, Atom::Char, c, {});
                continue;
            }
            if (c == L'|' || c == L')') break;
            if (!IsSpecial(static_cast<char>(c)) || c == L']' || c == L'}') {
                ++cur_;
                Item(b, run, Atom::Char, c, {});
                continue;
            }
            ++cur_;
            switch (c) {
            case L'^':
                if (b.items != 0) b.pure = false;
                b.literal.atStart = true;
                Assertion(b, run);
                run.atStart = true;  // ^ holds only at the subject's start
                break;
            case L'$':
                if (b.literal.atEnd) b.pure = false;
                Assertion(b, run, true);
                b.literal.atEnd = true;
                break;
            case L'.':
                Item(b, run, Atom::Opaque, 0, {});
                break;
            case L'[':
                SkipBracket();
                Item(b, run, Atom::Opaque, 0, {});
                break;
            case L'(':
                Group(b, run);
                break;
            case L'\\':
                Escape(b, run);
                break;
            default:  // a repeat with nothing before it: the compiler refuses it
                Fail(PatternFlaw::NothingToRepeat);
                break;
            }
        }
        Flush(b, run);
        return b;
    }

    void Assertion(Branch& b, Run& run, bool atEnd = false) {
        if (b.literal.atEnd) b.pure = false;
        ++b.items;
        b.states = SaturatingAdd(b.states, 1);
        Flush(b, run, atEnd);
    }

    void Group(Branch& b, Run& run) {
        bool lookahead = false;
        if (cur_ != end_ && *cur_ == L'?') {
            ++cur_;
            if (cur_ == end_) return Fail();
            if (*cur_ == L'=' || *cur_ == L'!') {
                lookahead = true;
            } else if (*cur_ != L':') {
                return Fail(PatternFlaw::UnknownGroup);
            }
            ++cur_;
        }
        if (++nesting_ > kMaxNesting) return Fail();
        Alternation inner = Disjunction();
        --nesting_;
        if (!ok || cur_ == end_ || *cur_ != L')') return Fail();
        ++cur_;
        if (lookahead) {
            // Not quantifiable; a match needs nothing from it that this scan
            // can rely on.
            looksAhead = true;
            b.pure = false;
            Assertion(b, run);
            b.states = SaturatingAdd(b.states, inner.states + 2);
            return;
        }
        Item(b, run, Atom::Group, 0, inner);
    }

    void Escape(Branch& b, Run& run) {
        if (cur_ == end_) return Fail();
        wchar_t c = *cur_++;
        if (c >= 0x80) return Fail();  // narrowed escapes: not followed
        switch (c) {
        case L'0': return Item(b, run, Atom::Char, L'\0', {});
        case L'f': return Item(b, run, Atom::Char, L'\f', {});
        case L'n': return Item(b, run, Atom::Char, L'\n', {});
        case L'r': return Item(b, run, Atom::Char, L'\r', {});
        case L't': return Item(b, run, Atom::Char, L'\t', {});
        case L'v': return Item(b, run, Atom::Char, L'\v', {});
        case L'b':
        case L'B':
            b.pure = false;
            return Assertion(b, run);
        case L'd': case L'D': case L's': case L'S': case L'w': case L'W':
            return Item(b, run, Atom::Opaque, 0, {});
        case L'c':  // takes the next unit, whatever it is
            if (cur_ == end_) return Fail();
            ++cur_;
            return Item(b, run, Atom::Opaque, 0, {});
        case L'x':
        case L'u':
            for (int i = c == L'x' ? 2 : 4; i > 0; --i) {
                if (cur_ == end_ || *cur_ >= 0x80 || !ctype_.is(std::ctype_base::xdigit, *cur_))
                    return Fail();
                ++cur_;
            }
            return Item(b, run, Atom::Opaque, 0, {});
        default:
            break;
        }
        if (IsAsciiDigit(c)) {  // a back-reference, all its digits
            while (cur_ != end_ && ctype_.is(std::ctype_base::digit, *cur_)) {
                if (!IsAsciiDigit(*cur_)) return Fail();
                ++cur_;
            }
            return Item(b, run, Atom::Opaque, 0, {});
        }
        Item(b, run, Atom::Char, c, {});  // any other character stands for itself
    }

    // Moves past a bracket expression, as the scanner's bracket state does:
    // in ECMAScript the first ] closes it, even right after [ or [^.
    void SkipBracket() {
        if (cur_ != end_ && *cur_ == L'^') ++cur_;
        for (;;) {
            if (cur_ == end_) return Fail();
            wchar_t c = *cur_++;
            if (c == L']') return;
            if (c == L'[' && cur_ != end_ && (*cur_ == L'.' || *cur_ == L':' || *cur_ == L'=')) {
                wchar_t close = *cur_++;
                while (cur_ != end_ && *cur_ != close) ++cur_;
                if (cur_ == end_ || ++cur_ == end_ || *cur_ != L']') return Fail();
                ++cur_;
            } else if (c == L'\\') {
                if (cur_ == end_ || *cur_ >= 0x80) return Fail();
                wchar_t e = *cur_++;
                if (e == L'c') {
                    if (cur_ == end_) return Fail();
                    ++cur_;
                } else if (e == L'x' || e == L'u') {
                    for (int i = e == L'x' ? 2 : 4; i > 0; --i) {
                        if (cur_ == end_ || *cur_ >= 0x80) return Fail();
                        ++cur_;
                    }
                } else if (IsAsciiDigit(e)) {
                    while (cur_ != end_ && ctype_.is(std::ctype_base::digit, *cur_)) {
                        if (!IsAsciiDigit(*cur_)) return Fail();
                        ++cur_;
                    }
                }
            }
        }
    }

    // An atom and the repeats that follow it.
    void Item(Branch& b, Run& run, Atom atom, wchar_t c, const Alternation& inner) {
        if (b.literal.atEnd) b.pure = false;
        ++b.items;
        bool repeated = false;
        bool atLeastOnce = true;
        size_t states = atom == Atom::Group ? SaturatingAdd(inner.states, 2) : 1;
        while (ok && cur_ != end_) {
            wchar_t q = *cur_;
            if (q == L'*' || q == L'?') {
                atLeastOnce = false;
                states = SaturatingAdd(states, 2);
                ++cur_;
            } else if (q == L'+') {
                states = SaturatingAdd(states, 2);
                ++cur_;
            } else if (q == L'{') {
                ++cur_;
                size_t low = 0, high = 0;
                bool comma = false, highGiven = false;
                if (!Count(low)) return Fail();
                if (cur_ != end_ && *cur_ == L',') {
                    comma = true;
                    ++cur_;
                    if (cur_ != end_ && IsAsciiDigit(*cur_)) {
                        highGiven = true;
                        if (!Count(high)) return Fail();
                    }
                }
                if (cur_ == end_ || *cur_ != L'}') return Fail();
                ++cur_;
                if (low == 0) atLeastOnce = false;
                size_t copies = !comma ? low : highGiven ? high : low + 1;
                states = SaturatingAdd(SaturatingMul(states + 1, std::max<size_t>(copies, 1)), 2);
            } else {
                break;
            }
            repeated = true;
            if (cur_ != end_ && *cur_ == L'?') ++cur_;  // the lazy form
        }
        b.states = SaturatingAdd(b.states, states);
        if (atom == Atom::Char && !repeated) {
            run.text += c;
            b.literal.text += c;
            return;
        }
        b.pure = false;
        if (atom == Atom::Char && atLeastOnce) {
            // x+ is x x*: the first x ends the literal before, the last one
            // begins the literal after.
            run.text += c;
            Flush(b, run);
            run.text.assign(1, c);
            return;
        }
        Flush(b, run);
        if (atom == Atom::Group && atLeastOnce) {
            for (RequiredAnyOf& anyOf : RequiredOf(inner)) b.required.push_back(std::move(anyOf));
        }
    }

    // The digits of a counted repeat; false on any digit the scan can't read.
    bool Count(size_t& value) {
        if (cur_ == end_ || !IsAsciiDigit(*cur_)) return false;
        value = 0;
        while (cur_ != end_ && ctype_.is(std::ctype_base::digit, *cur_)) {
            if (!IsAsciiDigit(*cur_)) return false;
            value = std::min(kStateCap, value * 10 + static_cast<size_t>(*cur_ - L'0'));
            ++cur_;
        }
        return true;
    }
};

// A bound on the automaton's size read from the bare text, for a pattern the
// scan could not follow: a few states for every unit, times every counted
// repeat written anywhere in it.
size_t TextualEstimate(const std::wstring& pattern) {
    size_t states = SaturatingMul(pattern.size() + 2, 4);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != L'{') continue;
        size_t j = i + 1, largest = 0, value = 0;
        for (; j < pattern.size() && (IsAsciiDigit(pattern[j]) || pattern[j] == L','); ++j) {
            value = pattern[j] == L',' ? 0 : std::min(kStateCap, value * 10 + (pattern[j] - L'0'));
            largest = std::max(largest, value);
        }
        if (j < pattern.size() && pattern[j] == L'}') states = SaturatingMul(states, largest + 1);
    }
    return states;
}

bool Occurs(std::wstring_view s, const AnchoredLiteral& lit) {
    const std::wstring& t = lit.text;
    if (t.size() > s.size()) return false;
    if (lit.atStart && lit.atEnd) return s.size() == t.size() && s.compare(t) == 0;
    if (lit.atStart) return s.compare(0, t.size(), t) == 0;
    if (lit.atEnd) return s.compare(s.size() - t.size(), t.size(), t) == 0;
    return t.empty() ||
           FindLiteral(t.data(), t.size(), lit.probes, s.data(), 0, s.size()) != s.size();
}

void SetProbes(std::vector<AnchoredLiteral>& literals) {
    for (AnchoredLiteral& lit : literals)
        lit.probes = ChooseProbes(lit.text.data(), lit.text.size());
}

}  // namespace

PatternPlan PlanPattern(const std::wstring& pattern) {
    PatternPlan plan;
    Scanner scanner(pattern);
    Alternation top = scanner.Disjunction();
    if (!scanner.ok || !scanner.Done()) {
        plan.stateEstimate = TextualEstimate(pattern);
        return plan;
    }
    plan.understood = true;
    plan.looksAhead = scanner.looksAhead;
    plan.stateEstimate = SaturatingAdd(top.states, 4);  // the whole match's group, accept
    plan.literalsOnly = true;
    for (const Branch& b : top.branches) {
        if (!b.pure) {
            plan.literalsOnly = false;
            break;
        }
        plan.alternatives.push_back(b.literal);
    }
    if (plan.literalsOnly) {
        SetProbes(plan.alternatives);
        return plan;
    }
    plan.alternatives.clear();
    plan.required = RequiredOf(top);
    std::stable_sort(plan.required.begin(), plan.required.end(),
                     [](const RequiredAnyOf& x, const RequiredAnyOf& y) {
                         if (Anchored(x) != Anchored(y)) return Anchored(x);
                         return Strength(x) > Strength(y);
                     });
    plan.required.erase(std::remove_if(plan.required.begin(), plan.required.end(),
                                       [](const RequiredAnyOf& a) {
                                           return a.empty() || a.size() > kMaxAnyOf;
                                       }),
                        plan.required.end());
    if (plan.required.size() > kMaxRequired) plan.required.resize(kMaxRequired);
    for (RequiredAnyOf& anyOf : plan.required) SetProbes(anyOf);
    return plan;
}

std::wstring EscapeNarrowedSpecials(const std::wstring& pattern) {
    const auto& ctype = std::use_facet<std::ctype<wchar_t>>(std::locale::classic());
    auto narrowsToSpecial = [&](wchar_t c) { return c >= 0x80 && IsSpecial(ctype.narrow(c, ' ')); };
    if (std::none_of(pattern.begin(), pattern.end(), narrowsToSpecial)) return pattern;

    // Only the scanner's ordinary state narrows; inside brackets and braces,
    // and right after a backslash or \c, every unit is taken as it is.
    std::wstring out;
    const size_t n = pattern.size();
    size_t i = 0;
    auto copy = [&](size_t count) {
        for (; count > 0 && i < n; --count) out += pattern[i++];
    };
    while (i < n) {
        wchar_t c = pattern[i];
        if (c == L'\\') {
            bool control = i + 1 < n && pattern[i + 1] == L'c';
            copy(control ? 3 : 2);
        } else if (c == L'[') {
            copy(1);
            if (i < n && pattern[i] == L'^') copy(1);
            while (i < n && pattern[i] != L']') {
                wchar_t b = pattern[i];
                if (b == L'\\') {
                    copy(i + 1 < n && pattern[i + 1] == L'c' ? 3 : 2);
                } else if (b == L'[' && i + 1 < n &&
                           (pattern[i + 1] == L'.' || pattern[i + 1] == L':' || pattern[i + 1] == L'=')) {
                    wchar_t close = pattern[i + 1];
                    copy(2);
                    while (i < n && pattern[i] != close) copy(1);
                    copy(2);  // the closing character and its ]
                } else {
                    copy(1);
                }
            }
            copy(1);
        } else if (c == L'{') {
            while (i < n && pattern[i] != L'}') copy(1);
            copy(1);
        } else if (narrowsToSpecial(c)) {
            static const wchar_t kHex[] = L"0123456789ABCDEF";
            out += L"\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
            ++i;
        } else {
            copy(1);
        }
    }
    return out;
}

PatternFlaw FirstFlaw(const std::wstring& pattern) {
    Scanner scanner(pattern);
    scanner.Disjunction();
    return scanner.flaw;
}

wchar_t FirstUnknownNameKind(const std::wstring& pattern) {
    std::regex_traits<wchar_t> traits;
    traits.imbue(std::locale::classic());
    // Only escapes and bracket expressions decide where the compiler reads a
    // name, so nothing else is followed.
    const size_t n = pattern.size();
    size_t i = 0;
    auto skipEscape = [&] { i += i + 1 < n && pattern[i + 1] == L'c' ? 3 : 2; };
    while (i < n) {
        if (pattern[i] == L'\\') {
            skipEscape();
            continue;
        }
        if (pattern[i++] != L'[') continue;
        if (i < n && pattern[i] == L'^') ++i;
        // In ECMAScript the first ] closes it, even right after [ or [^.
        while (i < n && pattern[i] != L']') {
            if (pattern[i] == L'\\') {
                skipEscape();
                continue;
            }
            wchar_t kind = i + 1 < n ? pattern[i + 1] : 0;
            if (pattern[i] != L'[' || (kind != L':' && kind != L'.' && kind != L'=')) {
                ++i;
                continue;
            }
            const size_t name = i + 2;
            const size_t close = pattern.find(kind, name);
            if (close == std::wstring::npos || close + 1 >= n || pattern[close + 1] != L']')
                return 0;  // not a name: the compiler refuses the bracket itself
            const wchar_t* first = pattern.data() + name;
            const wchar_t* last = pattern.data() + close;
            bool known = kind == L':' ? traits.lookup_classname(first, last) != 0
                                      : !traits.lookup_collatename(first, last).empty();
            if (!known) return kind;
            i = close + 2;
        }
        ++i;
    }
    return 0;
}

bool LiteralsFound(const PatternPlan& plan, const wchar_t* subject, size_t length) {
    std::wstring_view s(subject, length);
    for (const AnchoredLiteral& alt : plan.alternatives)
        if (Occurs(s, alt)) return true;
    return false;
}

bool RequiredPresent(const PatternPlan& plan, const wchar_t* subject, size_t length) {
    std::wstring_view s(subject, length);
    for (const RequiredAnyOf& anyOf : plan.required) {
        bool any = false;
        for (const AnchoredLiteral& lit : anyOf) {
            if (Occurs(s, lit)) {
                any = true;
                break;
            }
        }
        if (!any) return false;
    }
    return true;
}
