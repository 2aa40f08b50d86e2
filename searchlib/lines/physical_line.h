// The editor's line for a record's line, on a loaded text or on its bytes.
#pragma once

#include <cstddef>

// text[from, n): the text as the line search walks it, its first line at
// from. The line, from 1, at which the recordLine-th line of CutLines starts
// when every CR LF, lone CR and lone LF ends a line; the start of the text's
// last such line when it has fewer. Works on UTF-16 units and equally on the
// bytes of an encoding in which CR and LF are single bytes that no other
// character contains (UTF-8, Shift_JIS, EUC-JP, ISO-2022-JP): breaks are
// counted, never decoded.
int PhysicalLineOf(const wchar_t* text, size_t from, size_t n, int recordLine);
int PhysicalLineOf(const unsigned char* text, size_t from, size_t n, int recordLine);
