#include "preview_pane.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "Tessumi.h"
#include "dpi.h"
#include "gdi_owners.h"
#include "preview_text.h"
#include "resources/resource_ids.h"
#include "settings.h"

namespace {

const wchar_t kSection[] = L"Preview";
const wchar_t kShownKey[] = L"Shown";
const wchar_t kHeightKey[] = L"Height";  // pixels at 100 %
const wchar_t kLinesKey[] = L"ContextLines";
const int kDefaultHeight = 160;
const int kDefaultLines = 3;
const int kLineChoices[] = {1, 2, 3, 5, 10};
const UINT kLineCommands[] = {IDM_PREVIEW_LINES_1, IDM_PREVIEW_LINES_2, IDM_PREVIEW_LINES_3,
                              IDM_PREVIEW_LINES_5, IDM_PREVIEW_LINES_10};
// At 100 %: the sizing bar, and the least the pane and the view keep.
const int kBarHeight = 5;
const int kLeastPane = 24;
const int kLeastView = 48;
const DWORD kPaneStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                         ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL;
const wchar_t kReadMessageName[] = L"Varnelo.PreviewLinesRead";
// The wait cursor and the reading text show only when a read takes longer.
const UINT kWaitDelayMs = 200;
const UINT_PTR kWaitTimerId = 0x9E71;
const wchar_t kReading[] = L"読み込んでいます…";

struct Pane {
    HWND window = nullptr;
    WNDPROC editProc = nullptr;
    bool shown = true;
    int heightAt96 = kDefaultHeight;
    int lines = kDefaultLines;
    RECT bar{};          // the sizing bar, in the main window's client area
    LONG areaBottom = 0;  // where the area the pane shares with the view ends
    bool dragging = false;
    // The record the selection asks for, and the read under way.
    bool wanted = false;
    PreviewRequest request;
    unsigned serial = 0;  // counts the requests: a read of an older one is stale
    bool reading = false;
    bool waiting = false;  // the wait cursor shows
    COLORREF fill = GetSysColor(COLOR_WINDOW);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    GdiObjectOwner fillBrush;
};
Pane g_pane;

struct ReadJob {
    HWND owner;
    unsigned serial;
    PreviewRequest request;
    int lines;
    int fromUnit;
    int ok = 0;
    std::vector<wchar_t> text;
    int firstLine = 1;
    int hitLine = 1;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS] = {};
};

UINT ReadMessage() {
    static const UINT message = RegisterWindowMessageW(kReadMessageName);
    return message;
}

DWORD WINAPI ReadLines(void* parameter) {
    std::unique_ptr<ReadJob> job(static_cast<ReadJob*>(parameter));
    const int lineUnits = kPreviewLineUnits + 1;  // one more: does the line go on?
    job->text.resize(static_cast<size_t>(2 * job->lines + 1) * (lineUnits + 2) + 1);
    job->ok = FnLinesAround(job->request.path.c_str(), job->request.recordLine, job->lines,
                            job->lines, job->fromUnit, lineUnits, job->text.data(),
                            static_cast<int>(job->text.size()), &job->firstLine, &job->hitLine,
                            job->status);
    if (PostMessageW(job->owner, ReadMessage(), 0, reinterpret_cast<LPARAM>(job.get())))
        job.release();  // the window's now
    return 0;
}

void SetPaneText(const std::wstring& text) {
    if (g_pane.window) SetWindowTextW(g_pane.window, text.c_str());
}

// A library text with its lone LFs as the edit control's line breaks.
std::wstring EditText(const wchar_t* text) {
    std::wstring out;
    for (; *text; ++text) {
        if (*text == L'\n') out += L'\r';
        out += *text;
    }
    return out;
}

void EndWait(HWND owner) {
    KillTimer(owner, kWaitTimerId);
    if (!g_pane.waiting) return;
    g_pane.waiting = false;
    POINT at{};
    GetCursorPos(&at);
    if (WindowFromPoint(at) == g_pane.window) SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
}

void StartRead(HWND owner) {
    if (!g_pane.window || !g_pane.shown || !g_pane.wanted || g_pane.reading) return;
    auto job = std::make_unique<ReadJob>();
    job->owner = owner;
    job->serial = g_pane.serial;
    job->request = g_pane.request;
    job->lines = g_pane.lines;
    job->fromUnit = PreviewFromUnit(job->request.matchStart, job->request.matchLength);
    HANDLE thread = CreateThread(nullptr, 0, ReadLines, job.get(), 0, nullptr);
    if (!thread) return;
    job.release();  // the thread's now
    CloseHandle(thread);
    g_pane.reading = true;
    SetTimer(owner, kWaitTimerId, kWaitDelayMs, nullptr);
}

