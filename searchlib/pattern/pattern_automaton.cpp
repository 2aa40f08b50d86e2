#include "pattern_automaton.h"

#include <algorithm>
#include <cstring>
#include <locale>

namespace {

constexpr size_t kMaxCount = 1000;  // larger counted repeats: left to the library
constexpr int kMaxNesting = 200;    // deeper groups: left to the library; the stack stays small

const char kSpecial[] = "^$\\.*+?()[]{}|";

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// The pattern as a tree first, so that a counted repeat can lay out its
// operand as often as it needs.
struct Node {
    enum Kind {
        Sequence, Alternation, Repeat, One, InSet, AtBegin, AtEnd, WordBoundary, NotWordBoundary
    };
    Kind kind = Sequence;
    wchar_t unit = 0;
    int set = -1;
    size_t min = 0;
    size_t max = 0;
    bool unbounded = false;
    std::vector<int> kids;
};

// The escapes that stand for one character, in and out of brackets; \b is
// a backspace only inside brackets.
bool CharacterEscape(wchar_t e, bool inBracket, wchar_t& unit) {
    switch (e) {
    case L'0': unit = L'\0'; return true;
    case L'f': unit = L'\f'; return true;
    case L'n': unit = L'\n'; return true;
    case L'r': unit = L'\r'; return true;
    case L't': unit = L'\t'; return true;
    case L'v': unit = L'\v'; return true;
    case L'b':
        unit = L'\b';
        return inBracket;
    default: return false;
    }
}

bool IsClassEscape(wchar_t e) {
    return e == L'd' || e == L'D' || e == L's' || e == L'S' || e == L'w' || e == L'W';
}

class Reader {
public:
    Reader(const std::wstring& source, PatternAutomaton& automaton)
        : cur_(source.data()), end_(source.data() + source.size()), automaton_(automaton) {}

    bool ok = true;
    std::vector<Node> nodes;

    int Disjunction() {
        int alt = NewNode(Node::Alternation);
        for (;;) {
            int branch = Alternative();
            if (!ok) return alt;
            nodes[alt].kids.push_back(branch);
            if (cur_ == end_ || *cur_ != L'|') return alt;
            ++cur_;
        }
    }

    bool Done() const { return cur_ == end_; }

private:
    // A bracket expression's pieces, as the library's bracket scanner cuts them.
    struct BracketToken {
        enum Kind { End, Char, Dash, Class } kind = End;
        wchar_t unit = 0;
        std::wstring name;     // Class: as lookup_classname gets it
        bool negated = false;  // Class: \D, \S or \W
    };

    const wchar_t* cur_;
    const wchar_t* end_;
    PatternAutomaton& automaton_;
    int nesting_ = 0;

    int Fail() {
        ok = false;
        cur_ = end_;
        return -1;
    }

    int NewNode(Node::Kind kind) {
        nodes.emplace_back();
        nodes.back().kind = kind;
        return static_cast<int>(nodes.size() - 1);
    }

    int OneNode(wchar_t unit) {
        int n = NewNode(Node::One);
        nodes[n].unit = unit;
        return n;
    }

    int SetNode(const UnitSet& set) {
        std::vector<UnitSet>& sets = automaton_.sets;
        auto same = std::find(sets.begin(), sets.end(), set);
        int index = static_cast<int>(same - sets.begin());
        if (same == sets.end()) sets.push_back(set);
        int n = NewNode(Node::InSet);
        nodes[n].set = index;
        return n;
    }

    static bool StartsRepeat(wchar_t c) {
        return c == L'*' || c == L'+' || c == L'?' || c == L'{';
    }

    int Alternative() {
        int sequence = NewNode(Node::Sequence);
        while (ok && cur_ != end_ && *cur_ != L'|' && *cur_ != L')') {
            int term = Term();
            if (!ok) break;
            nodes[sequence].kids.push_back(term);
        }
        return sequence;
    }

