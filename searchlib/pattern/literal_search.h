// Finding a literal in UTF-16 text: the inner loop of every literal pattern,
// per line and over a whole loaded text.
#pragma once

#include <cstddef>

// The index of the literal's unit that the search looks for first: the one
// least likely to occur in ordinary text, so that few places are compared
// in full.
size_t ProbeIndex(const wchar_t* literal, size_t m);

// The first position p in [from, n) at which literal[0, m) occurs whole
// within text[0, n), or n when there is none; probe is its ProbeIndex. An
// empty literal is at from.
size_t FindLiteral(const wchar_t* literal, size_t m, size_t probe, const wchar_t* text,
                   size_t from, size_t n);