// Shows the lines read, the hit line in the middle of the pane and its match
// selected.
void ShowRead(const ReadJob& job) {
    if (!job.ok) {
        SetPaneText(EditText(job.status));
        return;
    }
    const PreviewShown shown =
        ComposePreview(job.text.data(), job.firstLine, job.hitLine, job.fromUnit,
                       job.request.matchStart, job.request.matchLength);
    SetPaneText(shown.text);
    HWND edit = g_pane.window;
    SendMessageW(edit, EM_SETSEL, shown.selectFrom, shown.selectTo);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    RECT client{};
    GetClientRect(edit, &client);
    TEXTMETRICW tm{};
    {
        WindowDC dc(edit);
        SavedDCState saved(dc.get());
        if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)))
            SelectObject(dc.get(), font);
        GetTextMetricsW(dc.get(), &tm);
    }
    const int rows = std::max(1L, client.bottom / std::max(1L, tm.tmHeight));
    const int top = std::max(0, shown.hitRow - (rows - 1) / 2);
    const int first = static_cast<int>(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageW(edit, EM_LINESCROLL, 0, top - first);
}

void OnRead(HWND owner, LPARAM lParam) {
    std::unique_ptr<ReadJob> job(reinterpret_cast<ReadJob*>(lParam));
    g_pane.reading = false;
    EndWait(owner);
    if (job->serial == g_pane.serial && g_pane.shown)
        ShowRead(*job);
    else
        StartRead(owner);  // the selection moved on meanwhile
}

void SyncMenu(HWND mainWindow) {
    HMENU menu = GetMenu(mainWindow);
    if (!menu) return;
    CheckMenuItem(menu, IDM_PREVIEW, MF_BYCOMMAND | (g_pane.shown ? MF_CHECKED : MF_UNCHECKED));
    for (size_t i = 0; i < std::size(kLineChoices); ++i)
        if (kLineChoices[i] == g_pane.lines)
            CheckMenuRadioItem(menu, kLineCommands[0], kLineCommands[std::size(kLineCommands) - 1],
                               kLineCommands[i], MF_BYCOMMAND);
}

void Relayout(HWND mainWindow) {
    // The main window lays its children out again on WM_SIZE.
    SendMessageW(mainWindow, WM_SIZE, 0, 0);
    InvalidateRect(mainWindow, nullptr, TRUE);
}

bool OnCommand(HWND mainWindow, UINT command) {
    if (command == IDM_PREVIEW) {
        g_pane.shown = !g_pane.shown;
        settings::WriteInt(kSection, kShownKey, g_pane.shown ? 1 : 0);
        ShowWindow(g_pane.window, g_pane.shown ? SW_SHOWNA : SW_HIDE);
        if (!g_pane.shown && GetFocus() == g_pane.window) SetFocus(mainWindow);
        SyncMenu(mainWindow);
        Relayout(mainWindow);
        ++g_pane.serial;  // a read under way is for the pane as it was
        StartRead(mainWindow);
        return true;
    }
    for (size_t i = 0; i < std::size(kLineCommands); ++i) {
        if (command != kLineCommands[i]) continue;
        g_pane.lines = kLineChoices[i];
        settings::WriteInt(kSection, kLinesKey, g_pane.lines);
        SyncMenu(mainWindow);
        ++g_pane.serial;
        StartRead(mainWindow);
        return true;
    }
    return false;
}

// The pane's height for the main window's DPI, as far as the area lets it.
LONG PaneHeight(HWND mainWindow, LONG area) {
    const UINT dpi = WindowDpi(mainWindow);
    const LONG most = area - ScaleForDpi(kLeastView + kBarHeight, dpi);
    return std::max(0L, std::min<LONG>(ScaleForDpi(g_pane.heightAt96, dpi),
                                       std::max<LONG>(most, ScaleForDpi(kLeastPane, dpi))));
}

void DragTo(HWND mainWindow, LONG y) {
    const UINT dpi = WindowDpi(mainWindow);
    const LONG height = g_pane.areaBottom - y - ScaleForDpi(kBarHeight, dpi) / 2;
    const int at96 = MulDiv(static_cast<int>(height), kBaseDpi, static_cast<int>(dpi));
    g_pane.heightAt96 = std::max(kLeastPane, at96);
    Relayout(mainWindow);
}

LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (ctrl && wParam == 'A') {
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
            return 0;
        }
        // Tab and Esc take the keys back to the records.
        if (wParam == VK_TAB || wParam == VK_ESCAPE) {
            SetFocus(GetParent(hwnd));
            return 0;
        }
    }
    if (message == WM_CHAR && (wParam == L'\t' || wParam == 0x1B || wParam == 0x01)) return 0;
    return CallWindowProcW(g_pane.editProc, hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreatePreviewPane(HWND mainWindow, HINSTANCE instance) {
    // A read for an earlier main window ends with it.
    g_pane.reading = g_pane.waiting = g_pane.wanted = g_pane.dragging = false;
    g_pane.shown = settings::ReadInt(kSection, kShownKey, 1) != 0;
    g_pane.heightAt96 = std::max(kLeastPane, settings::ReadInt(kSection, kHeightKey, kDefaultHeight));
    const int lines = settings::ReadInt(kSection, kLinesKey, kDefaultLines);
    g_pane.lines = std::count(std::begin(kLineChoices), std::end(kLineChoices), lines) ? lines
                                                                                       : kDefaultLines;
    g_pane.window = CreateWindowExW(0, L"edit", nullptr, kPaneStyle | (g_pane.shown ? WS_VISIBLE : 0),
                                    0, 0, 0, 0, mainWindow,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEW_PANE)),
                                    instance, nullptr);
    if (!g_pane.window) return nullptr;
    // No limit but memory: a read never stops short of what it holds.
    SendMessageW(g_pane.window, EM_SETLIMITTEXT, 0, 0);
    g_pane.editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_pane.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
    SyncMenu(mainWindow);
    return g_pane.window;
}

RECT LayOutPreview(HWND mainWindow, const RECT& area) {
    g_pane.areaBottom = area.bottom;
    g_pane.bar = RECT{};
    if (!g_pane.window || !g_pane.shown) return area;
    const LONG pane = PaneHeight(mainWindow, area.bottom - area.top);
    const LONG bar = ScaleForDpi(kBarHeight, WindowDpi(mainWindow));
    const LONG paneTop = std::max(area.top, area.bottom - pane);
    const LONG barTop = std::max(area.top, paneTop - bar);
    MoveWindow(g_pane.window, area.left, paneTop, area.right - area.left, area.bottom - paneTop, TRUE);
    g_pane.bar = {area.left, barTop, area.right, paneTop};
    return {area.left, area.top, area.right, barTop};
}

void PreviewRecord(const PreviewRequest* request) {
    ++g_pane.serial;
    g_pane.wanted = request != nullptr;
    if (request) g_pane.request = *request;
    if (!g_pane.window || !g_pane.shown) return;  // hidden: nothing is read
    if (!request) {
        SetPaneText(L"");
        return;
    }
    StartRead(GetParent(g_pane.window));
}

void UsePreviewLook(HFONT font, COLORREF fill, COLORREF text) {
    g_pane.fill = fill;
    g_pane.text = text;
    g_pane.fillBrush.reset(CreateSolidBrush(fill));
    if (g_pane.window) SendMessageW(g_pane.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool HandlePreviewMessage(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result) {
    if (!g_pane.window) return false;
    *result = 0;
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (message == ReadMessage() && message != 0) {
        OnRead(mainWindow, lParam);
        return true;
    }
    switch (message) {
    case WM_COMMAND:
        return OnCommand(mainWindow, LOWORD(wParam));
    case WM_TIMER:
        if (wParam != kWaitTimerId) return false;
        KillTimer(mainWindow, kWaitTimerId);
        if (g_pane.reading) {
            g_pane.waiting = true;
            SetPaneText(kReading);
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        }
        return true;
    case WM_SETCURSOR: {
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(mainWindow, &cursor);
        if (reinterpret_cast<HWND>(wParam) == g_pane.window && g_pane.waiting) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        } else if (reinterpret_cast<HWND>(wParam) == mainWindow && PtInRect(&g_pane.bar, cursor)) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
        } else {
            return false;
        }
        *result = TRUE;
        return true;
    }
    case WM_LBUTTONDOWN:
        if (!PtInRect(&g_pane.bar, at)) return false;
        g_pane.dragging = true;
        SetCapture(mainWindow);
        return true;
    case WM_MOUSEMOVE:
        if (!g_pane.dragging) return false;
        DragTo(mainWindow, at.y);
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (!g_pane.dragging) return false;
        g_pane.dragging = false;
        if (message == WM_LBUTTONUP) ReleaseCapture();
        settings::WriteInt(kSection, kHeightKey, g_pane.heightAt96);
        return true;
    case WM_KEYDOWN:
        // Tab takes the keys to the pane, to select and copy its text.
        if (wParam != VK_TAB || !g_pane.shown) return false;
        SetFocus(g_pane.window);
        return true;
    case WM_ERASEBKGND:
        *result = DefWindowProcW(mainWindow, message, wParam, lParam);
        FillRect(reinterpret_cast<HDC>(wParam), &g_pane.bar, GetSysColorBrush(COLOR_BTNFACE));
        return true;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != g_pane.window || !g_pane.fillBrush.get()) return false;
        SetTextColor(reinterpret_cast<HDC>(wParam), g_pane.text);
        SetBkColor(reinterpret_cast<HDC>(wParam), g_pane.fill);
        *result = reinterpret_cast<LRESULT>(g_pane.fillBrush.get());
        return true;
    }
    return false;
}
