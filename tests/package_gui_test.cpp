// The unpacked program, run from its own folder as a user would: one search
// through the menu and the dialog, its results file and its results view.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace gui_driver;
using namespace testing_support;

namespace {

// The unpacked Varnelo.exe, a Windows path, from the environment.
std::wstring UnpackedProgram() {
    wchar_t path[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"VARNELO_EXE", path, MAX_PATH);
    return path;
}

void SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

TEST(Package, UnpackedProgramCompletesASearchThroughTheDialog) {
    std::wstring exe = UnpackedProgram();
    ASSERT_FALSE(exe.empty()) << "VARNELO_EXE is not set";
    ASSERT_TRUE(FileExists(exe)) << Show(exe);

    TempDir tree;
    WriteBytes(tree / L"memo.txt", SjisBytes(L"買い物\r\n明日の天気は晴れ\r\n"));
    std::wstring results = tree / L"out.res";

    ChildProcess process;
    ASSERT_TRUE(process.Start(exe));
    HWND main = WaitForTopWindow(process.id(), L"MainWndClass");
    ASSERT_NE(main, nullptr);
    HWND view = GetDlgItem(main, IDC_RESULTS_VIEW);
    ASSERT_NE(view, nullptr);
    Pixels before = GrabClient(view);

    // Alt+S, G, as a user opens the search dialog.
    real_input::ClickToFront(main, 5, 5);
    real_input::Key('S', real_input::kAlt);
    real_input::Key('G');
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND h : TopWindows(process.id(), L"#32770"))
            if (TextOf(h) == L"検索する") dialog = h;
        return dialog != nullptr;
    }));
    SetText(dialog, IDC_FOLDER_EDIT, tree.path());
    SetText(dialog, IDC_PATTERN1_EDIT, L"\\.txt$");
    SetText(dialog, IDC_PATTERN2_EDIT, L"天気");
    SetText(dialog, IDC_RESULTS_EDIT, results);
    PressButton(dialog, IDC_RUN);

    std::wstring expected = L"\xFEFF" + (tree / L"memo.txt") + L"\r\n\t(2)===>明日の天気は晴れ\r\n";
    std::string expectedBytes(reinterpret_cast<const char*>(expected.data()), expected.size() * 2);
    // The run holds the results file unshared while it writes, on a thread
    // of its own: the file is read until the run has let it go.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WaitUntil(
        [&] {
            HANDLE h = CreateFileW(results.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            CloseHandle(h);
            return true;
        },
        60000));
    EXPECT_EQ(ReadBytes(results), expectedBytes);
    // The results are drawn at once: the view no longer shows its bare fill.
    EXPECT_TRUE(WaitUntil([&] { return GrabClient(view) != before; }));

    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    DWORD code = 1;
    EXPECT_TRUE(process.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
