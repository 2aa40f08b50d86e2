#include "search_progress.h"

#include <commctrl.h>

#include "gdi_owners.h"
#include "main_window.h"
#include "resources/resource_ids.h"
#include "search_worker.h"
#include "status_bar_texts.h"

namespace {

const UINT kProgressIntervalMs = 100;  // ten times a second at most
const int kTextMargin = 8;             // the status bar's own padding, roughly

std::wstring g_shown;  // the progress text last put into the status bar

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The progress text with as much of the folder's end as the status bar
// shows beside its size grip.
std::wstring FittedProgressText(const SearchProgress& p) {
    const std::wstring whole = ProgressText(p.files, p.hits, p.folder);
    HWND bar = StatusBar();
    RECT client{};
    if (!bar || !GetClientRect(bar, &client)) return whole;
    const int room = client.right - GetSystemMetrics(SM_CXVSCROLL) - kTextMargin;
    WindowDC dc(bar);
    if (!dc.get()) return whole;
    SavedDCState saved(dc.get());
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)))
        SelectObject(dc.get(), font);
    if (TextWidth(dc.get(), whole) <= room) return whole;
    // The longest end of the folder that fits; at least its ellipsis.
    size_t fits = 0, tooLong = p.folder.size();
    while (tooLong - fits > 1) {
        size_t mid = fits + (tooLong - fits) / 2;
        if (TextWidth(dc.get(), ProgressText(p.files, p.hits, FolderEnd(p.folder, mid))) <= room)
            fits = mid;
        else
            tooLong = mid;
    }
    return ProgressText(p.files, p.hits, FolderEnd(p.folder, fits));
}

void SetSearchMenu(HWND mainWindow, bool searching) {
    HMENU menu = GetMenu(mainWindow);
    EnableMenuItem(menu, IDM_SEARCH, MF_BYCOMMAND | (searching ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(menu, IDM_STOP, MF_BYCOMMAND | (searching ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void ShowStatusText(const std::wstring& text) {
    if (!StatusBar()) return;
    SendMessageW(StatusBar(), SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void BeginProgressDisplay(HWND mainWindow) {
    SetSearchMenu(mainWindow, true);
    g_shown.clear();
    UpdateProgressDisplay(mainWindow);
    SetTimer(mainWindow, kProgressTimerId, kProgressIntervalMs, nullptr);
}

void UpdateProgressDisplay(HWND) {
    std::wstring text = FittedProgressText(LatestSearchProgress());
    if (text == g_shown) return;
    g_shown = text;
    ShowStatusText(text);
}

void EndProgressDisplay(HWND mainWindow) {
    KillTimer(mainWindow, kProgressTimerId);
    SetSearchMenu(mainWindow, false);
}
