// Result records handed on to other programs: each record's file, its line
// as an editor counts it, and the line's text; written as the tag-jump
// lines editors jump from, or as CSV for a spreadsheet.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "line_index.h"

struct HitRecord {
    std::wstring path;
    int line = 0;  // the search's number until EditorLines has run
    std::wstring text;
};

// Every record whose path line lies in [firstLine, lastLine] of a results
// text, in order.
std::vector<HitRecord> HitRecordsIn(const LineIndex& index, const wchar_t* units, size_t firstLine,
                                    size_t lastLine);

// Turns each record's number into the line an editor shows (each file read
// once for all its records; an unreadable one keeps the numbers). Stops
// between files, returning false, once stop is set.
bool EditorLines(std::vector<HitRecord>& records, const std::atomic<bool>& stop);

// "C:\path\file.txt(12): text" lines, CR LF after each.
std::wstring TagJumpText(const std::vector<HitRecord>& records);

// The file forms: tag-jump lines in UTF-8 without a mark, and CSV (a
// header, then path, line, text; UTF-8 with its mark, so that Excel reads
// it as UTF-8).
std::string TagJumpBytes(const std::vector<HitRecord>& records);
std::string CsvBytes(const std::vector<HitRecord>& records);
