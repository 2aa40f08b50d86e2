#include "record_marks.h"

#include <algorithm>
#include <unordered_map>

#include "Tessumi.h"
#include "gdi_owners.h"
#include "result_record.h"

namespace {

const int kMarkFill = COLOR_HIGHLIGHT;
const int kMarkText = COLOR_HIGHLIGHTTEXT;
const int kSelectedFill = COLOR_BTNFACE;
// Matches asked for at a time, and kept for a line at most.
const int kMatchesAsked = 1024;
const size_t kMatchesKept = size_t(1) << 20;
// Lines whose matches are kept; far more than a view shows.
const size_t kLinesKept = 4096;

std::wstring g_pattern;
int g_flags = 0;
std::unordered_map<size_t, Matches> g_found;

// The matches of a hit line's searched text, in the line's units.
Matches FindMatches(const LineText& line) {
    Matches found;
    const int textStart = HitTextStart(line);
    if (g_pattern.empty() || textStart == 0) return found;
    const wchar_t* text = line.units + textStart;
    const int length = line.count - textStart;
    int spans[2 * kMatchesAsked];
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    for (int from = 0; found.size() < kMatchesKept;) {
        int count = 0;
        if (!FnAllMatches(g_pattern.c_str(), text, length, g_flags, from, spans, kMatchesAsked,
                          &count, status))
            break;
        for (int i = 0; i < count; ++i) found.emplace_back(textStart + spans[2 * i], spans[2 * i + 1]);
        if (count < kMatchesAsked) break;
        from = spans[2 * count - 2] + spans[2 * count - 1];
    }
    return found;
}

}  // namespace

void SetMarkedPattern(const std::wstring& pattern, int flags) {
    g_pattern = pattern;
    g_flags = flags;
    ForgetMatches();
}

void ForgetMatches() { g_found.clear(); }

const Matches& MatchesInLine(size_t line, const LineText& text) {
    auto found = g_found.find(line);
    if (found != g_found.end()) return found->second;
    if (g_found.size() >= kLinesKept) g_found.clear();
    return g_found[line] = FindMatches(text);
}

bool DrawMatchMarks(HDC dc, LineLayout& layout, size_t line, const LineText& text, LONG lineLeft,
                    LONG top, LONG bottom, LONG clipLeft, LONG clipRight, ULONGLONG deadline) {
    if (g_found.find(line) == g_found.end() && GetTickCount64() >= deadline) return false;
    const Matches& matches = MatchesInLine(line, text);
    if (matches.empty()) return true;
    // Only the matches in the pieces that show are measured.
    const LineLayout::Pieces& pieces = layout.PiecesOf(dc, line, text);
    const auto piece = [&](LONG x) {
        return std::upper_bound(pieces.xs.begin(), pieces.xs.end() - 1, x) - pieces.xs.begin() - 1;
    };
    const auto first = std::max<std::ptrdiff_t>(0, piece(clipLeft - lineLeft));
    const auto last = std::max<std::ptrdiff_t>(0, piece(clipRight - lineLeft));
    const int fromUnit = pieces.starts[first];
    const int toUnit = static_cast<size_t>(last) + 1 < pieces.starts.size()
                           ? pieces.starts[last + 1] : text.count;
    auto begin = std::lower_bound(matches.begin(), matches.end(), fromUnit,
                                  [](const std::pair<int, int>& m, int unit) {
                                      return m.first + m.second <= unit;
                                  });
    std::vector<int> units;
    for (auto m = begin; m != matches.end() && m->first < toUnit; ++m) {
        units.push_back(m->first);
        units.push_back(m->first + m->second);
    }
    if (units.empty()) return true;
    std::vector<LONG> xs;
    layout.Positions(dc, line, text, units, xs);
    SavedDCState saved(dc);
    SetTextColor(dc, GetSysColor(kMarkText));
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
        const LONG left = std::max(clipLeft, lineLeft + xs[i]);
        const LONG right = std::min(clipRight, lineLeft + xs[i + 1]);
        if (left >= right) continue;
        SavedDCState clipped(dc);
        IntersectClipRect(dc, left, top, right, bottom);
        const RECT mark{left, top, right, bottom};
        FillRect(dc, &mark, GetSysColorBrush(kMarkFill));
        // The match again where the view drew it, in the clip; a match
        // longer than a piece, as far as it shows.
        const int from = units[i], to = units[i + 1];
        if (to - from <= kPieceUnits)
            layout.DrawUnits(dc, text, from, to, xs[i], lineLeft, top);
        else
            layout.Draw(dc, line, text, lineLeft, top, left, right);
    }
    return true;
}

void FillSelectedRows(HDC dc, const RECT& rows) {
    FillRect(dc, &rows, GetSysColorBrush(kSelectedFill));
}

void FrameSelectedRows(HDC dc, const RECT& rows) {
    // DrawFocusRect inverts: drawn once on a fresh fill, it shows.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(kSelectedFill));
    DrawFocusRect(dc, &rows);
}
