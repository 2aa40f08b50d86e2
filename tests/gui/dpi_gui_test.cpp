// Varnelo at the DPI of the prefix it runs in (registered at 96 and at 144):
// the search dialog's layout, the view's line height, and the dialog's keys
// pressed as a person presses them.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "dpi.h"
#include "gui_driver.h"
#include "main_window.h"
#include "real_input.h"
#include "resource_ids.h"
#include "results_view.h"
#include "settings.h"
#include "varnelo_program.h"
#include "view_font.h"

using namespace gui_driver;

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

UINT ScreenDpi() {
    HDC dc = GetDC(nullptr);
    UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
    return dpi;
}

RECT ScreenRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

int FocusId(HWND dialog) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
    return GetDlgCtrlID(gui.hwndFocus);
}

bool Closed(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

TEST(DialogLayout, NoControlOverlapsAnotherOrCrossesTheDialogsEdge) {
    VarneloProgram p;
    ASSERT_TRUE(p.Start());
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    RECT client{};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const std::vector<HWND> controls = Children(dialog);
    ASSERT_GE(controls.size(), 12u);
    for (size_t k = 0; k < controls.size(); ++k) {
        const RECT r = ScreenRectOf(controls[k]);
        RECT inside{}, common{};
        IntersectRect(&inside, &r, &client);
        EXPECT_TRUE(EqualRect(&inside, &r)) << "clipped: " << GetDlgCtrlID(controls[k]);
        for (size_t j = k + 1; j < controls.size(); ++j) {
            const RECT other = ScreenRectOf(controls[j]);
            EXPECT_FALSE(IntersectRect(&common, &r, &other))
                << GetDlgCtrlID(controls[k]) << " overlaps " << GetDlgCtrlID(controls[j]);
        }
    }
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The same template in this process, at the same DPI: each text measured in
// the dialog's own font against its control.
TEST(DialogLayout, EveryTextFitsItsControl) {
    ImageResources image(BesideThisProgram(L"Varnelo.exe"));
    const std::string bytes = image.Bytes(RT_DIALOG, MAKEINTRESOURCEW(IDD_SEARCH), kEnglishUs);
    ASSERT_FALSE(bytes.empty());
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                             nullptr, InertDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HDC dc = GetDC(dialog);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    const int margin = ScaleForDpi(2, ScreenDpi());  // a button's edge on either side
    for (HWND control : Children(dialog)) {
        const std::wstring text = TextOf(control);
        if (text.empty()) continue;
        RECT need{}, room{};
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
        GetClientRect(control, &room);
        EXPECT_LE(need.right + 2 * margin, room.right) << GetDlgCtrlID(control);
        EXPECT_LE(need.bottom, room.bottom) << GetDlgCtrlID(control);
    }
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
}

TEST(ResultsView, LineHeightGrowsWithTheDpi) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    settings::UseIniFile(std::wstring(temp) + L"dpi_gui_test.ini");
    DeleteFileW(settings::IniPath().c_str());
    ASSERT_NE(RegisterMainWindowClass(GetModuleHandleW(nullptr)), 0);
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    const UINT dpi = WindowDpi(window);
    const int atDpi = ResultsLineHeight();
    DestroyWindow(window);

    HFONT font = CreateViewFont(DefaultViewFontChoice(), kBaseDpi);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    std::cout << "line height " << atDpi << " px at " << dpi << " DPI, " << tm.tmHeight
              << " px at 96\n";
    EXPECT_EQ(dpi, ScreenDpi());
    // At 144: at least 1.4 times the height at 96.
    EXPECT_GE(atDpi * 144.0, 1.4 * tm.tmHeight * dpi);
}

class DialogKeys : public testing::Test {
protected:
    VarneloProgram p;
    void SetUp() override { ASSERT_TRUE(p.Start()); }
};

TEST_F(DialogKeys, EscCloseBoxAndCancelCloseItKeepingNothingTyped) {
    const struct {
        const char* way;
        WORD key;  // 0: the キャンセル button
        int modifiers;
    } ways[] = {{"Esc", VK_ESCAPE, real_input::kNone},
                {"Alt+F4, the close box's command", VK_F4, real_input::kAlt},
                {"キャンセル", 0, real_input::kNone}};
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        HWND dialog = p.OpenSearchDialog();
        ASSERT_NE(dialog, nullptr);
        HWND edit = GetDlgItem(dialog, IDC_PATTERN1_EDIT);
        real_input::Click(real_input::CentreOf(edit));
        real_input::Type(L"typed");
        ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == L"typed"; }));
        if (w.key)
            real_input::Key(w.key, w.modifiers);
        else
            PressButton(dialog, IDC_CANCEL);
        ASSERT_TRUE(Closed(dialog));
        ASSERT_TRUE(IsWindow(p.main)) << "the program went with the dialog";
        dialog = p.OpenSearchDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_PATTERN1_EDIT)), L"");
        PressButton(dialog, IDC_CANCEL);
        ASSERT_TRUE(Closed(dialog));
    }
}

TEST_F(DialogKeys, AltWithALabelsKeyPutsTheFocusInItsField) {
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    const struct {
        WORD key;
        int field;
    } labels[] = {{'1', IDC_PATTERN1_EDIT},
                  {'O', IDC_RESULTS_EDIT},
                  {'2', IDC_PATTERN2_EDIT},
                  {'I', IDC_FOLDER_EDIT}};
    for (const auto& l : labels) {
        real_input::Key(l.key, real_input::kAlt);
        EXPECT_TRUE(WaitUntil([&] { return FocusId(dialog) == l.field; }, 5000))
            << "Alt+" << static_cast<char>(l.key) << ": focus in " << FocusId(dialog);
    }
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

}  // namespace
