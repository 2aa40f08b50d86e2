#include "name_masks.h"

#include <cstdint>

#include "Tessumi.h"
#include "pattern/folding.h"

namespace {

constexpr wchar_t kSeparator = L';';
const wchar_t kEveryName[] = L"*.*";

// Matches name[0, n) against mask[0, m): the usual two-pointer wildcard walk
// that goes back to the last `*` on a mismatch, linear in practice.
bool MaskMatches(const Folding& f, const wchar_t* mask, size_t m, const wchar_t* name, size_t n) {
    size_t i = 0, j = 0;
    size_t star = SIZE_MAX, resume = 0;
    while (j < n) {
        if (i < m && mask[i] == L'*') {
            star = i++;
            resume = j;
        } else if (i < m && (mask[i] == L'?' || f.Unit(mask[i]) == f.Unit(name[j]))) {
            ++i;
            ++j;
        } else if (star != SIZE_MAX) {
            i = star + 1;
            j = ++resume;
        } else {
            return false;
        }
    }
    while (i < m && mask[i] == L'*') ++i;
    return i == m;
}

}  // namespace

bool NameMatchesMasks(const wchar_t* name, size_t length, const std::wstring& list) {
    const Folding& f = *Folding::For(TESSUMI_IGNORE_CASE);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(kSeparator, start);
        if (end == std::wstring::npos) end = list.size();
        size_t first = start;
        while (first < end && list[first] == L' ') ++first;
        const size_t m = end - first;
        if (m > 0) {
            const wchar_t* mask = list.data() + first;
            if (list.compare(first, m, kEveryName) == 0) return true;
            if (MaskMatches(f, mask, m, name, length)) return true;
        }
        start = end + 1;
    }
    return false;
}

bool HasMasks(const std::wstring& list) {
    for (wchar_t c : list)
        if (c != kSeparator && c != L' ') return true;
    return false;
}
