// Where the units of a results line go across, as the view draws them: a
// tab to the next stop of 8 average character widths from the line's start
// (where DT_EXPANDTABS puts it), every other unit as far as the font
// advances it. Positions are LONG all the way: no 16-bit extent wraps them.
// A line is drawn in pieces of at most kPieceUnits units (Wine draws no
// more at once), and only the pieces that show; a long line's pieces are
// measured once and kept.
#pragma once

#include <windows.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "line_index.h"

const int kPieceUnits = 1000;

class LineLayout {
public:
    // Forgets every measured line: the text or the font changed.
    void Clear();

    // The line's width in pixels with the font selected into dc.
    LONG Width(HDC dc, size_t line, const LineText& text);

    // The x of each of units (ascending unit positions, at most the line's
    // count) from the line's start, into xs.
    void Positions(HDC dc, size_t line, const LineText& text, const std::vector<int>& units,
                   std::vector<LONG>& xs);

    // Draws the pieces of the line that reach into [clipLeft, clipRight),
    // the line's start at lineLeft, its top at y, with the dc's colours.
    void Draw(HDC dc, size_t line, const LineText& text, LONG lineLeft, LONG y, LONG clipLeft,
              LONG clipRight);

    // Draws units [from, to) alone, at most a piece of them (a surrogate
    // pair's second unit may come on top), where the line drawn from
    // lineLeft has them; x is where `from` is in the line.
    void DrawUnits(HDC dc, const LineText& text, int from, int to, LONG x, LONG lineLeft, LONG y);

    // A line's pieces: the unit each starts at and its x; the last x is the
    // line's width, or for a line of one piece a bound of it.
    struct Pieces {
        std::vector<int> starts;
        std::vector<LONG> xs;  // one more than starts
    };
    const Pieces& PiecesOf(HDC dc, size_t line, const LineText& text);

private:
    LONG TabWidth(HDC dc);

    std::unordered_map<size_t, Pieces> measured_;  // lines longer than a piece
    Pieces short_;  // the last short line asked about, measured again each time
    LONG tab_ = 0;
    LONG widest_ = 0;  // the most one unit can advance
};

// x after units[from, to) of a line drawn from x (counted from the line's
// start), tabs every tab pixels.
LONG AdvanceOver(HDC dc, const wchar_t* units, int from, int to, LONG x, LONG tab);