    int Term() {
        wchar_t c = *cur_;
        Node::Kind assertion = Node::Sequence;
        if (c == L'^') {
            assertion = Node::AtBegin;
        } else if (c == L'$') {
            assertion = Node::AtEnd;
        } else if (c == L'\\' && end_ - cur_ >= 2 && (cur_[1] == L'b' || cur_[1] == L'B')) {
            assertion = cur_[1] == L'b' ? Node::WordBoundary : Node::NotWordBoundary;
            automaton_.testsWords = true;
            ++cur_;
        }
        if (assertion != Node::Sequence) {
            ++cur_;
            // The library repeats no assertion.
            if (cur_ != end_ && StartsRepeat(*cur_)) return Fail();
            return NewNode(assertion);
        }
        int atom = Atom();
        while (ok && cur_ != end_ && StartsRepeat(*cur_)) atom = Repeated(atom);
        return atom;
    }

    int Atom() {
        wchar_t c = *cur_++;
        switch (c) {
        case L'.': return SetNode(DotUnits());
        case L'(': return Group();
        case L'[': return Bracket();
        case L'\\': return Escape();
        case L'*': case L'+': case L'?': case L'{': case L'|': case L')': case L'^': case L'$':
            return Fail();
        default: return OneNode(c);  // ] and } stand for themselves
        }
    }

    int Group() {
        if (cur_ != end_ && *cur_ == L'?') {
            ++cur_;
            if (cur_ == end_ || *cur_ != L':') return Fail();  // look-ahead
            ++cur_;
        }
        if (++nesting_ > kMaxNesting) return Fail();
        int inner = Disjunction();
        --nesting_;
        if (!ok || cur_ == end_ || *cur_ != L')') return Fail();
        ++cur_;
        return inner;
    }

    bool HexUnit(wchar_t kind, wchar_t& unit) {
        unsigned value = 0;
        for (int i = kind == L'x' ? 2 : 4; i > 0; --i) {
            if (cur_ == end_ || HexValue(*cur_) < 0) return false;
            value = value * 16 + static_cast<unsigned>(HexValue(*cur_++));
        }
        unit = static_cast<wchar_t>(value);
        return true;
    }

    int ClassNode(wchar_t e) {
        const UnitSet* named = NamedClass(std::wstring(1, static_cast<wchar_t>(e | 0x20)));
        if (named == nullptr) return Fail();
        if (e == L'd' || e == L's' || e == L'w') return SetNode(*named);
        UnitSet set;
        set.UniteComplement(*named);
        return SetNode(set);
    }

    int Escape() {
        if (cur_ == end_ || *cur_ >= 0x80) return Fail();
        wchar_t e = *cur_++;
        wchar_t unit;
        if (CharacterEscape(e, false, unit)) return OneNode(unit);
        if (IsClassEscape(e)) return ClassNode(e);
        if (e == L'c') {
            if (cur_ == end_) return Fail();
            return OneNode(*cur_++);  // the next unit itself
        }
        if (e == L'x' || e == L'u') return HexUnit(e, unit) ? OneNode(unit) : Fail();
        if (IsAsciiDigit(e)) return Fail();  // a back-reference
        if (e == L'b' || e == L'B') return Fail();
        return OneNode(e);
    }

    BracketToken NextInBracket() {
        BracketToken t;
        if (cur_ == end_) return Fail(), t;
        wchar_t c = *cur_++;
        if (c == L']') return t;
        if (c == L'-') {
            t.kind = BracketToken::Dash;
            return t;
        }
        t.kind = BracketToken::Char;
        t.unit = c;
        if (c == L'[') {
            if (cur_ == end_) return Fail(), t;
            if (*cur_ == L'.' || *cur_ == L'=') return Fail(), t;  // collating: left to the library
            if (*cur_ == L':') {
                ++cur_;
                const wchar_t* name = cur_;
                while (cur_ != end_ && *cur_ != L':') ++cur_;
                t.kind = BracketToken::Class;
                t.name.assign(name, cur_);
                if (end_ - cur_ < 2 || cur_[1] != L']') return Fail(), t;
                cur_ += 2;
            }
            return t;
        }
        if (c != L'\\') return t;
        if (cur_ == end_ || *cur_ >= 0x80) return Fail(), t;
        wchar_t e = *cur_++;
        if (CharacterEscape(e, true, t.unit)) return t;
        if (IsClassEscape(e)) {
            t.kind = BracketToken::Class;
            t.name.assign(1, static_cast<wchar_t>(e | 0x20));
            t.negated = e != (e | 0x20);
            return t;
        }
        if (e == L'c') {
            if (cur_ == end_) return Fail(), t;
            t.unit = *cur_++;
            return t;
        }
        if (e == L'x' || e == L'u') {
            if (!HexUnit(e, t.unit)) Fail();
            return t;
        }
        if (IsAsciiDigit(e) || e == L'B') return Fail(), t;
        t.unit = e;
        return t;
    }

