// Result records found back in the results text.
#include "result_record.h"

#include <cwctype>

namespace {

const wchar_t kTab = L'\t';
const wchar_t kMarker[] = L")===>";
const size_t kMarkerLength = sizeof(kMarker) / sizeof(kMarker[0]) - 1;

// TAB "(" digits ")===>": the second line of a record.
bool IsHitLine(const LineText& t) {
    int i = 0;
    if (t.count < 2 || t.units[i++] != kTab || t.units[i++] != L'(') return false;
    const int digitsFrom = i;
    while (i < t.count && t.units[i] >= L'0' && t.units[i] <= L'9') ++i;
    if (i == digitsFrom || static_cast<size_t>(t.count - i) < kMarkerLength) return false;
    return std::wstring(t.units + i, kMarkerLength) == kMarker;
}

bool IsPathLine(const LineText& t) { return t.count > 0 && t.units[0] != kTab; }

}  // namespace

bool RecordPathAt(const LineIndex& index, const wchar_t* units, size_t line, std::wstring* path) {
    if (line >= LineCount(index)) return false;
    size_t pathLine = line;
    if (IsHitLine(LineAt(index, units, line))) {
        if (line == 0) return false;
        pathLine = line - 1;
    } else if (!IsHitLine(LineAt(index, units, line + 1))) {
        return false;
    }
    LineText p = LineAt(index, units, pathLine);
    if (!IsPathLine(p)) return false;
    path->assign(p.units, static_cast<size_t>(p.count));
    return true;
}
