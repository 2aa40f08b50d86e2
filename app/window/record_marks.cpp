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

// Width of the line's first `count` units as DrawTextW lays them out.
LONG PrefixWidth(HDC dc, const LineText& line, int count, UINT format) {
    if (count <= 0) return 0;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, line.units, count, &r, (format & ~DT_NOCLIP) | DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

}  // namespace

void SetMarkedPattern(const std::wstring& pattern, int flags) {
    g_pattern = pattern;
    g_flags = flags;
}

bool MatchSpan(HDC dc, const LineText& line, UINT format, LONG* left, LONG* right) {
    if (g_pattern.empty()) return false;
    const int textStart = HitTextStart(line);
    if (textStart == 0) return false;
    int start = -1, length = 0;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!FnFirstMatch(g_pattern.c_str(), line.units + textStart, line.count - textStart, g_flags,
                      &start, &length, status) ||
        start < 0 || length == 0)
        return false;
    // Measured from the line's start: a tab's width depends on what is before it.
    *left = PrefixWidth(dc, line, textStart + start, format);
    *right = PrefixWidth(dc, line, textStart + start + length, format);
    return *right > *left;
}

void DrawMatchMark(HDC dc, const LineText& line, const RECT& lineRect, UINT format) {
    LONG left = 0, right = 0;
    if (!MatchSpan(dc, line, format, &left, &right)) return;
    RECT mark{lineRect.left + left, lineRect.top, lineRect.left + right, lineRect.bottom};
    SavedDCState saved(dc);
    IntersectClipRect(dc, mark.left, mark.top, mark.right, mark.bottom);
    FillRect(dc, &mark, GetSysColorBrush(kMarkFill));
    SetTextColor(dc, GetSysColor(kMarkText));
    RECT text = lineRect;
    DrawTextW(dc, line.units, line.count, &text, format);
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
