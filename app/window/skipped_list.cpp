#include "skipped_list.h"

#include <commctrl.h>

#include <string>

#include "dpi.h"
#include "gdi_owners.h"
#include "main_window.h"
#include "record_actions.h"

namespace {

const wchar_t kClassName[] = L"VarneloSkippedList";
const wchar_t kCaption[] = L"飛ばしたファイルと行";
const wchar_t* const kColumnTitles[] = {L"パス", L"理由"};
const int kPathShare = 55;  // percent of the width the path column takes
// The first size at 100 %; it grows with the monitor's DPI.
const int kWidth = 640;
const int kHeight = 320;
const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                         LVS_SHOWSELALWAYS;

std::vector<SkippedEntry> g_entries;
HWND g_window = nullptr;
GdiObjectOwner g_font;  // the system's message font at the window's DPI

// A reason's own line breaks would show as boxes in its cell.
std::wstring OneLine(std::wstring text) {
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    return text;
}

HWND List() { return g_window ? GetWindow(g_window, GW_CHILD) : nullptr; }

void ApplyFont(HWND window) {
    LOGFONTW font = MessageFontForDpi(WindowDpi(window));
    HFONT made = CreateFontIndirectW(&font);
    if (!made) return;
    SendMessageW(List(), WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
    g_font.reset(made);
}

void FitColumns(int width) {
    const int path = MulDiv(width, kPathShare, 100);
    ListView_SetColumnWidth(List(), 0, path);
    ListView_SetColumnWidth(List(), 1, width - path - GetSystemMetrics(SM_CXVSCROLL));
}

// The selected rows, or every row when none is, as "path<tab>reason" lines.
std::wstring RowsText() {
    std::wstring text;
    const bool all = ListView_GetSelectedCount(List()) == 0;
    for (int row = all ? 0 : ListView_GetNextItem(List(), -1, LVNI_SELECTED);
         row >= 0 && row < static_cast<int>(g_entries.size());
         row = all ? row + 1 : ListView_GetNextItem(List(), row, LVNI_SELECTED))
        text += g_entries[row].path + L"\t" + OneLine(g_entries[row].reason) + L"\r\n";
    return text;
}

void OnKey(HWND window, WORD key) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_ESCAPE) DestroyWindow(window);
    if (ctrl && key == 'A') ListView_SetItemState(List(), -1, LVIS_SELECTED, LVIS_SELECTED);
    if (ctrl && key == 'C') CopyText(window, RowsText());
}

LRESULT OnNotify(HWND window, const NMHDR* header) {
    if (header->hwndFrom != List()) return 0;
    if (header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header));
        LVITEMW& item = info->item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 &&
            item.iItem < static_cast<int>(g_entries.size()) && item.cchTextMax > 0) {
            const SkippedEntry& e = g_entries[item.iItem];
            const std::wstring text = item.iSubItem == 0 ? e.path : OneLine(e.reason);
            lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
    } else if (header->code == LVN_KEYDOWN) {
        OnKey(window, reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
    }
    return 0;
}

void OnCreate(HWND window) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", kListStyle, 0, 0, 0, 0,
                                window, nullptr, AppInstance(), nullptr);
    if (!list) return;
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumnTitles[i]);
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
}

LRESULT CALLBACK SkippedListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        g_window = hwnd;
        OnCreate(hwnd);
        ApplyFont(hwnd);
        return 0;
    case WM_SIZE:
        MoveWindow(List(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        FitColumns(LOWORD(lParam));
        return 0;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyFont(hwnd);
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(List());
        return 0;
    case WM_NOTIFY:
        return OnNotify(hwnd, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        g_window = nullptr;
        g_font.reset(nullptr);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = SkippedListProc;
        wc.hInstance = AppInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

void ShowEntries() {
    ListView_SetItemCountEx(List(), static_cast<int>(g_entries.size()), 0);
    InvalidateRect(List(), nullptr, TRUE);
}

}  // namespace

void KeepSkippedList(std::vector<SkippedEntry> entries) {
    g_entries = std::move(entries);
    if (g_window) ShowEntries();
}

void ShowSkippedList(HWND owner) {
    if (g_entries.empty()) return;
    if (!g_window) {
        if (!RegisterOnce()) return;
        const UINT dpi = WindowDpi(owner);
        CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        ScaleForDpi(kWidth, dpi), ScaleForDpi(kHeight, dpi), owner, nullptr,
                        AppInstance(), nullptr);
        if (!g_window) return;
    }
    ShowEntries();
    ShowWindow(g_window, SW_SHOWNORMAL);
    SetForegroundWindow(g_window);
}
