// MainWndClass: the main window with its status bar and results view.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "gdi_owners.h"
#include "message_boxes.h"
#include "resources/resource_ids.h"
#include "results_view.h"
#include "search_command.h"
#include "skipped_list.h"
#include "status_tip.h"

namespace {

const wchar_t kClassName[] = L"MainWndClass";
// The taskbar button and Alt+Tab show it.
const wchar_t kCaption[] = L"Varnelo";
const DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;  // 0xCC0000
const int kMainWindowWidth = 647;
const int kMainWindowHeight = 400;
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;  // 0x50000103

HINSTANCE g_instance = nullptr;
HWND g_statusBar = nullptr;
int g_statusBarHeight = 0;  // measured once, at creation
HWND g_resultsView = nullptr;

void OnCreate(HWND hwnd) {
    g_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    InitCommonControls();

    g_statusBar = CreateStatusWindowW(kStatusBarStyle, nullptr, hwnd, IDC_STATUS_BAR);
    if (!g_statusBar) {
        ShowFailureBox(hwnd, L"ステータスバーを作ることができません");
    } else {
        // The status texts go to the simple-mode part, which the control
        // draws only in simple mode.
        SendMessageW(g_statusBar, SB_SIMPLE, TRUE, 0);
        AttachStatusTip(g_statusBar);
    }
    RECT statusRect{};  // stays empty without a status bar: the view takes it all
    if (g_statusBar) GetClientRect(g_statusBar, &statusRect);
    g_statusBarHeight = statusRect.bottom - statusRect.top;

    g_resultsView = CreateResultsView(hwnd, g_instance);
    if (!g_resultsView) {
        ShowFailureBox(nullptr, L"編集ウィンドウを作ることができません");
    }
}

void OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (g_statusBar) SendMessageW(g_statusBar, WM_SIZE, wParam, lParam);
    if (!g_resultsView) return;
    RECT client{};
    GetClientRect(hwnd, &client);
    MoveWindow(g_resultsView, 0, 0, client.right, std::max(0L, client.bottom - g_statusBarHeight),
               TRUE);
    if (HasResultsText()) RedrawResultsView();
}

void OnPaint(HWND hwnd) {
    if (HasResultsText() && g_resultsView) {
        RECT rect{};
        GetClientRect(g_resultsView, &rect);
        PaintScope paint(g_resultsView);
        DrawResultsText(paint.get(), rect);
    }
    // The main window draws nothing of its own. Only its own update region is
    // validated: ValidateRect would validate the children as well (no
    // WS_CLIPCHILDREN), and the status bar and the view would never paint.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

void OnDestroy() {
    EndSearchForExit();
    ReleaseResultsText();
    g_statusBar = nullptr;
    g_resultsView = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleSearchMessage(hwnd, message, wParam)) return 0;
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, wParam, lParam);
        return 0;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_SEARCH:
            RunSearchCommand(hwnd);
            break;
        case IDM_STOP:
            StopSearchCommand();
            break;
        case IDM_EXIT:
            DestroyWindow(hwnd);
            break;
        }
        return 0;
    case WM_NOTIFY: {
        // A click on the status bar lists what the last search passed by.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == g_statusBar && header->code == NM_CLICK) ShowSkippedList(hwnd);
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        return 0;  // the results view's scroll bars report to the view itself
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // The wheel goes to the focus window, and the view never takes focus.
        ScrollResultsByWheel(message, wParam);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            StopSearchCommand();
            return 0;
        }
        if (ScrollResultsByKey(wParam)) return 0;
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HINSTANCE AppInstance() { return g_instance; }
HWND StatusBar() { return g_statusBar; }
HWND ResultsView() { return g_resultsView; }

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN_LARGE));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN);
    wc.lpszClassName = kClassName;
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN_SMALL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return RegisterClassExW(&wc);
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kClassName, kCaption, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance,
                           nullptr);
}

HWND FindRunningMainWindow() { return FindWindowW(kClassName, nullptr); }
