// lookfor's output, readable wherever it goes: a console, or a file or pipe
// in the code page that the user's console shows.
#pragma once

#include <windows.h>

#include <string>

// Writes text to the standard handle `which` (STD_OUTPUT_HANDLE or
// STD_ERROR_HANDLE). A console gets it with WriteConsoleW; a redirected
// handle gets it in the console's output code page, or in the ANSI code page
// when there is no console, with every LF written as CR LF.
void WriteOut(DWORD which, const std::wstring& text);