    // Follows the library's reading of a bracket: a character is held back
    // until it is known whether a dash makes it the start of a range.
    int Bracket() {
        bool negated = false;
        if (cur_ != end_ && *cur_ == L'^') {
            negated = true;
            ++cur_;
        }
        UnitSet set;
        enum class Held { Nothing, Char, Class } held = Held::Nothing;
        wchar_t heldUnit = 0;
        auto pushChar = [&](wchar_t unit) {
            if (held == Held::Char) set.Add(heldUnit);
            held = Held::Char;
            heldUnit = unit;
        };
        auto addClass = [&](const BracketToken& t) {
            if (held == Held::Char) set.Add(heldUnit);
            held = Held::Class;
            const UnitSet* named = NamedClass(t.name);
            if (named == nullptr) return Fail(), false;
            if (t.negated)
                set.UniteComplement(*named);
            else
                set.Unite(*named);
            return true;
        };

        BracketToken t = NextInBracket();
        if (t.kind == BracketToken::Char || t.kind == BracketToken::Dash) {
            held = Held::Char;
            heldUnit = t.kind == BracketToken::Char ? t.unit : L'-';
            t = NextInBracket();
        }
        while (ok && t.kind != BracketToken::End) {
            if (t.kind == BracketToken::Class) {
                if (!addClass(t)) break;
            } else if (t.kind == BracketToken::Char) {
                pushChar(t.unit);
            } else {  // a dash
                BracketToken after = NextInBracket();
                if (!ok) break;
                if (after.kind == BracketToken::End) {
                    pushChar(L'-');
                    break;
                }
                if (held == Held::Nothing) {
                    pushChar(L'-');
                    t = after;  // not taken by the dash
                    continue;
                }
                if (held == Held::Class || after.kind == BracketToken::Class) return Fail();
                wchar_t last = after.kind == BracketToken::Char ? after.unit : L'-';
                if (heldUnit > last) return Fail();
                set.AddRange(heldUnit, last);
                held = Held::Nothing;
            }
            t = NextInBracket();
        }
        if (!ok) return -1;
        if (held == Held::Char) set.Add(heldUnit);
        if (negated) set.Invert();
        return SetNode(set);
    }

    bool Count(size_t& value) {
        if (cur_ == end_ || !IsAsciiDigit(*cur_)) return false;
        value = 0;
        while (cur_ != end_ && IsAsciiDigit(*cur_)) {
            value = value * 10 + static_cast<size_t>(*cur_++ - L'0');
            if (value > kMaxCount) return false;
        }
        return true;
    }

    int Repeated(int atom) {
        wchar_t q = *cur_++;
        int n = NewNode(Node::Repeat);
        Node& r = nodes[n];
        r.kids.push_back(atom);
        if (q == L'*' || q == L'+') {
            r.min = q == L'+' ? 1 : 0;
            r.unbounded = true;
        } else if (q == L'?') {
            r.max = 1;
        } else {
            size_t low = 0, high = 0;
            if (!Count(low)) return Fail();
            high = low;
            if (cur_ != end_ && *cur_ == L',') {
                ++cur_;
                if (cur_ != end_ && IsAsciiDigit(*cur_)) {
                    if (!Count(high)) return Fail();
                } else {
                    nodes[n].unbounded = true;
                }
            }
            if (cur_ == end_ || *cur_ != L'}' || high < low) return Fail();
            ++cur_;
            nodes[n].min = low;
            nodes[n].max = high;
        }
        if (cur_ != end_ && *cur_ == L'?') ++cur_;  // the lazy form: the same matches
        return n;
    }
};

// States a node lays out, saturating past the limit.
size_t StateCount(const std::vector<Node>& nodes, int n) {
    const Node& node = nodes[n];
    auto add = [](size_t a, size_t b) { return std::min(a + b, kMaxAutomatonStates + 1); };
    switch (node.kind) {
    case Node::Sequence:
    case Node::Alternation: {
        size_t sum = node.kind == Node::Alternation ? node.kids.size() : 0;
        for (int kid : node.kids) sum = add(sum, StateCount(nodes, kid));
        return sum;
    }
    case Node::Repeat: {
        size_t one = StateCount(nodes, node.kids[0]);
        size_t copies = node.unbounded ? node.min + 1 : node.max;
        if (one + 1 > (kMaxAutomatonStates + 1) / std::max<size_t>(copies, 1))
            return kMaxAutomatonStates + 1;
        return add(copies * (one + 1), 1);
    }
    default: return 1;
    }
}

class Layout {
public:
    explicit Layout(PatternAutomaton& automaton, const std::vector<Node>& nodes)
        : states_(automaton.states), nodes_(nodes) {}

