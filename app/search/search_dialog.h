// The modal search dialog (template 401), in which the user edits the
// search conditions and picks the start folder and the results file.
#pragma once

#include <windows.h>

// Shows the dialog over owner. 1 after "実行" with conditions that passed
// their checks (the conditions then hold the four fields and the options),
// 0 after "キャンセル" (or Esc, the close box, Alt+F4) or a failed picker,
// -1 when the dialog cannot be shown.
INT_PTR RunSearchDialog(HWND owner);
