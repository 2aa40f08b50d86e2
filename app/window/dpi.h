// The monitor's DPI and the system's UI font at that DPI. The *ForDpi
// functions come from user32 at run time: Windows before 10 (1607) and Wine
// may lack them, and then the system-wide values stand in.
#pragma once

#include <windows.h>

const UINT kBaseDpi = 96;  // 100 %

// A length given at 100 % for dpi.
int ScaleForDpi(int length, UINT dpi);

// The DPI of the monitor the window is on (the system's when unknown).
UINT WindowDpi(HWND hwnd);

// The system's message font (Yu Gothic UI on a Japanese Windows 11) for dpi.
LOGFONTW MessageFontForDpi(UINT dpi);

// A window rectangle for a client rectangle, at dpi.
RECT WindowRectForClient(RECT client, DWORD style, bool menu, DWORD exStyle, UINT dpi);
