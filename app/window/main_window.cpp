// MainWndClass: the main window with its status bar and results view.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "editor_dialog.h"
#include "editor_open.h"
#include "explorer_menu.h"
#include "dpi.h"
#include "folder_drop.h"
#include "folder_offer.h"
#include "gdi_owners.h"
#include "member_copies.h"
#include "message_boxes.h"
#include "preview_pane.h"
#include "resources/resource_ids.h"
#include "results_export.h"
#include "results_view.h"
#include "search_command.h"
#include "search_conditions.h"
#include "search_memory.h"
#include "settings.h"
#include "skipped_list.h"
#include "status_tip.h"
#include "view_colors.h"
#include "view_font.h"
#include "window_placement.h"

namespace {

const wchar_t kClassName[] = L"MainWndClass";
// The taskbar button and Alt+Tab show it.
const DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;  // with minimise and maximise boxes
// The first size at 100 %: this many lines of the view (two a record) and
// as wide as a long path with its line.
const int kFirstLines = 60;
const int kFirstClientWidth = 960;
const int kFirstShare = 90;  // at most this percentage of the work area
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;  // 0x50000103

HINSTANCE g_instance = nullptr;
HWND g_statusBar = nullptr;
int g_statusBarHeight = 0;  // measured at every layout: its font follows the DPI
HWND g_resultsView = nullptr;
GdiObjectOwner g_uiFont;    // the status bar's: the system's message font
GdiObjectOwner g_viewFont;  // the results view's
ViewFontChoice g_viewFontChoice;
bool g_openMaximized = false;

void MeasureStatusBar() {
    RECT statusRect{};  // stays empty without a status bar: the view takes it all
    if (g_statusBar) GetWindowRect(g_statusBar, &statusRect);
    g_statusBarHeight = statusRect.bottom - statusRect.top;
}

void LayOut(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    if (g_statusBar) SendMessageW(g_statusBar, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    MeasureStatusBar();
    if (!g_resultsView) return;
    const RECT area{0, 0, client.right, std::max(0L, client.bottom - g_statusBarHeight)};
    const RECT view = LayOutPreview(hwnd, area);
    MoveWindow(g_resultsView, view.left, view.top, view.right - view.left, view.bottom - view.top,
               TRUE);
}

// The fonts for the monitor's DPI and the colours for the system's settings
// now; the view and the status bar are measured again.
void ApplyLook(HWND hwnd) {
    const UINT dpi = WindowDpi(hwnd);
    LOGFONTW ui = MessageFontForDpi(dpi);
    HFONT uiFont = CreateFontIndirectW(&ui);
    if (g_statusBar && uiFont)
        SendMessageW(g_statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), TRUE);
    g_uiFont.reset(uiFont);
    HFONT viewFont = CreateViewFont(g_viewFontChoice, dpi);
    UseResultsFontAndColors(viewFont, CurrentViewColors());
    UsePreviewLook(viewFont, CurrentViewColors().fill, CurrentViewColors().text);
    g_viewFont.reset(viewFont);
    ApplyTitleBarTheme(hwnd, AppsUseDarkMode());
    LayOut(hwnd);
}

void OnDpiChanged(HWND hwnd, const RECT& suggested) {
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyLook(hwnd);
}

void OnViewFontCommand(HWND hwnd) {
    if (!AskForViewFont(hwnd, WindowDpi(hwnd), &g_viewFontChoice)) return;
    SaveViewFontChoice(g_viewFontChoice);
    ApplyLook(hwnd);
}

// The rectangle the window opens in: the kept one while its monitor is
// there, else the first size on the primary monitor.
RECT OpeningRect(HWND hwnd, const KeptPlacement& kept) {
    const std::vector<RECT> areas = MonitorWorkAreas();
    if (kept.found) return OntoVisibleWorkArea(kept.normal, areas);
    const UINT dpi = WindowDpi(hwnd);
    RECT client{0, 0, ScaleForDpi(kFirstClientWidth, dpi),
                kFirstLines * ResultsLineHeight() + g_statusBarHeight};
    RECT outer = WindowRectForClient(client, kMainWindowStyle, true, 0, dpi);
    SIZE wanted{outer.right - outer.left, outer.bottom - outer.top};
    if (areas.empty()) return {0, 0, wanted.cx, wanted.cy};
    // A first window leaves a margin of the screen around it.
    const RECT& primary = areas.front();
    const auto share = [](LONG length) {
        return static_cast<LONG>(MulDiv(length, kFirstShare, 100));
    };
    wanted.cx = std::min(wanted.cx, share(primary.right - primary.left));
    wanted.cy = std::min(wanted.cy, share(primary.bottom - primary.top));
    return CentredInWorkArea(wanted, primary);
}

void OnCreate(HWND hwnd) {
    g_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    LoadRememberedConditions(TheSearchConditions());
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
    g_resultsView = CreateResultsView(hwnd, g_instance);
    if (!g_resultsView) {
        ShowFailureBox(nullptr, L"編集ウィンドウを作ることができません");
    }
    CreatePreviewPane(hwnd, g_instance);
    g_viewFontChoice = LoadViewFontChoice();
    ApplyLook(hwnd);
    AcceptFolderDrops(hwnd, OfferFolder);
}

void OnSize(HWND hwnd) {
    LayOut(hwnd);
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

void OnDestroy(HWND hwnd) {
    RefuseFolderDrops(hwnd);
    SaveWindowPlacement(hwnd);
    EndSearchForExit();
    EndHandOnForExit();
    settings::SaveNow();
    RemoveMemberCopies();
    ReleaseResultsText();
    g_statusBar = nullptr;
    g_resultsView = nullptr;
    PostQuitMessage(0);
}

// The ファイル menu as it opens: its commands for what is there now.
void OnMenuOpening(HMENU menu) {
    if (GetMenuState(menu, IDM_EXPLORER_MENU, MF_BYCOMMAND) == 0xFFFFFFFF) return;
    UpdateExplorerMenuItem(menu);
    EnableMenuItem(menu, IDM_EXPORT_RESULTS,
                   MF_BYCOMMAND | (HasResultsText() ? MF_ENABLED : MF_GRAYED));
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleSearchMessage(hwnd, message, wParam)) {
        RetryFolderOffer(hwnd);  // a folder offered during the search
        return 0;
    }
    LRESULT offerResult = 0;
    if (HandleFolderOffer(hwnd, message, wParam, lParam, &offerResult)) return offerResult;
    if (HandleHandOnMessage(hwnd, message, wParam, lParam)) return 0;
    if (HandleEditorOpenMessage(hwnd, message, wParam, lParam)) return message == WM_SETCURSOR;
    if (LRESULT result = 0; HandlePreviewMessage(hwnd, message, wParam, lParam, &result))
        return result;
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(hwnd, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
        // Common controls take the new colours only when told.
        if (g_statusBar) SendMessageW(g_statusBar, message, wParam, lParam);
        ApplyLook(hwnd);
        return 0;
    case WM_SETTINGCHANGE:
        // The app mode (light or dark) and high contrast come this way.
        ApplyLook(hwnd);
        break;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_ENABLE:
        if (wParam) RetryFolderOffer(hwnd);  // a box has closed
        return 0;
    case WM_INITMENUPOPUP:
        OnMenuOpening(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
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
        case IDM_EDITOR_SETTINGS:
            RunEditorDialog(hwnd);
            break;
        case IDM_EXPORT_RESULTS:
            ExportResultsCommand(hwnd);
            break;
        case IDM_EXPLORER_MENU:
            RunExplorerMenuCommand(hwnd);
            break;
        case IDM_COPY_RECORDS:
            CopySelectedRecords(hwnd);
            break;
        case IDM_OPEN_RECORD:
            OpenSelectedRecord();
            break;
        case IDM_NEXT_RECORD:
        case IDM_PREVIOUS_RECORD:
            MoveRecordSelection(LOWORD(wParam) == IDM_NEXT_RECORD);
            break;
        case IDM_VIEW_FONT:
            OnViewFontCommand(hwnd);
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
            StopHandOn();
            return 0;
        }
        if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
            CopySelectedRecords(hwnd);
            return 0;
        }
        if (ActOnRecordByKey(wParam)) return 0;
        if (ScrollResultsByKey(wParam)) return 0;
        break;
    case WM_CONTEXTMENU:
        // Shift+F10 and the Apps key: the focus is here, not on the view.
        if (lParam == -1) {
            ShowSelectedRecordMenu();
            return 0;
        }
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
    HWND hwnd = CreateWindowExW(0, kClassName, kProgramCaption, kMainWindowStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return nullptr;
    // Measured for the monitor the window was made on; the placement then
    // moves it, and WM_DPICHANGED follows when the monitor differs.
    const KeptPlacement kept = LoadWindowPlacement();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    wp.showCmd = SW_HIDE;
    wp.rcNormalPosition = OpeningRect(hwnd, kept);
    SetWindowPlacement(hwnd, &wp);
    g_openMaximized = kept.found && kept.maximized;
    return hwnd;
}

int MainWindowShowCommand(int requested) {
    const bool ordinary = requested == SW_SHOWNORMAL || requested == SW_SHOWDEFAULT;
    return g_openMaximized && ordinary ? SW_SHOWMAXIMIZED : requested;
}

HWND FindRunningMainWindow() { return FindWindowW(kClassName, nullptr); }
