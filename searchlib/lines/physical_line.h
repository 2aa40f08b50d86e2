// The editor's line for a record's line, on a loaded text.
#pragma once

#include <cstddef>

// text[0, n) as the loader gives it (text[0] is U+FEFF). The line, from 1,
// at which the recordLine-th line of CutLines starts when every CR LF, lone
// CR and lone LF ends a line; the start of the text's last such line when
// it has fewer.
int PhysicalLineOf(const wchar_t* text, size_t n, int recordLine);
