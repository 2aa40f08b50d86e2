// Finding a folded literal (folding.h) in text that is not folded: where in
// the text a piece begins whose folding holds the literal. The text is
// scanned for the units that can fold to one chosen unit of the literal,
// the probe, and only around those is it folded and compared.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Folding;

struct FoldedProbe {
    static constexpr size_t kMaxSources = 8;  // more: the unit is no probe
    size_t index = 0;              // into the folded literal
    std::vector<wchar_t> sources;  // the units of a text that fold to it; empty: no probe
};

// The literal's unit with the fewest and rarest sources; sources is empty
// when every unit has more than kMaxSources (or the literal is empty).
FoldedProbe ChooseFoldedProbe(const Folding& folding, const std::wstring& literal);

// Scratch of FindFolded, kept by its caller from search to search.
struct FoldedWindow {
    std::vector<wchar_t> folded;
    std::vector<size_t> at;
};

// The first position p >= from in text[0, n) at which a piece begins whose
// folding starts with literal (a folded literal), or n when there is none.
// An occurrence that begins before from but reaches past it gives from.
size_t FindFolded(const Folding& folding, const std::wstring& literal, const FoldedProbe& probe,
                  const wchar_t* text, size_t from, size_t n, FoldedWindow& window);

// The first position in [from, n) holding one of units[0, count) (count at
// most FoldedProbe::kMaxSources), or n.
size_t FindAnyUnit(const wchar_t* units, size_t count, const wchar_t* text, size_t from,
                   size_t n);
