#include "literal_search.h"

#include <cstdint>
#include <cstring>

#include "simd.h"

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

inline bool SameUnits(const wchar_t* a, const wchar_t* b, size_t m) {
    for (size_t i = 0; i < m; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

int UnitCommonness(wchar_t c) { return Commonness(c); }

LiteralProbes ChooseProbes(const wchar_t* literal, size_t m) {
    LiteralProbes probes;
    for (size_t i = 1; i < m; ++i)
        if (Commonness(literal[i]) < Commonness(literal[probes.first])) probes.first = i;
    bool chosen = false;
    for (size_t i = 0; i < m; ++i) {
        if (i == probes.first) continue;
        if (!chosen || Commonness(literal[i]) < Commonness(literal[probes.second])) {
            probes.second = i;
            chosen = true;
        }
    }
    if (!chosen) probes.second = probes.first;
    return probes;
}

size_t FindLiteral(const wchar_t* want, size_t m, LiteralProbes probes, const wchar_t* text,
                   size_t from, size_t n) {
    if (from > n) return n;
    if (m == 0) return from;
    if (n - from < m) return n;
    const size_t last = n - m;  // the last place an occurrence can begin
    size_t p = from;
#ifdef TESSUMI_SSE2
    // Eight places at a time, sixteen while none matches: only those holding
    // both probe units at their offsets are compared whole.
    const __m128i first = _mm_set1_epi16(static_cast<short>(want[probes.first]));
    const __m128i second = _mm_set1_epi16(static_cast<short>(want[probes.second]));
    const wchar_t* const atFirst = text + probes.first;
    const wchar_t* const atSecond = text + probes.second;
    auto places = [&](size_t q) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(atFirst + q));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(atSecond + q));
        return _mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, second));
    };
    while (last - p >= 8) {
        if (last - p >= 16 &&
            _mm_movemask_epi8(_mm_or_si128(places(p), places(p + 8))) == 0) {
            p += 16;
            continue;
        }
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(places(p)));
        while (mask != 0) {
            const size_t at = p + CountTrailingZeros(mask) / 2;
            if (SameUnits(text + at, want, m)) return at;
            mask &= mask - 1;  // both bits of the lane
            mask &= mask - 1;
        }
        p += 8;
    }
#endif
    const wchar_t unit = want[probes.first];
    for (; p <= last; ++p)
        if (text[p + probes.first] == unit && SameUnits(text + p, want, m)) return p;
    return n;
}
