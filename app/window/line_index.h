// Where each line of the results text starts, found once as the text comes
// (the whole of it, or block after block while a search writes it), so
// that drawing and the mouse reach any line without reading the text before
// it.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// Lines break as the platform's text drawing breaks them: at CR LF, LF CR,
// a lone CR or a lone LF. Text after the last break is a line only if it is
// not empty.
struct LineIndex {
    std::vector<size_t> starts;  // first unit of each line
    size_t total = 0;            // units indexed
    // Lines that may be the widest, as (columns, line): those with the most
    // columns (a tab reaches the next multiple of 8, a unit from U+1100 on
    // counts 2). Only their pixel widths need measuring.
    std::vector<std::pair<size_t, size_t>> widest;
};

// Candidates kept in LineIndex::widest.
const size_t kWidestCandidates = 32;

LineIndex IndexLines(const wchar_t* units, size_t count);

// Indexes units[index.total, count) as well, units[0, index.total) being
// the text indexed before: the index is then IndexLines(units, count)'s.
void ExtendLines(LineIndex& index, const wchar_t* units, size_t count);

size_t LineCount(const LineIndex& index);

// A line's units without its break.
struct LineText {
    const wchar_t* units;
    int count;
};
LineText LineAt(const LineIndex& index, const wchar_t* units, size_t line);
