#include "fold_pattern.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "folding.h"

namespace {

// The characters the compiler's scanner treats specially outside brackets.
const wchar_t kSpecial[] = L"^$\\.*+?()[]{}|";
const wchar_t kHex[] = L"0123456789ABCDEF";

bool IsHex(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

int HexValue(wchar_t c) {
    return c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10;
}

// The letters and digits that the scanner reads as escapes of their own;
// after a backslash any other character stands for itself.
bool IsEscapeLetter(wchar_t e) {
    return (e >= L'0' && e <= L'9') || (e != 0 && std::wcschr(L"bBdDsSwWfnrtvcxu", e));
}

bool IsQuantifier(wchar_t c) { return c == L'*' || c == L'+' || c == L'?' || c == L'{'; }

// The half-width katakana that take a voiced mark, and the marks.
constexpr wchar_t kJoiningFirst = 0xFF66;
constexpr wchar_t kJoiningLast = 0xFF9F;

void AppendHexEscape(std::wstring& out, wchar_t c) {
    out += L"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
}

// A folded character written where a literal stood: as itself when the
// scanner takes it so, escaped when it would be an operator (＊ folds to *)
// or a digit that a back-reference before it would swallow.
void AppendLiteral(std::wstring& out, wchar_t c, bool wasDigit) {
    if (c < 0x80 && c != 0 && std::wcschr(kSpecial, c)) {
        out += L'\\';
        out += c;
    } else if (c >= L'0' && c <= L'9' && !wasDigit) {
        AppendHexEscape(out, c);
    } else {
        out += c;
    }
}

class Rewriter {
public:
    Rewriter(const std::wstring& pattern, const Folding& folding)
        : p_(pattern), n_(pattern.size()), f_(folding) {}

    FoldedPattern Run() {
        while (i_ < n_) {
            const wchar_t c = p_[i_];
            if (c == L'(' && p_.compare(i_, 3, L"(?!") == 0) out_.mayNarrow = true;
            if (c == L'\\') {
                Escape();
            } else if (c == L'[') {
                Bracket();
            } else if (c == L'{') {
                while (i_ < n_ && p_[i_] != L'}') out_.source += p_[i_++];  // a count: as written
                if (i_ < n_) out_.source += p_[i_++];
            } else if (c < 0x80 && std::wcschr(kSpecial, c)) {
                out_.source += p_[i_++];
            } else {
                Literal();
            }
        }
        return out_;
    }

private:
    // A character written as itself; a half-width katakana and a voiced mark
    // after it fold together unless the mark alone is repeated.
    void Literal() {
        const wchar_t c = p_[i_++];
        Names(c, c);
        if (i_ < n_ && Folding::IsVoicedMark(p_[i_]) &&
            !(i_ + 1 < n_ && IsQuantifier(p_[i_ + 1]))) {
            if (wchar_t v = f_.Voiced(c, p_[i_])) {
                ++i_;
                AppendLiteral(out_.source, v, false);
                return;
            }
        }
        AppendLiteral(out_.source, f_.Unit(c), c >= L'0' && c <= L'9');
    }

    // \xHH and \uHHHH stand for a character and fold as it does; every other
    // escape that names a character as itself folds that character; the rest
    // (classes, assertions, back-references, control characters) stay.
    void Escape() {
        const size_t start = i_++;
        if (i_ >= n_) {
            out_.source += L'\\';
            return;
        }
        const wchar_t e = p_[i_++];
        if (e == L'x' || e == L'u') {
            const size_t digits = e == L'x' ? 2 : 4;
            if (i_ + digits <= n_) {
                int value = 0;
                bool ok = true;
                for (size_t k = 0; k < digits; ++k) {
                    ok = ok && IsHex(p_[i_ + k]);
                    if (ok) value = value * 16 + HexValue(p_[i_ + k]);
                }
                if (ok) {
                    i_ += digits;
                    Names(static_cast<wchar_t>(value), static_cast<wchar_t>(value));
                    const wchar_t folded = f_.Unit(static_cast<wchar_t>(value));
                    if (folded == value)
                        out_.source.append(p_, start, i_ - start);
                    else
                        AppendLiteral(out_.source, folded, false);
                    return;
                }
            }
            out_.source.append(p_, start, i_ - start);
            return;
        }
        if (e == L'c') {  // the compiler takes the next unit as it is, unfolded
            if (i_ < n_) ++i_;
            out_.mayNarrow = true;
            out_.source.append(p_, start, i_ - start);
            return;
        }
        if (IsEscapeLetter(e) || e == L'\\') {
            // Classes, assertions, controls and back-references; \\ is a backslash.
            if (e == L'D') out_.mayNarrow = true;
            out_.source.append(p_, start, i_ - start);
            if (e >= L'1' && e <= L'9')
                while (i_ < n_ && p_[i_] >= L'0' && p_[i_] <= L'9') out_.source += p_[i_++];
            return;
        }
        Names(e, e);
        const wchar_t folded = f_.Unit(e);
        if (folded == e) {
            out_.source.append(p_, start, i_ - start);
        } else {
            AppendLiteral(out_.source, folded, false);
        }
    }

    // One character a bracket expression names, at i_ (an escape or a
    // unit); false when it names a class or anything but one character.
    bool BracketChar(wchar_t& value) {
        if (p_[i_] != L'\\') {
            value = p_[i_++];
            return true;
        }
        if (i_ + 1 >= n_) return false;
        const wchar_t e = p_[i_ + 1];
        if (e == L'x' || e == L'u') {
            const size_t digits = e == L'x' ? 2 : 4;
            if (i_ + 2 + digits > n_) return false;
            int v = 0;
            for (size_t k = 0; k < digits; ++k) {
                if (!IsHex(p_[i_ + 2 + k])) return false;
                v = v * 16 + HexValue(p_[i_ + 2 + k]);
            }
            i_ += 2 + digits;
            value = static_cast<wchar_t>(v);
            return true;
        }
        static const wchar_t kControls[] = L"f\fn\nr\rt\tv\vb\b0";
        if (const wchar_t* at = e != 0 ? std::wcschr(kControls, e) : nullptr) {
            if ((at - kControls) % 2 == 0) {
                i_ += 2;
                value = e == L'0' ? L'\0' : at[1];
                return true;
            }
        }
        if (IsEscapeLetter(e)) return false;
        i_ += 2;
        value = e;  // an identity escape
        return true;
    }

    // Copies the bracket expression as written and adds, before its members,
    // the canonical form of each character it names (single or in a range)
    // that folds to another. In a negated one the added forms are excluded
    // too, so a folded unit is taken in exactly when its sources would be.
    void Bracket() {
        const size_t start = i_++;
        std::wstring head = L"[";
        if (i_ < n_ && p_[i_] == L'^') {
            head += L'^';
            ++i_;
            out_.mayNarrow = true;
        }
        const size_t members = i_;
        std::vector<bool> extra;
        auto add = [&](wchar_t from, wchar_t to) {
            for (unsigned u = from; u <= to; ++u) {
                const wchar_t folded = f_.Unit(static_cast<wchar_t>(u));
                if (folded != u) {
                    if (extra.empty()) extra.assign(65536, false);
                    extra[folded] = true;
                }
            }
        };
        while (i_ < n_ && p_[i_] != L']') {
            if (p_[i_] == L'[' && i_ + 1 < n_ &&
                (p_[i_ + 1] == L':' || p_[i_ + 1] == L'.' || p_[i_ + 1] == L'=')) {
                const wchar_t close = p_[i_ + 1];
                out_.mayNarrow = true;
                size_t end = p_.find(close, i_ + 2);
                if (end == std::wstring::npos || end + 1 >= n_) {
                    i_ = n_;
                    break;
                }
                i_ = end + 2;
                continue;
            }
            wchar_t low;
            const size_t at = i_;
            if (!BracketChar(low)) {
                if (at + 1 < n_ && p_[at + 1] == L'D') out_.mayNarrow = true;
                i_ = at + std::min<size_t>(2, n_ - at);  // a class escape, as written
                continue;
            }
            wchar_t high = low;
            if (i_ + 1 < n_ && p_[i_] == L'-' && p_[i_ + 1] != L']') {
                const size_t dash = i_++;
                if (!BracketChar(high)) {
                    i_ = dash + 1;  // the scanner decides; the dash adds nothing
                    high = low;
                }
            }
            if (high >= low) {
                add(low, high);
                Names(low, high);
            }
        }
        if (i_ >= n_) {  // unclosed: the compiler refuses it as written
            out_.source.append(p_, start, std::wstring::npos);
            i_ = n_;
            return;
        }
        ++i_;  // the ]
        out_.source += head;
        for (unsigned u = 0; !extra.empty() && u < 65536; ++u) {
            if (!extra[u]) continue;
            unsigned last = u;
            while (last + 1 < 65536 && extra[last + 1]) ++last;
            AppendHexEscape(out_.source, static_cast<wchar_t>(u));
            if (last > u) {
                out_.source += L'-';
                AppendHexEscape(out_.source, static_cast<wchar_t>(last));
            }
            u = last;
        }
        size_t m = members;
        // A leading - would join the added forms into a range.
        if (!extra.empty() && m < i_ - 1 && p_[m] == L'-') {
            AppendHexEscape(out_.source, L'-');
            ++m;
        }
        out_.source.append(p_, m, i_ - m);
    }

    // Notes a character, or a range, that a text's folding may join.
    void Names(wchar_t low, wchar_t high) {
        if (low <= kJoiningLast && high >= kJoiningFirst) out_.joinsKana = true;
    }

    const std::wstring& p_;
    const size_t n_;
    const Folding& f_;
    size_t i_ = 0;
    FoldedPattern out_;
};

}  // namespace

FoldedPattern FoldPattern(const std::wstring& pattern, const Folding& folding) {
    return Rewriter(pattern, folding).Run();
}
