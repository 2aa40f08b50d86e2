// Looking for a folded ASCII literal in a file's bytes: ASCII letters
// compared ignoring case, which takes in every source of an ASCII unit that
// is ASCII itself. A superset of what a folded search finds, so the line
// search still tests each line the bytes point it to.
#pragma once

#include <cstddef>

#include "pattern/literal_search.h"

// The first position p in [from, n) at which lower[0, m) (ASCII, letters in
// lowercase) occurs in text[0, n) with letters of either case, or n; probes
// are ChooseByteProbes of lower. An empty literal is at from.
size_t FindBytesIgnoringAsciiCase(const unsigned char* lower, size_t m, LiteralProbes probes,
                                  const unsigned char* text, size_t from, size_t n);

// Whether bytes[0, n) are all below 0x80.
bool AllAscii(const unsigned char* bytes, size_t n);
