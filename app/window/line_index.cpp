// The line index of the results text.
#include "line_index.h"

#include <algorithm>
#include <utility>

namespace {

const wchar_t kCr = L'\r';
const wchar_t kLf = L'\n';
const wchar_t kTab = L'\t';
const size_t kTabColumns = 8;
const wchar_t kFirstWideUnit = 0x1100;

bool IsBreak(wchar_t u) { return u == kCr || u == kLf; }

// Keeps the lines with the most columns, fewest first (a min-heap).
class WidestLines {
public:
    void Offer(size_t columns, size_t line) {
        if (heap_.size() < kWidestCandidates) {
            heap_.emplace_back(columns, line);
            std::push_heap(heap_.begin(), heap_.end(), Greater);
        } else if (columns > heap_.front().first) {
            std::pop_heap(heap_.begin(), heap_.end(), Greater);
            heap_.back() = {columns, line};
            std::push_heap(heap_.begin(), heap_.end(), Greater);
        }
    }
    std::vector<size_t> WidestFirst() {
        std::sort_heap(heap_.begin(), heap_.end(), Greater);
        std::vector<size_t> lines;
        for (const auto& entry : heap_) lines.push_back(entry.second);
        return lines;
    }

private:
    static bool Greater(const std::pair<size_t, size_t>& a, const std::pair<size_t, size_t>& b) {
        return a.first > b.first;
    }
    std::vector<std::pair<size_t, size_t>> heap_;
};

}  // namespace

LineIndex IndexLines(const wchar_t* units, size_t count) {
    LineIndex index;
    index.total = count;
    WidestLines widest;
    size_t i = 0;
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
        widest.Offer(columns, line);
        if (i == count) break;
        // One break: CR LF or LF CR together, a second CR or LF alone.
        const wchar_t first = units[i++];
        if (i < count && IsBreak(units[i]) && units[i] != first) ++i;
    }
    index.widest = widest.WidestFirst();
    return index;
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
