#include "byte_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "simd.h"

namespace {

constexpr unsigned char kCR = '\r';
constexpr unsigned char kLF = '\n';
constexpr unsigned char kEscape = 0x1B;

bool IsBreak(unsigned char c) { return c == kCR || c == kLF; }

#ifdef TESSUMI_SSE2
inline __m128i Load16(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The lanes of v that hold CR or LF, all bits set.
inline __m128i BreakLanes(__m128i v) {
    return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kCR))),
                        _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kLF))));
}
#endif

#ifdef TESSUMI_AVX2
TESSUMI_AVX2_FUNCTION inline __m256i Load32(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Bit i set where p[i] is CR or LF, for the 32 bytes from p.
TESSUMI_AVX2_FUNCTION inline uint32_t BreakBits32(const unsigned char* p) {
    const __m256i v = Load32(p);
    const __m256i breaks =
        _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(kCR))),
                        _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(kLF))));
    return static_cast<uint32_t>(_mm256_movemask_epi8(breaks));
}

TESSUMI_AVX2_FUNCTION size_t FindBreakByteAvx2(const unsigned char* p, size_t k, size_t to) {
    for (; to - k >= 64; k += 64) {
        const uint64_t bits = BreakBits32(p + k) | uint64_t(BreakBits32(p + k + 32)) << 32;
        if (bits != 0) return k + static_cast<size_t>(_tzcnt_u64(bits));
    }
    return k;
}

TESSUMI_AVX2_FUNCTION size_t CountBreakRunsAvx2(const unsigned char* p, size_t& k, size_t to,
                                                 uint64_t& carry) {
    size_t runs = 0;
    for (; to - k >= 64; k += 64) {
        const uint64_t breaks = BreakBits32(p + k) | uint64_t(BreakBits32(p + k + 32)) << 32;
        runs += static_cast<size_t>(_mm_popcnt_u64(breaks & ~(breaks << 1 | carry)));
        carry = breaks >> 63;
    }
    return runs;
}

TESSUMI_AVX2_FUNCTION size_t SkipSevenBitAvx2(const unsigned char* p, size_t i, size_t n,
                                               bool escapes) {
    const __m256i escape = _mm256_set1_epi8(static_cast<char>(kEscape));
    for (; n - i >= 64; i += 64) {
        const __m256i a = Load32(p + i);
        const __m256i b = Load32(p + i + 32);
        __m256i any = _mm256_or_si256(a, b);
        if (escapes)
            any = _mm256_or_si256(any, _mm256_or_si256(_mm256_cmpeq_epi8(a, escape),
                                                       _mm256_cmpeq_epi8(b, escape)));
        if (_mm256_movemask_epi8(any) != 0) break;  // the 32-byte steps below find where
    }
    for (; n - i >= 32; i += 32) {
        const __m256i a = Load32(p + i);
        uint32_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(a));
        if (escapes) mask |= static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, escape)));
        if (mask != 0) return i + _tzcnt_u32(mask);
    }
    return i;
}

TESSUMI_AVX2_FUNCTION size_t FindProbedAvx2(const unsigned char* want, size_t m,
                                             LiteralProbes probes, const unsigned char* text,
                                             size_t& p, size_t last) {
    const __m256i first = _mm256_set1_epi8(static_cast<char>(want[probes.first]));
    const __m256i second = _mm256_set1_epi8(static_cast<char>(want[probes.second]));
    for (; last - p >= 32; p += 32) {
        const __m256i a = Load32(text + p + probes.first);
        const __m256i b = Load32(text + p + probes.second);
        uint32_t mask = static_cast<uint32_t>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        for (; mask != 0; mask &= mask - 1) {
            const size_t at = p + _tzcnt_u32(mask);
            if (memcmp(text + at, want, m) == 0) return at;
        }
    }
    return SIZE_MAX;
}

