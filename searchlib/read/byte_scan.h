// The scans that every search makes over a file's bytes, block after block:
// where the next line break is, how many lines start, where a literal's two
// probe bytes meet, how far the text is 7-bit. A big log is searched about
// as fast as its bytes can be read, so each has an AVX2 form besides the
// SSE2 one (simd.h), chosen once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pattern/literal_search.h"

// The first CR or LF byte in p[from, to), or to.
size_t FindBreakByte(const unsigned char* p, size_t from, size_t to);

// The runs of CR and LF bytes that start in p[from, to): the lines that end
// there when each ends with one run. The byte before from is no break.
size_t CountBreakRuns(const unsigned char* p, size_t from, size_t to);

// The first byte in p[from, to) above 0x7F, or ESC when escapes count; or to.
size_t SkipSevenBit(const unsigned char* p, size_t from, size_t to, bool escapes);

// The first position p in [from, n - m] at which want[0, m) (m >= 1)
// occurs in text, its probe bytes looked for first; or n.
size_t FindProbed(const unsigned char* want, size_t m, LiteralProbes probes,
                  const unsigned char* text, size_t from, size_t n);

// True when p[0, n) is well-formed UTF-8 throughout, no sequence cut at its
// end, with its multi-byte sequences added to sequences. False, sequences
// untouched, when it is not, or when the processor lacks AVX2: the caller
// then walks the bytes itself.
bool WellFormedUtf8(const unsigned char* p, size_t n, uint64_t& sequences);
