#include "ime_characters.h"

#include <vector>

namespace {

constexpr size_t kNone = std::wstring::npos;

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiHex(wchar_t c) {
    return IsAsciiDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}
// The IME's forms of the ASCII characters, its space and its comma 、.
bool IsFullWidthForm(wchar_t c) { return c >= 0xFF01 && c <= 0xFF5E; }
bool IsImeCharacter(wchar_t c) { return IsFullWidthForm(c) || c == 0x3000 || c == 0x3001; }
bool IsFullWidthDigit(wchar_t c) { return c >= 0xFF10 && c <= 0xFF19; }
bool IsFullWidthHex(wchar_t c) {
    return IsFullWidthDigit(c) || (c >= 0xFF21 && c <= 0xFF26) || (c >= 0xFF41 && c <= 0xFF46);
}

// The pattern read as the compiler's scanner reads it (ECMAScript), only as
// far as the places where the grammar needs ASCII.
class Reader {
public:
    explicit Reader(const std::wstring& p) : p_(p), n_(p.size()) {}

    size_t Find() {
        std::vector<size_t> open;        // the ( not closed yet
        size_t closedFullWidth = kNone;  // the first ） met while a ( was open
        size_t openedFullWidth = kNone;  // the first （ met while none was
        while (i_ < n_) {
            const wchar_t c = p_[i_++];
            size_t at = kNone;
            if (c == L'\\') {
                at = Escape();
            } else if (c == L'[') {
                at = Bracket();
            } else if (c == L'{') {
                for (; i_ < n_ && p_[i_] != L'}'; ++i_) {
                    if (IsImeCharacter(p_[i_])) return i_;
                    if (!IsAsciiDigit(p_[i_]) && p_[i_] != L',') break;  // the compiler refuses it
                }
            } else if (c == L'(') {
                open.push_back(i_ - 1);
            } else if (c == L')') {
                if (!open.empty())
                    open.pop_back();
                else if (openedFullWidth != kNone)
                    return openedFullWidth;
            } else if (c == 0xFF08 && open.empty() && openedFullWidth == kNone) {
                openedFullWidth = i_ - 1;
            } else if (c == 0xFF09 && !open.empty() && closedFullWidth == kNone) {
                closedFullWidth = i_ - 1;
            }
            if (at != kNone) return at;
        }
        return open.empty() ? kNone : closedFullWidth;
    }

private:
    // After a backslash: a back-reference's digits, and the digits of \x
    // and \u.
    size_t Escape() {
        if (i_ >= n_) return kNone;
        const wchar_t e = p_[i_++];
        if (IsFullWidthDigit(e)) return i_ - 1;
        if (e == L'c') {
            if (i_ < n_) ++i_;
        } else if (e == L'x' || e == L'u') {
            return HexDigits(e == L'x' ? 2 : 4);
        } else if (e >= L'1' && e <= L'9') {
            while (i_ < n_ && IsAsciiDigit(p_[i_])) ++i_;
            if (i_ < n_ && IsFullWidthDigit(p_[i_])) return i_;
        }
        return kNone;
    }

    size_t HexDigits(int count) {
        for (; count > 0 && i_ < n_; --count, ++i_) {
            if (IsFullWidthHex(p_[i_])) return i_;
            if (!IsAsciiHex(p_[i_])) break;
        }
        return kNone;
    }

    // In ECMAScript the first ] closes a bracket, even right after [ or [^.
    size_t Bracket() {
        if (i_ < n_ && p_[i_] == L'^') ++i_;
        size_t closedFullWidth = kNone;  // the first ］ inside
        size_t held = kNone;             // a plain character that may start a range
        while (i_ < n_ && p_[i_] != L']') {
            const wchar_t c = p_[i_];
            if (c == L'[' && i_ + 1 < n_ &&
                (p_[i_ + 1] == L':' || p_[i_ + 1] == L'.' || p_[i_ + 1] == L'=')) {
                const size_t close = p_.find(p_[i_ + 1], i_ + 2);
                i_ = close == std::wstring::npos ? n_ : close + 2;
                held = kNone;
                continue;
            }
            if (c == L'\\') {
                ++i_;
                if (i_ < n_ && (p_[i_] == L'x' || p_[i_] == L'u')) {
                    const wchar_t e = p_[i_++];
                    const size_t at = HexDigits(e == L'x' ? 2 : 4);
                    if (at != kNone) return at;
                } else {
                    i_ += i_ < n_ && p_[i_] == L'c' ? 2 : 1;
                }
                held = kNone;
                continue;
            }
            if (c == 0xFF3D && closedFullWidth == kNone) closedFullWidth = i_;
            if (c == L'-' && held != kNone && i_ + 1 < n_ && p_[i_ + 1] != L']' &&
                p_[i_ + 1] != L'\\' && p_[i_ + 1] != L'[') {
                // One end ASCII and the other full-width: a range over
                // thousands of characters that the user did not mean.
                const wchar_t low = p_[held], high = p_[i_ + 1];
                const bool lowWide = IsFullWidthForm(low), highWide = IsFullWidthForm(high);
                if (lowWide != highWide && (lowWide ? high : low) > L' ' &&
                    (lowWide ? high : low) < 0x7F)
                    return lowWide ? held : i_ + 1;
                i_ += 2;
                held = kNone;
                continue;
            }
            held = i_++;
        }
        if (i_ >= n_) return closedFullWidth;
        ++i_;
        return kNone;
    }

    const std::wstring& p_;
    const size_t n_;
    size_t i_ = 0;
};

}  // namespace

size_t FindImeCharacter(const std::wstring& pattern) { return Reader(pattern).Find(); }
