#include "skipped_list.h"

#include <string>

#include "main_window.h"

namespace {

const wchar_t kClassName[] = L"VarneloSkippedList";
const wchar_t kCaption[] = L"読めなかったファイルとフォルダー";
const int kWidth = 640;
const int kHeight = 320;
const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                         ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

std::vector<SkippedEntry> g_entries;
HWND g_window = nullptr;

// A reason's own line breaks would split its entry over several lines.
std::wstring OneLine(std::wstring text) {
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    return text;
}

std::wstring ListText() {
    std::wstring text;
    for (const SkippedEntry& e : g_entries) text += e.path + L"\t" + OneLine(e.reason) + L"\r\n";
    return text;
}

LRESULT CALLBACK SkippedListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kListStyle, 0, 0, 0, 0, hwnd, nullptr,
                        AppInstance(), nullptr);
        return 0;
    case WM_SIZE:
        MoveWindow(GetWindow(hwnd, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(GetWindow(hwnd, GW_CHILD));
        return 0;
    case WM_DESTROY:
        g_window = nullptr;
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

}  // namespace

void KeepSkippedList(std::vector<SkippedEntry> entries) {
    g_entries = std::move(entries);
    if (g_window) SetWindowTextW(GetWindow(g_window, GW_CHILD), ListText().c_str());
}

void ShowSkippedList(HWND owner) {
    if (g_entries.empty()) return;
    if (!g_window) {
        if (!RegisterOnce()) return;
        g_window = CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                   CW_USEDEFAULT, kWidth, kHeight, owner, nullptr, AppInstance(),
                                   nullptr);
        if (!g_window) return;
    }
    HWND list = GetWindow(g_window, GW_CHILD);
    SendMessageW(list, EM_LIMITTEXT, 0, 0);  // as long as the list grows
    SetWindowTextW(list, ListText().c_str());
    ShowWindow(g_window, SW_SHOWNORMAL);
    SetForegroundWindow(g_window);
}
