// The line index of the results text.
#include "line_index.h"

#include <algorithm>

namespace {

const wchar_t kCr = L'\r';
const wchar_t kLf = L'\n';
const wchar_t kTab = L'\t';
const size_t kTabColumns = 8;
const wchar_t kFirstWideUnit = 0x1100;

bool IsBreak(wchar_t u) { return u == kCr || u == kLf; }

// Keeps the lines with the most columns, fewest first (a min-heap).
void OfferWidest(std::vector<std::pair<size_t, size_t>>& heap, size_t columns, size_t line) {
    const auto greater = [](const std::pair<size_t, size_t>& a,
                            const std::pair<size_t, size_t>& b) { return a.first > b.first; };
    if (heap.size() < kWidestCandidates) {
        heap.emplace_back(columns, line);
        std::push_heap(heap.begin(), heap.end(), greater);
    } else if (columns > heap.front().first) {
        std::pop_heap(heap.begin(), heap.end(), greater);
        heap.back() = {columns, line};
        std::push_heap(heap.begin(), heap.end(), greater);
    }
}

}  // namespace

LineIndex IndexLines(const wchar_t* units, size_t count) {
    LineIndex index;
    ExtendLines(index, units, count);
    return index;
}

void ExtendLines(LineIndex& index, const wchar_t* units, size_t count) {
    // The last line is cut again: its break may pair with the next unit, or
    // the line may go on. (It may then be offered twice as a candidate.)
    size_t i = index.total;
    if (!index.starts.empty()) {
        i = index.starts.back();
        index.starts.pop_back();
    }
    index.total = count;
    while (i < count) {
        const size_t line = index.starts.size();
        index.starts.push_back(i);
        size_t columns = 0;
        for (; i < count && !IsBreak(units[i]); ++i) {
            const wchar_t u = units[i];
            if (u == kTab)
                columns = (columns / kTabColumns + 1) * kTabColumns;
            else
                columns += u >= kFirstWideUnit ? 2 : 1;
        }
        OfferWidest(index.widest, columns, line);
        if (i == count) break;
        // One break: CR LF or LF CR together, a second CR or LF alone.
        const wchar_t first = units[i++];
        if (i < count && IsBreak(units[i]) && units[i] != first) ++i;
    }
}

size_t LineCount(const LineIndex& index) { return index.starts.size(); }

LineText LineAt(const LineIndex& index, const wchar_t* units, size_t line) {
    if (line >= index.starts.size()) return {nullptr, 0};
    const size_t start = index.starts[line];
    size_t end = line + 1 < index.starts.size() ? index.starts[line + 1] : index.total;
    // A line holds no break, so the breaks before the next start are its own.
    while (end > start && IsBreak(units[end - 1])) --end;
    return {units + start, static_cast<int>(end - start)};
}