// UTF-8 checked 32 bytes at a time by table lookups (after Keiser and
// Lemire, "Validating UTF-8 in less than one instruction per byte"): each
// byte with the one before it is looked up by three nibbles, each lookup
// giving the faults that nibble allows; a fault is a bit set in all three.
// Whether a byte must continue a sequence begun two or three bytes before
// is checked apart.
constexpr uint8_t kTooShort = 1 << 0;   // a lead or ASCII where a continuation must be
constexpr uint8_t kTooLong = 1 << 1;    // a continuation after ASCII
constexpr uint8_t kOverlong3 = 1 << 2;  // E0 80..9F
constexpr uint8_t kTooLarge = 1 << 3;   // F4 90..BF, F5..FF
constexpr uint8_t kSurrogate = 1 << 4;  // ED A0..BF
constexpr uint8_t kOverlong2 = 1 << 5;  // C0, C1
constexpr uint8_t kTooLarge1000 = 1 << 6;  // F5..FF 80..8F
constexpr uint8_t kOverlong4 = 1 << 6;     // F0 80..8F
constexpr uint8_t kTwoConts = 1 << 7;   // two continuations in a row
constexpr uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

TESSUMI_AVX2_FUNCTION inline __m256i Table16(uint8_t a0, uint8_t a1, uint8_t a2, uint8_t a3,
                                             uint8_t a4, uint8_t a5, uint8_t a6, uint8_t a7,
                                             uint8_t a8, uint8_t a9, uint8_t a10, uint8_t a11,
                                             uint8_t a12, uint8_t a13, uint8_t a14, uint8_t a15) {
    return _mm256_setr_epi8(
        static_cast<char>(a0), static_cast<char>(a1), static_cast<char>(a2), static_cast<char>(a3),
        static_cast<char>(a4), static_cast<char>(a5), static_cast<char>(a6), static_cast<char>(a7),
        static_cast<char>(a8), static_cast<char>(a9), static_cast<char>(a10), static_cast<char>(a11),
        static_cast<char>(a12), static_cast<char>(a13), static_cast<char>(a14), static_cast<char>(a15),
        static_cast<char>(a0), static_cast<char>(a1), static_cast<char>(a2), static_cast<char>(a3),
        static_cast<char>(a4), static_cast<char>(a5), static_cast<char>(a6), static_cast<char>(a7),
        static_cast<char>(a8), static_cast<char>(a9), static_cast<char>(a10), static_cast<char>(a11),
        static_cast<char>(a12), static_cast<char>(a13), static_cast<char>(a14), static_cast<char>(a15));
}

// The bytes of (previous, current) moved by n: lane i holds the byte n
// before current's lane i.
template <int n>
TESSUMI_AVX2_FUNCTION inline __m256i Before(__m256i current, __m256i previous) {
    return _mm256_alignr_epi8(current, _mm256_permute2x128_si256(previous, current, 0x21), 16 - n);
}

TESSUMI_AVX2_FUNCTION inline __m256i HighNibbles(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

// The faults of the 32 bytes of input, given the 32 before them.
TESSUMI_AVX2_FUNCTION inline __m256i Utf8Faults(__m256i input, __m256i previous) {
    const __m256i prev1 = Before<1>(input, previous);
    const __m256i byte1High = _mm256_shuffle_epi8(
        Table16(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
                kTwoConts, kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                kTooShort | kOverlong3 | kSurrogate,
                kTooShort | kTooLarge | kTooLarge1000 | kOverlong4),
        HighNibbles(prev1));
    const uint8_t large = kCarry | kTooLarge | kTooLarge1000;
    const __m256i byte1Low = _mm256_shuffle_epi8(
        Table16(kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
                kCarry | kTooLarge, large, large, large, large, large, large, large, large,
                large | kSurrogate, large, large),
        _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)));
    const uint8_t cont = kTooLong | kOverlong2 | kTwoConts;
    const __m256i byte2High = _mm256_shuffle_epi8(
        Table16(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
                kTooShort, cont | kOverlong3 | kTooLarge1000 | kOverlong4, cont | kOverlong3 | kTooLarge,
                cont | kSurrogate | kTooLarge, cont | kSurrogate | kTooLarge, kTooShort, kTooShort,
                kTooShort, kTooShort),
        HighNibbles(input));
    const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);
    // A third or fourth byte of a sequence: its top bit where one must be.
    const __m256i third = _mm256_subs_epu8(Before<2>(input, previous), _mm256_set1_epi8(0x60));
    const __m256i fourth = _mm256_subs_epu8(Before<3>(input, previous), _mm256_set1_epi8(0x70));
    const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
    return _mm256_xor_si256(must, special);
}

