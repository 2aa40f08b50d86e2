// Varnelo.exe from the outside: its resources, its main window, the single
// instance guard, the ways it ends and its status bar.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"

using namespace gui_driver;

namespace {

const wchar_t kProgram[] = L"Varnelo.exe";
const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 0x409
const DWORD kRefusedExitCode = static_cast<DWORD>(-1);

std::wstring ProgramPath() { return BesideThisProgram(kProgram); }

// A started Varnelo with its main window found.
struct RunningProgram {
    ChildProcess process;
    HWND window = nullptr;

    bool Start() {
        if (!process.Start(ProgramPath())) return false;
        window = WaitForTopWindow(process.id(), L"MainWndClass");
        return window != nullptr;
    }
    DWORD ExitCode() {
        DWORD code = 12345;
        EXPECT_TRUE(process.WaitForExit(&code)) << "still running";
        return code;
    }
};

TEST(VarneloResources, MenuHasTheThreePopUpsWithTheirCommands) {
    std::vector<MenuItem> bar = MenuFromFile(ProgramPath(), IDM_MAIN);
    const struct {
        const wchar_t* text;
        std::vector<std::pair<std::wstring, UINT>> items;  // a separator: "", 0
    } popups[] = {
        {L"ファイル(&F)",
         {{L"結果を書き出す(&E)...", IDM_EXPORT_RESULTS}, {L"", 0},
          {L"エディターの設定(&D)...", IDM_EDITOR_SETTINGS},
          {L"エクスプローラーのメニューに追加(&M)", IDM_EXPLORER_MENU}, {L"", 0},
          {L"終了(&X)", IDM_EXIT}}},
        {L"検索(&S)",
         {{L"検索する(&G)...", IDM_SEARCH}, {L"中止(&T)", IDM_STOP}, {L"", 0},
          {L"ファイルを開く(&O)\tEnter", IDM_OPEN_RECORD}, {L"次のレコード(&N)\tCtrl+↓", IDM_NEXT_RECORD},
          {L"前のレコード(&P)\tCtrl+↑", IDM_PREVIOUS_RECORD},
          {L"選んだレコードをコピー(&C)\tCtrl+C", IDM_COPY_RECORDS}}},
        {L"表示(&V)",
         {{L"表示フォント(&O)...", IDM_VIEW_FONT}, {L"", 0}, {L"プレビュー(&P)", IDM_PREVIEW},
          {L"前後 &1 行", IDM_PREVIEW_LINES_1}, {L"前後 &2 行", IDM_PREVIEW_LINES_2},
          {L"前後 &3 行", IDM_PREVIEW_LINES_3}, {L"前後 &5 行", IDM_PREVIEW_LINES_5},
          {L"前後 1&0 行", IDM_PREVIEW_LINES_10}}},
    };
    ASSERT_EQ(bar.size(), std::size(popups));
    for (size_t i = 0; i < bar.size(); ++i) {
        EXPECT_TRUE(bar[i].popup);
        EXPECT_EQ(bar[i].text, popups[i].text);
        std::vector<std::pair<std::wstring, UINT>> items;
        for (const MenuItem& item : bar[i].items) items.emplace_back(item.text, item.id);
        EXPECT_EQ(items, popups[i].items);
    }
}

TEST(VarneloResources, IconsMenuAndManifestAreTaggedEnglishUs) {
    ImageResources image(ProgramPath());
    ASSERT_NE(image.module(), nullptr);
    EXPECT_FALSE(image.Bytes(RT_MENU, MAKEINTRESOURCEW(IDM_MAIN), kEnglishUs).empty());
    for (int id : {IDI_MAIN_LARGE, IDI_MAIN_SMALL}) {
        SCOPED_TRACE(id);
        std::string group = image.Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(id), kEnglishUs);
        // One entry: 128 x 128 (stored as 128 in a byte), one plane, 24 bits.
        ASSERT_EQ(group.size(), 6u + 14u);
        const auto* g = reinterpret_cast<const unsigned char*>(group.data());
        EXPECT_EQ(g[4] | g[5] << 8, 1);
        EXPECT_EQ(g[6], 128);
        EXPECT_EQ(g[7], 128);
        EXPECT_EQ(g[12] | g[13] << 8, 24);
        WORD iconId = static_cast<WORD>(g[18] | g[19] << 8);
        EXPECT_FALSE(image.Bytes(RT_ICON, MAKEINTRESOURCEW(iconId), kEnglishUs).empty());
    }
    std::string manifest =
        image.Bytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, kEnglishUs);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("Common-Controls"), std::string::npos) << manifest;
}

