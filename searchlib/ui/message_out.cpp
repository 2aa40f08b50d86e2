// SubMessageOut: a beep and the text in the status bar's simple-mode part.
#include "Tessumi.h"

#include <commctrl.h>

extern "C" TESSUMI_API int SubMessageOut(HWND statusBar, const wchar_t* text) {
    if (text == nullptr) return 0;  // no StatusText here to explain it in
    MessageBeep(MB_OK);
    // 511: part SB_SIMPLEID (255) drawn with SBT_NOBORDERS.
    return static_cast<int>(SendMessageW(statusBar, SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS,
                                         reinterpret_cast<LPARAM>(text)));
}
