// Finding a literal in UTF-16 text: the inner loop of every literal pattern,
// per line and over a whole loaded text.
#pragma once

#include <cstddef>

// The two units of a literal that a search looks for first, by index: the
// two least likely to occur in ordinary text, so that few places are
// compared in full. Both are 0 for a literal of one unit.
struct LiteralProbes {
    size_t first = 0;
    size_t second = 0;
};

LiteralProbes ChooseProbes(const wchar_t* literal, size_t m);

// How often a unit turns up in ordinary text and source code, roughly; only
// the order matters.
int UnitCommonness(wchar_t c);

// The first position p in [from, n) at which literal[0, m) occurs whole
// within text[0, n), or n when there is none; probes are its ChooseProbes.
// An empty literal is at from.
size_t FindLiteral(const wchar_t* literal, size_t m, LiteralProbes probes, const wchar_t* text,
                   size_t from, size_t n);
