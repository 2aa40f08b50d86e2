// The system's own text for an error code, in the user's default language.
#pragma once

#include <windows.h>

#include <string>

// FormatMessageW's text for code, as the system gives it; empty if the
// system has none.
std::wstring SystemMessageText(DWORD code);

// The error code behind a failed ShellExecuteExW: the thread's last error,
// or, where the shell left only its old SE_ERR_ value in hInstApp, the
// error that value stands for.
DWORD ShellExecuteErrorCode(DWORD lastError, INT_PTR instApp);
