// The modal search dialog (template 401), in which the user edits the
// search conditions and picks the start folder and the results file.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog over owner, with startFolder (when given) in place of
// the last 入力先. 1 after "実行" with conditions that passed their checks
// (the conditions then hold the four fields and the options), 0 after
// "キャンセル" (or Esc, the close box, Alt+F4) or a failed picker, -1 when
// the dialog cannot be shown.
INT_PTR RunSearchDialog(HWND owner, const std::wstring* startFolder = nullptr);

// The dialog while it is open; null otherwise.
HWND SearchDialogShown();

// Puts a folder into the open dialog's 入力先, selected.
void ShowStartFolder(HWND dialog, const std::wstring& folder);