TEST(VarneloMainWindow, HasItsClassFrameAndChildren) {
    DeleteFileW(BesideThisProgram(L"Varnelo.ini").c_str());  // no placement kept: the first size
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    HWND w = program.window;
    EXPECT_EQ(TextOf(w), L"Varnelo");
    LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    // Larger than it was at 647 x 400, within the screen's work area.
    RECT outer{}, work{}, inside{};
    GetWindowRect(w, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(outer.bottom - outer.top > 400 && IntersectRect(&inside, &outer, &work) &&
                EqualRect(&inside, &outer));
    EXPECT_NE(GetMenu(w), nullptr);

    HWND statusBar = GetDlgItem(w, IDC_STATUS_BAR);
    ASSERT_NE(statusBar, nullptr);
    EXPECT_EQ(ClassOf(statusBar), STATUSCLASSNAMEW);
    EXPECT_TRUE(IsWindowVisible(statusBar));

    HWND view = GetDlgItem(w, IDC_RESULTS_VIEW);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(_wcsicmp(ClassOf(view).c_str(), L"static"), 0) << ClassOf(view).c_str();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE)), 0x503000C4u);
    // The view, then the preview pane below it, fill the client area above
    // the status bar.
    HWND pane = GetDlgItem(w, IDC_PREVIEW_PANE);
    ASSERT_NE(pane, nullptr);
    RECT client{}, viewRect{}, paneRect{}, statusRect{};
    GetClientRect(w, &client);
    GetWindowRect(view, &viewRect);
    GetWindowRect(pane, &paneRect);
    GetWindowRect(statusBar, &statusRect);
    EXPECT_EQ(viewRect.right - viewRect.left, client.right);
    EXPECT_EQ(paneRect.right - paneRect.left, client.right);
    EXPECT_LT(viewRect.bottom, paneRect.top);
    EXPECT_EQ(paneRect.bottom, statusRect.top);

    PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

// 0x00RRGGBB, as the grabbed pixels hold it.
DWORD Rgb(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

bool AllPixelsAre(const Pixels& p, DWORD colour) {
    if (p.data.empty()) return false;
    for (DWORD v : p.data)
        if (v != colour) return false;
    return true;
}

TEST(VarneloMainWindow, ViewAndStatusBarPaintThemselvesBeforeAnySearch) {
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    HWND view = GetDlgItem(program.window, IDC_RESULTS_VIEW);
    HWND statusBar = GetDlgItem(program.window, IDC_STATUS_BAR);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(statusBar, nullptr);
    // The view: its fill, the colour behind text, and nothing else.
    EXPECT_TRUE(WaitUntil(
        [&] { return AllPixelsAre(GrabClient(view), Rgb(GetSysColor(COLOR_WINDOW))); }));
    // The status bar: its face, not the main window's background.
    EXPECT_TRUE(WaitUntil([&] {
        Pixels p = GrabClient(statusBar);
        return !p.data.empty() && p.at(p.width / 2, p.height / 2) == Rgb(GetSysColor(COLOR_BTNFACE));
    }));
    PostMessageW(program.window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(VarneloMainWindow, CloseBoxEndsTheProgramWithZero) {
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    // Xvfb has no window manager to draw a close box: Alt+F4 gives the
    // window the same close command.
    real_input::ClickToFront(program.window, 5, 5);
    real_input::Key(VK_F4, real_input::kAlt);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(VarneloMainWindow, StatusBarShowsATextSetForTheSimplePart) {
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    HWND statusBar = GetDlgItem(program.window, IDC_STATUS_BAR);
    ASSERT_NE(statusBar, nullptr);
    EXPECT_TRUE(SendMessageW(statusBar, SB_ISSIMPLE, 0, 0));

    Pixels before = GrabClient(statusBar);
    const std::wstring text = L"C:\\data\\x.txt を開けません: 見つかりません";
    ASSERT_TRUE(SetStatusBarText(statusBar, SB_SIMPLEID | SBT_NOBORDERS, text));
    // In simple mode the simple part is read back as part 0.
    EXPECT_EQ(StatusBarText(statusBar, 0), text);
    // Drawn, not just stored.
    EXPECT_TRUE(WaitUntil([&] { return GrabClient(statusBar) != before; }, 5000));

    PostMessageW(program.window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(VarneloInstances, ARefusedStartShowsNoBoxBringsTheRunningWindowForwardAndLetsGo) {
    RunningProgram first;
    ASSERT_TRUE(first.Start());
    ShowWindow(first.window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.window) != FALSE; }));

    ChildProcess second;
    ASSERT_TRUE(second.Start(ProgramPath()));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(&code));
    EXPECT_EQ(code, kRefusedExitCode);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.window); })) << "not restored";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first.window; }));

    // The refused start held nothing: once the first has ended, a third runs.
    real_input::ClickToFront(first.window, 5, 5);
    real_input::Key(VK_F4, real_input::kAlt);
    EXPECT_EQ(first.ExitCode(), 0u);
    RunningProgram third;
    ASSERT_TRUE(third.Start()) << "refused after every instance had ended";
    PostMessageW(third.window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(third.ExitCode(), 0u);
}

}  // namespace
