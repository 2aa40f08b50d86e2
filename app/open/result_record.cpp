// Result records found back in the results text.
#include "result_record.h"

#include <algorithm>
#include <climits>
#include <cwctype>

namespace {

const wchar_t kTab = L'\t';
const wchar_t kMarker[] = L")===>";
const size_t kMarkerLength = sizeof(kMarker) / sizeof(kMarker[0]) - 1;

// TAB "(" digits ")===>": the second line of a record. The number it
// holds, 0 for no hit line; a number too big for an int reads as INT_MAX.
int HitNumber(const LineText& t, int* textStart = nullptr) {
    int i = 0;
    if (t.count < 2 || t.units[i++] != kTab || t.units[i++] != L'(') return 0;
    const int digitsFrom = i;
    long long number = 0;
    for (; i < t.count && t.units[i] >= L'0' && t.units[i] <= L'9'; ++i)
        number = std::min<long long>(INT_MAX, number * 10 + (t.units[i] - L'0'));
    if (i == digitsFrom || static_cast<size_t>(t.count - i) < kMarkerLength) return 0;
    if (std::wstring(t.units + i, kMarkerLength) != kMarker) return 0;
    if (textStart) *textStart = i + static_cast<int>(kMarkerLength);
    return std::max<long long>(1, number);
}

bool IsHitLine(const LineText& t) { return HitNumber(t) != 0; }

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

bool RecordAt(const LineIndex& index, const wchar_t* units, size_t line, ResultRecord* record) {
    if (!RecordPathAt(index, units, line, &record->path)) return false;
    const bool onHit = IsHitLine(LineAt(index, units, line));
    record->pathLine = onHit ? line - 1 : line;
    record->number = HitNumber(LineAt(index, units, record->pathLine + 1));
    return true;
}

bool AdjacentRecord(const LineIndex& index, const wchar_t* units, size_t line, bool forward,
                    size_t limit, ResultRecord* record) {
    const size_t count = LineCount(index);
    for (size_t step = 1; step <= limit; ++step) {
        if (forward ? line + step >= count : step > line) return false;
        const size_t at = forward ? line + step : line - step;
        if (IsHitLine(LineAt(index, units, at + 1)) && RecordAt(index, units, at, record))
            return true;
    }
    return false;
}

int HitTextStart(const LineText& hitLine) {
    int start = 0;
    return HitNumber(hitLine, &start) ? start : 0;
}
