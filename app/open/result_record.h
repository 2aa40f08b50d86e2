// Which result record a line of the results text belongs to: a record is a
// path line followed by a tab-indented "(N)===>" line.
#pragma once

#include <string>

#include "line_index.h"

// The path of the record that holds `line`, either of its two lines; false
// when the line is part of no record (or lies past the text).
bool RecordPathAt(const LineIndex& index, const wchar_t* units, size_t line, std::wstring* path);

// A record found in the results text: the line of its path (its hit line is
// the next), its file and the line number the search wrote.
struct ResultRecord {
    size_t pathLine = 0;
    std::wstring path;
    int number = 0;
};

// The record that holds `line`, either of its two lines.
bool RecordAt(const LineIndex& index, const wchar_t* units, size_t line, ResultRecord* record);

// The first record whose path line lies after `line` (forward) or before it
// (backward), looking at most `limit` lines away.
bool AdjacentRecord(const LineIndex& index, const wchar_t* units, size_t line, bool forward,
                    size_t limit, ResultRecord* record);

// Where the searched line's text starts in a hit line ("\t(N)===>" before
// it); 0 when the line is no hit line.
int HitTextStart(const LineText& hitLine);
