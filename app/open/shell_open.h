// Files handed to the shell's "open": Explorer on a folder, and an Office
// document in the program its type is registered to.
#pragma once

#include <windows.h>

#include <string>

// ShellExecuteExW "open" of file with parameters, the shell's own dialogs
// left out: ERROR_SUCCESS, or the failure's code.
DWORD ShellOpen(HWND owner, const wchar_t* file, const wchar_t* parameters);

// Opens a document (hit_target.h's IsOfficeDocument, and only such) in the
// program its type is registered to; on failure a message box owned by
// owner gives the system's reason.
void OpenDocument(HWND owner, const std::wstring& path);