    // The states of node n, going on at next; returns where they start.
    int Emit(int n, int next) {
        const Node& node = nodes_[n];
        switch (node.kind) {
        case Node::Sequence:
            for (auto kid = node.kids.rbegin(); kid != node.kids.rend(); ++kid)
                next = Emit(*kid, next);
            return next;
        case Node::Alternation: {
            int first = Emit(node.kids.back(), next);
            for (size_t i = node.kids.size() - 1; i-- > 0;)
                first = New(AutomatonState::Split, Emit(node.kids[i], next), first);
            return first;
        }
        case Node::Repeat: {
            int from = next;
            if (node.unbounded) {
                int loop = New(AutomatonState::Split, -1, next);
                states_[loop].next = Emit(node.kids[0], loop);
                from = loop;
            } else {
                for (size_t i = node.min; i < node.max; ++i)
                    from = New(AutomatonState::Split, Emit(node.kids[0], from), next);
            }
            for (size_t i = 0; i < node.min; ++i) from = Emit(node.kids[0], from);
            return from;
        }
        case Node::One: {
            int s = New(AutomatonState::One, next);
            states_[s].unit = node.unit;
            return s;
        }
        case Node::InSet: {
            int s = New(AutomatonState::InSet, next);
            states_[s].set = node.set;
            return s;
        }
        case Node::AtBegin: return New(AutomatonState::AtBegin, next);
        case Node::AtEnd: return New(AutomatonState::AtEnd, next);
        case Node::WordBoundary: return New(AutomatonState::WordBoundary, next);
        case Node::NotWordBoundary: return New(AutomatonState::NotWordBoundary, next);
        }
        return next;
    }

    int New(AutomatonState::Kind kind, int next, int alt = -1) {
        AutomatonState s;
        s.kind = kind;
        s.next = next;
        s.alt = alt;
        states_.push_back(s);
        return static_cast<int>(states_.size() - 1);
    }

private:
    std::vector<AutomatonState>& states_;
    const std::vector<Node>& nodes_;
};

// A unit the scanner narrows onto a special character takes a path through
// it that this reader does not follow.
bool NarrowsToSpecial(const std::wstring& source) {
    const auto& ctype = std::use_facet<std::ctype<wchar_t>>(std::locale::classic());
    for (wchar_t c : source) {
        if (c < 0x80) continue;
        // strchr finds the terminating zero too, as the scanner's own test does.
        if (std::strchr(kSpecial, ctype.narrow(c, ' ')) != nullptr) return true;
    }
    return false;
}

}  // namespace

bool BuildAutomaton(const std::wstring& source, PatternAutomaton& automaton) {
    automaton = PatternAutomaton();
    if (NarrowsToSpecial(source)) return false;
    Reader reader(source, automaton);
    int root = reader.Disjunction();
    if (!reader.ok || !reader.Done()) return false;
    if (StateCount(reader.nodes, root) > kMaxAutomatonStates) return false;
    Layout layout(automaton, reader.nodes);
    int accept = layout.New(AutomatonState::Accept, -1);
    automaton.start = layout.Emit(root, accept);
    return true;
}
