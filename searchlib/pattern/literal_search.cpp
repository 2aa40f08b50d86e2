#include "literal_search.h"

#include <cstdint>
#include <cstring>

namespace {

static_assert(sizeof(wchar_t) == 2, "UTF-16 code units");

// How often a unit turns up in ordinary text and source code, roughly; only
// the order matters. Letters follow English letter frequency.
int Commonness(wchar_t c) {
    static const unsigned char kLower[26] = {
        82, 15, 28, 43, 127, 22, 20, 61, 70, 2, 8, 40, 24,  // a to m
        67, 75, 19, 1,  60,  63, 91, 28, 10, 24, 2, 20, 1,  // n to z
    };
    if (c >= L'a' && c <= L'z') return kLower[c - L'a'];
    if (c >= L'A' && c <= L'Z') return 1 + kLower[c - L'A'] / 4;
    if (c >= L'0' && c <= L'9') return 15;
    if (c == L' ') return 200;
    if (c == L'\t') return 30;
    if (c < 0x80) {
        const char* punctuation = ";(),._=*{}<>+-/:#\"'";  // common in source code
        return c != 0 && std::strchr(punctuation, static_cast<char>(c)) ? 25 : 5;
    }
    // Kana, CJK punctuation and the ideographic space fill Japanese prose.
    if (c >= 0x3000 && c <= 0x30FF) return 60;
    return 10;
}

constexpr uint64_t kLaneOnes = 0x0001000100010001ull;
constexpr uint64_t kLaneTops = 0x8000800080008000ull;

// Sets the top bit of every 16-bit lane of x that is zero, and maybe of
// lanes above one that is: each flagged lane is checked on its own.
inline uint64_t ZeroLanesRoughly(uint64_t x) { return (x - kLaneOnes) & ~x & kLaneTops; }

inline bool SameUnits(const wchar_t* a, const wchar_t* b, size_t m) {
    for (size_t i = 0; i < m; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

size_t ProbeIndex(const wchar_t* literal, size_t m) {
    size_t probe = 0;
    for (size_t i = 1; i < m; ++i)
        if (Commonness(literal[i]) < Commonness(literal[probe])) probe = i;
    return probe;
}

size_t FindLiteral(const wchar_t* want, size_t m, size_t probe, const wchar_t* text,
                   size_t from, size_t n) {
    if (from > n) return n;
    if (m == 0) return from;
    if (n - from < m) return n;
    const wchar_t unit = want[probe];
    const uint64_t spread = kLaneOnes * unit;
    // The probe unit of an occurrence stands in [from + probe, end).
    size_t k = from + probe;
    const size_t end = n - m + probe + 1;
    for (;;) {
        while (end - k >= 8) {
            uint64_t a, b;
            std::memcpy(&a, text + k, 8);
            std::memcpy(&b, text + k + 4, 8);
            if ((ZeroLanesRoughly(a ^ spread) | ZeroLanesRoughly(b ^ spread)) != 0) break;
            k += 8;
        }
        const size_t stop = end - k > 8 ? k + 8 : end;
        for (; k < stop; ++k) {
            if (text[k] == unit && SameUnits(text + k - probe, want, m)) return k - probe;
        }
        if (k == end) return n;
    }
}
