// FnWriteOut: the library's one writer of the results file.
#pragma once

#include <windows.h>

// Writes byteCount bytes with one synchronous WriteFile. 1 and "正常です。",
// or 0 and fileName + "を書き出すことができません\n理由：" + the reason.
int FnWriteOut(HANDLE file, const wchar_t* fileName, const void* data, int byteCount,
               wchar_t* statusText);
