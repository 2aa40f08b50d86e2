// What the results view draws over its text: the part of a hit line that
// pattern 2 matched, in the system's highlight colours, and the selected
// record. Worked out only for the lines drawn, when they are drawn.
#pragma once

#include <windows.h>

#include <string>

#include "line_index.h"

// The pattern 2 (and its flags) of the search whose results are shown; an
// empty pattern marks nothing.
void SetMarkedPattern(const std::wstring& pattern, int flags);

// The columns, in pixels from the line's left edge, that the match in a hit
// line covers when the line is drawn with its tabs expanded: false when
// nothing is marked in it.
bool MatchSpan(HDC dc, const LineText& line, LONG* left, LONG* right);

// Redraws the match of a hit line, already drawn at the top left of
// lineRect, in the highlight colours.
void DrawMatchMark(HDC dc, const LineText& line, const RECT& lineRect);

// The background of the selected record's rows, before their text.
void FillSelectedRows(HDC dc, const RECT& rows);
// The focus frame around the selected record's rows, after their text.
void FrameSelectedRows(HDC dc, const RECT& rows);
