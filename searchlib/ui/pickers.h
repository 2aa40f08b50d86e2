// Internal part of the pickers: the Japanese texts for common-dialog errors.
#pragma once

#include <windows.h>

// Writes the text for a CommDlgExtendedError code from out[0]; out holds at
// least 256 units.
void FnDialogErrorText(DWORD code, wchar_t* out);
