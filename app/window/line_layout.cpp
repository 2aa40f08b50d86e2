#include "line_layout.h"

#include <algorithm>

namespace {

const wchar_t kTab = L'\t';
const int kTabColumns = 8;
// Long lines measured and kept at most; a view shows far fewer.
const size_t kKeptLines = 256;

}  // namespace

LONG AdvanceOver(HDC dc, const wchar_t* units, int from, int to, LONG x, LONG tab) {
    while (from < to) {
        if (units[from] == kTab) {
            x = (x / tab + 1) * tab;
            ++from;
            continue;
        }
        int end = from;
        while (end < to && units[end] != kTab) ++end;
        SIZE size{};
        GetTextExtentPoint32W(dc, units + from, end - from, &size);
        x += size.cx;
        from = end;
    }
    return x;
}

void LineLayout::Clear() {
    measured_.clear();
    tab_ = 0;
}

LONG LineLayout::TabWidth(HDC dc) {
    if (tab_ == 0) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        tab_ = std::max(1L, kTabColumns * tm.tmAveCharWidth);
        // No unit goes further than a tab or two of the widest characters
        // (a character from a linked font may be wider than this font's).
        widest_ = std::max(tab_, 2 * tm.tmMaxCharWidth);
    }
    return tab_;
}

const LineLayout::Pieces& LineLayout::PiecesOf(HDC dc, size_t line, const LineText& text) {
    const LONG tab = TabWidth(dc);
    if (text.count <= kPieceUnits) {
        // One piece, not measured: its end is only ever a bound.
        short_.starts.assign(1, 0);
        short_.xs.assign(1, 0);
        short_.xs.push_back(text.count * widest_);
        return short_;
    }
    auto found = measured_.find(line);
    if (found != measured_.end()) return found->second;
    if (measured_.size() >= kKeptLines) measured_.clear();
    Pieces& p = measured_[line];
    LONG x = 0;
    for (int start = 0; start < text.count;) {
        int end = std::min(start + kPieceUnits, text.count);
        // A surrogate pair stays in one piece.
        if (end < text.count && IS_HIGH_SURROGATE(text.units[end - 1])) ++end;
        p.starts.push_back(start);
        p.xs.push_back(x);
        x = AdvanceOver(dc, text.units, start, end, x, tab);
        start = end;
    }
    p.xs.push_back(x);
    return p;
}

LONG LineLayout::Width(HDC dc, size_t line, const LineText& text) {
    if (text.count <= kPieceUnits) return AdvanceOver(dc, text.units, 0, text.count, 0, TabWidth(dc));
    return PiecesOf(dc, line, text).xs.back();
}

void LineLayout::Positions(HDC dc, size_t line, const LineText& text,
                           const std::vector<int>& units, std::vector<LONG>& xs) {
    xs.clear();
    if (units.empty()) return;
    const Pieces& p = PiecesOf(dc, line, text);
    const LONG tab = TabWidth(dc);
    // One sweep from the piece of the first position on.
    size_t piece = static_cast<size_t>(
        std::upper_bound(p.starts.begin(), p.starts.end(), units.front()) - p.starts.begin() - 1);
    int at = p.starts[piece];
    LONG x = p.xs[piece];
    for (int unit : units) {
        while (piece + 1 < p.starts.size() && p.starts[piece + 1] <= unit) {
            ++piece;
            at = p.starts[piece];
            x = p.xs[piece];
        }
        x = AdvanceOver(dc, text.units, at, unit, x, tab);
        at = unit;
        xs.push_back(x);
    }
}

void LineLayout::DrawUnits(HDC dc, const LineText& text, int from, int to, LONG x, LONG lineLeft,
                           LONG y) {
    const LONG tab = TabWidth(dc);
    const LONG at = lineLeft + x;
    // Tabs are expanded from the line's start: the origin is its stop
    // nearest before the units, which keeps the coordinates small.
    TabbedTextOutW(dc, at, y, text.units + from, to - from, 0, nullptr, at - x % tab);
}

void LineLayout::Draw(HDC dc, size_t line, const LineText& text, LONG lineLeft, LONG y,
                      LONG clipLeft, LONG clipRight) {
    if (text.count == 0) return;
    const Pieces& p = PiecesOf(dc, line, text);
    const LONG from = clipLeft - lineLeft, to = clipRight - lineLeft;
    size_t k = static_cast<size_t>(std::upper_bound(p.xs.begin(), p.xs.end() - 1, from) -
                                   p.xs.begin());
    k = k > 0 ? k - 1 : 0;
    for (; k < p.starts.size() && p.xs[k] < to; ++k) {
        if (p.xs[k + 1] <= from) continue;  // ends before the clip (a short line)
        const int end = k + 1 < p.starts.size() ? p.starts[k + 1] : text.count;
        DrawUnits(dc, text, p.starts[k], end, p.xs[k], lineLeft, y);
    }
}
