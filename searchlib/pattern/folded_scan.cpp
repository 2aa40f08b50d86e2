#include "folded_scan.h"

#include <algorithm>

#include "folding.h"
#include "literal_search.h"
#include "simd.h"

FoldedProbe ChooseFoldedProbe(const Folding& folding, const std::wstring& literal) {
    FoldedProbe best;
    long bestScore = 0;
    for (size_t i = 0; i < literal.size(); ++i) {
        std::vector<wchar_t> sources = folding.Sources(literal[i]);
        if (sources.empty() || sources.size() > FoldedProbe::kMaxSources) continue;
        long score = 0;
        for (wchar_t s : sources) score += UnitCommonness(s) + 1;
        if (best.sources.empty() || score < bestScore) {
            best.index = i;
            best.sources = std::move(sources);
            bestScore = score;
        }
    }
    return best;
}

size_t FindAnyUnit(const wchar_t* units, size_t count, const wchar_t* text, size_t from,
                   size_t n) {
    size_t p = from;
#ifdef TESSUMI_SSE2
    __m128i wanted[FoldedProbe::kMaxSources];
    for (size_t k = 0; k < count; ++k) wanted[k] = _mm_set1_epi16(static_cast<short>(units[k]));
    while (n - p >= 8 && p < n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p));
        __m128i hit = _mm_cmpeq_epi16(v, wanted[0]);
        for (size_t k = 1; k < count; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi16(v, wanted[k]));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0) return p + CountTrailingZeros(mask) / 2;
        p += 8;
    }
#endif
    for (; p < n; ++p)
        if (std::find(units, units + count, text[p]) != units + count) return p;
    return n;
}

size_t FindFolded(const Folding& folding, const std::wstring& literal, const FoldedProbe& probe,
                  const wchar_t* text, size_t from, size_t n, FoldedWindow& window) {
    const size_t m = literal.size();
    if (m == 0) return std::min(from, n);
    const LiteralProbes probes = ChooseProbes(literal.data(), m);
    // A folded unit stands for at most two units of the text, and folding
    // from anywhere agrees with folding from the start after one unit.
    const size_t before = 2 * probe.index + 1;
    const size_t after = 2 * (m - probe.index) + 1;
    for (size_t p = from; p < n; ++p) {
        const size_t q = FindAnyUnit(probe.sources.data(), probe.sources.size(), text, p, n);
        if (q == n) return n;
        const size_t w = q > before ? q - before : 0;
        const size_t e = std::min(n, q + after);
        folding.FoldMapped(text + w, e - w, window.folded, window.at);
        const size_t k = FindLiteral(literal.data(), m, probes, window.folded.data(), 0,
                                     window.folded.size());
        if (k != window.folded.size()) return std::max(from, w + window.at[k]);
        p = q;
    }
    return n;
}
