// Which result record a line of the results text belongs to: a record is a
// path line followed by a tab-indented "(N)===>" line.
#pragma once

#include <string>

#include "line_index.h"

// The path of the record that holds `line`, either of its two lines; false
// when the line is part of no record (or lies past the text).
bool RecordPathAt(const LineIndex& index, const wchar_t* units, size_t line, std::wstring* path);