// Non-zero where input's last three bytes begin a sequence that needs more.
TESSUMI_AVX2_FUNCTION inline __m256i Unfinished(__m256i input) {
    const __m256i limits = _mm256_setr_epi8(
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
        -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1), static_cast<char>(0xE0 - 1),
        static_cast<char>(0xC0 - 1));
    return _mm256_subs_epu8(input, limits);
}

// What the check has seen so far. The lead bytes are counted in byte lanes
// (at most 255 blocks of 32 between two sums), and a sequence cut at the end
// of previous is looked for only where it matters: before ASCII and at the
// end. This keeps the loop within the registers a Windows build may use.
struct Utf8Check {
    __m256i faults;
    __m256i previous;
    __m256i leadLanes;
};

TESSUMI_AVX2_FUNCTION inline void Take32(Utf8Check& c, __m256i input) {
    if (_mm256_movemask_epi8(input) == 0) {
        c.faults = _mm256_or_si256(c.faults, Unfinished(c.previous));  // ASCII after a cut sequence
    } else {
        const __m256i leadBits = _mm256_set1_epi8(static_cast<char>(0xC0));
        c.faults = _mm256_or_si256(c.faults, Utf8Faults(input, c.previous));
        c.leadLanes = _mm256_sub_epi8(
            c.leadLanes, _mm256_cmpeq_epi8(_mm256_and_si256(input, leadBits), leadBits));
    }
    c.previous = input;
}

TESSUMI_AVX2_FUNCTION inline uint64_t SumLanes(__m256i lanes) {
    const __m256i sums = _mm256_sad_epu8(lanes, _mm256_setzero_si256());
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(half)) +
           static_cast<uint64_t>(_mm_extract_epi64(half, 1));
}

TESSUMI_AVX2_FUNCTION bool WellFormedUtf8Avx2(const unsigned char* p, size_t n,
                                              uint64_t& sequences) {
    constexpr size_t kBlocksPerSum = 255;  // a byte lane counts up to 255
    Utf8Check c{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    uint64_t leads = 0;
    size_t i = 0;
    while (n - i >= 32) {
        const size_t end = i + std::min((n - i) / 32, kBlocksPerSum) * 32;
        for (; i < end; i += 32) Take32(c, Load32(p + i));
        leads += SumLanes(c.leadLanes);
        c.leadLanes = _mm256_setzero_si256();
        // Text that is not UTF-8 fails within its first characters.
        if (!_mm256_testz_si256(c.faults, c.faults)) return false;
    }
    alignas(32) unsigned char tail[32] = {};
    memcpy(tail, p + i, n - i);
    Take32(c, _mm256_load_si256(reinterpret_cast<const __m256i*>(tail)));
    const __m256i faults = _mm256_or_si256(c.faults, Unfinished(c.previous));
    if (!_mm256_testz_si256(faults, faults)) return false;
    sequences += leads + SumLanes(c.leadLanes);
    return true;
}
#endif

#ifdef TESSUMI_AVX2
const bool kAvx2 = HasAvx2();
#endif

}  // namespace

#ifdef TESSUMI_AVX2
bool HasAvx2() {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("popcnt");
#else
    int info[4];
    __cpuid(info, 1);
    const bool osSaves = (info[2] & (1 << 27)) != 0 && (info[2] & (1 << 28)) != 0 &&
                         (_xgetbv(0) & 6) == 6;
    const bool popcnt = (info[2] & (1 << 23)) != 0;
    __cpuidex(info, 7, 0);
    return osSaves && popcnt && (info[1] & (1 << 5)) != 0 && (info[1] & (1 << 3)) != 0;
#endif
}
#endif

size_t FindBreakByte(const unsigned char* p, size_t k, size_t to) {
#ifdef TESSUMI_AVX2
    if (kAvx2) k = FindBreakByteAvx2(p, k, to);
#endif
#ifdef TESSUMI_SSE2
    for (; to - k >= 16; k += 16) {
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(BreakLanes(Load16(p + k))));
        if (mask != 0) return k + CountTrailingZeros(mask);
    }
#endif
    while (k < to && !IsBreak(p[k])) ++k;
    return k;
}

