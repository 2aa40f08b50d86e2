// The status bar's tooltip. The bar is subclassed to see every text set for
// its shown part (the library sets them; the program never composes them),
// and the tooltip, which covers the whole bar, is active only while that
// text is wider than the bar can show.
#include "status_tip.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "gdi_owners.h"

namespace {

const UINT_PTR kToolId = 1;
// Long reasons wrap at this width rather than run off the screen.
const int kMaxTipWidth = 600;
// Milliseconds the tip stays up: long enough to read a long reason.
const int kShowForMs = 30000;

HWND g_bar = nullptr;
HWND g_tip = nullptr;
WNDPROC g_barProc = nullptr;
std::wstring g_text;

// The text as the bar shows it: control characters as spaces.
std::wstring AsShown(std::wstring text) {
    std::replace_if(text.begin(), text.end(), [](wchar_t c) { return c < L' '; }, L' ');
    return text;
}

bool TextFits() {
    RECT client{};
    GetClientRect(g_bar, &client);
    int borders[3] = {};  // horizontal, vertical, between parts
    SendMessageW(g_bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    // The part ends where the size grip starts.
    const int room = client.right - 2 * borders[0] - GetSystemMetrics(SM_CXVSCROLL);
    const std::wstring shown = AsShown(g_text);
    WindowDC dc(g_bar);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(g_bar, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc.get(), font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), shown.c_str(), static_cast<int>(shown.size()), &size);
    if (old) SelectObject(dc.get(), old);
    return size.cx <= room;
}

TTTOOLINFOW Tool() {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = g_bar;
    tool.uId = kToolId;
    GetClientRect(g_bar, &tool.rect);
    return tool;
}

void Refresh() {
    if (!g_tip) return;
    TTTOOLINFOW tool = Tool();
    SendMessageW(g_tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    // The tip shows the text with its own line breaks.
    tool.lpszText = const_cast<wchar_t*>(g_text.c_str());
    SendMessageW(g_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(g_tip, TTM_ACTIVATE, !g_text.empty() && !TextFits(), 0);
}

// The part on show: the simple-mode part while simple, part 0 otherwise.
bool SetsShownPart(WPARAM partAndFlags) {
    const bool simple = SendMessageW(g_bar, SB_ISSIMPLE, 0, 0) != 0;
    return LOBYTE(LOWORD(partAndFlags)) == (simple ? SB_SIMPLEID : 0);
}

LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case SB_SETTEXTW: {
        LRESULT result = CallWindowProcW(g_barProc, hwnd, message, wParam, lParam);
        const bool ownerDrawn = (wParam & SBT_OWNERDRAW) != 0;
        if (result && !ownerDrawn && SetsShownPart(wParam)) {
            g_text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
            Refresh();
        }
        return result;
    }
    case WM_SIZE: {
        LRESULT result = CallWindowProcW(g_barProc, hwnd, message, wParam, lParam);
        Refresh();
        return result;
    }
    case WM_NCDESTROY: {
        WNDPROC original = g_barProc;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        if (g_tip) DestroyWindow(g_tip);
        g_tip = nullptr;
        g_bar = nullptr;
        g_text.clear();
        return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    }
    return CallWindowProcW(g_barProc, hwnd, message, wParam, lParam);
}

}  // namespace

bool StatusTextShownWhole() { return !g_bar || TextFits(); }

void AttachStatusTip(HWND statusBar) {
    if (!statusBar) return;
    g_bar = statusBar;
    g_text.clear();
    g_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, GetParent(statusBar), nullptr,
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(statusBar, GWLP_HINSTANCE)),
                            nullptr);
    if (!g_tip) return;
    TTTOOLINFOW tool = Tool();
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(g_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(g_tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(g_tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kShowForMs);
    SendMessageW(g_tip, TTM_ACTIVATE, FALSE, 0);
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusBarProc)));
}
