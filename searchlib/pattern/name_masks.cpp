#include "name_masks.h"

#include <cstdint>

#include "Tessumi.h"
#include "pattern/folding.h"

namespace {

// As typed with the IME on as well: ； separates, ＊ and ？ are wildcards,
// U+3000 is a space.
bool IsSeparator(wchar_t c) { return c == L';' || c == 0xFF1B; }
bool IsSpace(wchar_t c) { return c == L' ' || c == 0x3000; }
wchar_t Wildcard(wchar_t c) { return c == 0xFF0A ? L'*' : c == 0xFF1F ? L'?' : c; }

// Matches name[0, n) against mask[0, m): the usual two-pointer wildcard walk
// that goes back to the last `*` on a mismatch, linear in practice.
bool MaskMatches(const Folding& f, const wchar_t* mask, size_t m, const wchar_t* name, size_t n) {
    size_t i = 0, j = 0;
    size_t star = SIZE_MAX, resume = 0;
    while (j < n) {
        const wchar_t c = i < m ? Wildcard(mask[i]) : 0;
        if (c == L'*') {
            star = i++;
            resume = j;
        } else if (i < m && (c == L'?' || f.Unit(c) == f.Unit(name[j]))) {
            ++i;
            ++j;
        } else if (star != SIZE_MAX) {
            i = star + 1;
            j = ++resume;
        } else {
            return false;
        }
    }
    while (i < m && Wildcard(mask[i]) == L'*') ++i;
    return i == m;
}

// One mask, trimmed: "*.*" takes every name, with a dot or not; a final "."
// takes the names without one that the rest takes ("*." those without an
// extension), as cmd's dir does.
bool OneMaskMatches(const Folding& f, const wchar_t* mask, size_t m, const wchar_t* name,
                    size_t n) {
    if (m == 3 && Wildcard(mask[0]) == L'*' && mask[1] == L'.' && Wildcard(mask[2]) == L'*')
        return true;
    if (m > 0 && mask[m - 1] == L'.') {
        for (size_t j = 0; j < n; ++j)
            if (name[j] == L'.') return false;
        --m;
    }
    return MaskMatches(f, mask, m, name, n);
}

}  // namespace

bool NameMatchesMasks(const wchar_t* name, size_t length, const std::wstring& list) {
    const Folding& f = *Folding::For(TESSUMI_IGNORE_CASE);
    for (size_t start = 0; start < list.size();) {
        size_t end = start;
        while (end < list.size() && !IsSeparator(list[end])) ++end;
        size_t first = start, last = end;
        while (first < last && IsSpace(list[first])) ++first;
        while (last > first && IsSpace(list[last - 1])) --last;
        if (last > first && OneMaskMatches(f, list.data() + first, last - first, name, length))
            return true;
        start = end + 1;
    }
    return false;
}

bool HasMasks(const std::wstring& list) {
    for (wchar_t c : list)
        if (!IsSeparator(c) && !IsSpace(c)) return true;
    return false;
}