size_t CountBreakRuns(const unsigned char* p, size_t from, size_t to) {
    size_t runs = 0;
    size_t k = from;
    uint64_t carry = 0;  // the byte before k is a break
#ifdef TESSUMI_AVX2
    if (kAvx2) runs += CountBreakRunsAvx2(p, k, to, carry);
#endif
#ifdef TESSUMI_SSE2
    // Sixteen bytes a step, without a population count (not every x64 has
    // one): a lane that starts a run adds one to its own byte counter,
    // which is summed before it can reach 256.
    if (to - k >= 16) {
        const __m128i zero = _mm_setzero_si128();
        __m128i before = carry ? _mm_set1_epi8(-1) : zero;  // its last lane: the byte before k
        __m128i counts = zero;
        __m128i sums = zero;
        unsigned rounds = 0;
        for (; to - k >= 16; k += 16) {
            const __m128i breaks = BreakLanes(Load16(p + k));
            const __m128i previous =
                _mm_or_si128(_mm_slli_si128(breaks, 1), _mm_srli_si128(before, 15));
            counts = _mm_sub_epi8(counts, _mm_andnot_si128(previous, breaks));
            before = breaks;
            if (++rounds == 255) {
                sums = _mm_add_epi64(sums, _mm_sad_epu8(counts, zero));
                counts = zero;
                rounds = 0;
            }
        }
        sums = _mm_add_epi64(sums, _mm_sad_epu8(counts, zero));
        alignas(16) uint64_t halves[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(halves), sums);
        runs += static_cast<size_t>(halves[0] + halves[1]);
        carry = static_cast<unsigned>(_mm_movemask_epi8(before)) >> 15;
    }
#endif
    for (; k < to; ++k) {
        const unsigned now = IsBreak(p[k]);
        runs += now & ~carry;
        carry = now;
    }
    return runs;
}

size_t SkipSevenBit(const unsigned char* p, size_t i, size_t n, bool escapes) {
#ifdef TESSUMI_AVX2
    if (kAvx2) i = SkipSevenBitAvx2(p, i, n, escapes);
#endif
#ifdef TESSUMI_SSE2
    const __m128i escape = _mm_set1_epi8(static_cast<char>(kEscape));
    while (n - i >= 32) {
        const __m128i a = Load16(p + i);
        const __m128i b = Load16(p + i + 16);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(a)) |
                        static_cast<unsigned>(_mm_movemask_epi8(b)) << 16;
        if (escapes) {
            mask |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, escape))) |
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, escape))) << 16;
        }
        if (mask != 0) return i + CountTrailingZeros(mask);
        i += 32;
    }
#endif
    while (i < n && p[i] < 0x80 && !(escapes && p[i] == kEscape)) ++i;
    return i;
}

size_t FindProbed(const unsigned char* want, size_t m, LiteralProbes probes,
                  const unsigned char* text, size_t from, size_t n) {
    if (from > n || n - from < m) return n;
    const size_t last = n - m;  // the last place an occurrence can begin
    size_t p = from;
#ifdef TESSUMI_AVX2
    if (kAvx2) {
        const size_t at = FindProbedAvx2(want, m, probes, text, p, last);
        if (at != SIZE_MAX) return at;
    }
#endif
#ifdef TESSUMI_SSE2
    // Sixteen places at a time: only those holding both probe bytes at their
    // offsets are compared whole.
    const __m128i first = _mm_set1_epi8(static_cast<char>(want[probes.first]));
    const __m128i second = _mm_set1_epi8(static_cast<char>(want[probes.second]));
    for (; last - p >= 16; p += 16) {
        const __m128i a = Load16(text + p + probes.first);
        const __m128i b = Load16(text + p + probes.second);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        for (; mask != 0; mask &= mask - 1) {
            const size_t at = p + CountTrailingZeros(mask);
            if (memcmp(text + at, want, m) == 0) return at;
        }
    }
#endif
    const unsigned char probe = want[probes.first];
    for (; p <= last; ++p)
        if (text[p + probes.first] == probe && memcmp(text + p, want, m) == 0) return p;
    return n;
}

bool WellFormedUtf8(const unsigned char* p, size_t n, uint64_t& sequences) {
#ifdef TESSUMI_AVX2
    if (kAvx2) return WellFormedUtf8Avx2(p, n, sequences);
#endif
    (void)p;
    (void)n;
    (void)sequences;
    return false;
}
