// The code page of the detection rule's last step: the system's ANSI code
// page, or Shift_JIS where the system's is UTF-8 ("Beta: Use Unicode UTF-8
// for worldwide language support"), whose conversion would refuse every
// Shift_JIS file.
#pragma once

#include <windows.h>

// GetACP, or what a test puts in its place to play another system.
using AnsiCodePageFunction = UINT(WINAPI*)();
extern AnsiCodePageFunction systemAnsiCodePage;

struct FallbackConversion {
    UINT codePage;  // CP_ACP, or 932 on a UTF-8 system
    DWORD flags;    // MB_PRECOMPOSED, or none for 932 (which takes no flags there)
};

// Decides from systemAnsiCodePage() alone.
FallbackConversion FallbackCodePage();
