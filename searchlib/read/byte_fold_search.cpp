#include "byte_fold_search.h"

#include "simd.h"

namespace {

constexpr unsigned char kCaseBit = 0x20;

bool IsLowerLetter(unsigned char c) { return c >= 'a' && c <= 'z'; }

// The bit a comparison sets before it compares: the case bit for a letter.
unsigned char Loosen(unsigned char want) { return IsLowerLetter(want) ? kCaseBit : 0; }

bool SameIgnoringCase(const unsigned char* text, const unsigned char* lower, size_t m) {
    for (size_t i = 0; i < m; ++i)
        if (static_cast<unsigned char>(text[i] | Loosen(lower[i])) != lower[i]) return false;
    return true;
}

}  // namespace

size_t FindBytesIgnoringAsciiCase(const unsigned char* lower, size_t m, LiteralProbes probes,
                                  const unsigned char* text, size_t from, size_t n) {
    if (from > n) return n;
    if (m == 0) return from;
    if (n - from < m) return n;
    const size_t last = n - m;
    size_t p = from;
#ifdef TESSUMI_SSE2
    const __m128i first = _mm_set1_epi8(static_cast<char>(lower[probes.first]));
    const __m128i second = _mm_set1_epi8(static_cast<char>(lower[probes.second]));
    const __m128i firstBit = _mm_set1_epi8(static_cast<char>(Loosen(lower[probes.first])));
    const __m128i secondBit = _mm_set1_epi8(static_cast<char>(Loosen(lower[probes.second])));
    for (; last - p >= 16; p += 16) {
        const __m128i a = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p + probes.first)), firstBit);
        const __m128i b = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p + probes.second)),
            secondBit);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        for (; mask != 0; mask &= mask - 1) {
            const size_t at = p + CountTrailingZeros(mask);
            if (SameIgnoringCase(text + at, lower, m)) return at;
        }
    }
#endif
    for (; p <= last; ++p)
        if (SameIgnoringCase(text + p, lower, m)) return p;
    return n;
}

bool AllAscii(const unsigned char* bytes, size_t n) {
    size_t p = 0;
#ifdef TESSUMI_SSE2
    for (; n - p >= 16; p += 16)
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p))) != 0)
            return false;
#endif
    for (; p < n; ++p)
        if (bytes[p] >= 0x80) return false;
    return true;
}
