// SSE2 where the target has it (every x64 processor): the loops over whole
// texts test eight UTF-16 units at a time. Without it they go unit by unit.
// The scans over a big file's bytes also have an AVX2 form (byte_scan.h),
// taken where the processor and the system have it.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define TESSUMI_SSE2 1
#include <emmintrin.h>
#endif

#ifdef _MSC_VER
#include <intrin.h>
#endif

#if defined(_M_X64) || defined(__x86_64__)
#define TESSUMI_AVX2 1
#include <immintrin.h>
#if defined(__GNUC__) || defined(__clang__)
// A function compiled for AVX2, called only where HasAvx2() said so.
#define TESSUMI_AVX2_FUNCTION __attribute__((target("avx2,bmi,popcnt")))
#else
#define TESSUMI_AVX2_FUNCTION
#endif
// Whether this processor and system run AVX2 code; asked once.
bool HasAvx2();
#endif

// Index of the lowest set bit; mask is not zero.
inline unsigned CountTrailingZeros(unsigned mask) {
#ifdef _MSC_VER
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

// The number of set bits.
inline unsigned PopCount(unsigned mask) {
#ifdef _MSC_VER
    return __popcnt(mask);
#else
    return static_cast<unsigned>(__builtin_popcount(mask));
#endif
}
