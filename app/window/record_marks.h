// What the results view draws over its text: every part of a hit line that
// pattern 2 matched, in the system's highlight colours, and the selected
// record. The matches of a line are found once, when it is first drawn.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "line_index.h"
#include "line_layout.h"

// The pattern 2 (and its flags) of the search whose results are shown; an
// empty pattern marks nothing. The matches found before are forgotten.
void SetMarkedPattern(const std::wstring& pattern, int flags);

// Forgets the matches found: the text changed.
void ForgetMatches();

// Every match in the line (index `line` of the results text), as start and
// length in the line's own units; none for a line that is no hit line.
using Matches = std::vector<std::pair<int, int>>;
const Matches& MatchesInLine(size_t line, const LineText& text);

// Redraws the matches of a line that layout drew with its start at
// lineLeft and its rows [top, bottom), in the highlight colours, as far as
// they reach into [clipLeft, clipRight). A line whose matches are not
// known yet has them found only before `deadline` (GetTickCount64()), so
// that a drawing of many lines of a slow pattern keeps the window
// answering; false when they were left for a later drawing.
bool DrawMatchMarks(HDC dc, LineLayout& layout, size_t line, const LineText& text, LONG lineLeft,
                    LONG top, LONG bottom, LONG clipLeft, LONG clipRight, ULONGLONG deadline);

// The background of the selected record's rows, before their text.
void FillSelectedRows(HDC dc, const RECT& rows);
// The focus frame around the selected record's rows, after their text.
void FrameSelectedRows(HDC dc, const RECT& rows);
