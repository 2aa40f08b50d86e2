#include "record_marks.h"

#include "Tessumi.h"
#include "gdi_owners.h"
#include "result_record.h"

namespace {

const int kMarkFill = COLOR_HIGHLIGHT;
const int kMarkText = COLOR_HIGHLIGHTTEXT;
const int kSelectedFill = COLOR_BTNFACE;

std::wstring g_pattern;
int g_flags = 0;

// Width of the line's first `count` units as the view lays them out: tabs
// at every 8 average character widths from the line's start, where
// DT_EXPANDTABS puts them; cheaper than a measuring DrawTextW.
LONG PrefixWidth(HDC dc, const LineText& line, int count) {
    if (count <= 0) return 0;
    return LOWORD(GetTabbedTextExtentW(dc, line.units, count, 0, nullptr));
}

// The match's end in the line's units; 0 when nothing is marked.
int MatchEnd(HDC dc, const LineText& line, LONG* left, LONG* right) {
    if (g_pattern.empty()) return 0;
    const int textStart = HitTextStart(line);
    if (textStart == 0) return 0;
    int start = -1, length = 0;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!FnFirstMatch(g_pattern.c_str(), line.units + textStart, line.count - textStart, g_flags,
                      &start, &length, status) ||
        start < 0 || length == 0)
        return 0;
    // Measured from the line's start: a tab's width depends on what is before it.
    *left = PrefixWidth(dc, line, textStart + start);
    *right = PrefixWidth(dc, line, textStart + start + length);
    return *right > *left ? textStart + start + length : 0;
}

}  // namespace

void SetMarkedPattern(const std::wstring& pattern, int flags) {
    g_pattern = pattern;
    g_flags = flags;
}

bool MatchSpan(HDC dc, const LineText& line, LONG* left, LONG* right) {
    return MatchEnd(dc, line, left, right) > 0;
}

void DrawMatchMark(HDC dc, const LineText& line, const RECT& lineRect) {
    LONG left = 0, right = 0;
    const int end = MatchEnd(dc, line, &left, &right);
    if (end == 0) return;
    RECT mark{lineRect.left + left, lineRect.top, lineRect.left + right, lineRect.bottom};
    SavedDCState saved(dc);
    IntersectClipRect(dc, mark.left, mark.top, mark.right, mark.bottom);
    FillRect(dc, &mark, GetSysColorBrush(kMarkFill));
    SetTextColor(dc, GetSysColor(kMarkText));
    // The line up to the match's end, again where the view drew it: only
    // the match shows through the clip.
    TabbedTextOutW(dc, lineRect.left, lineRect.top, line.units, end, 0, nullptr, lineRect.left);
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
