// Varnelo at the DPI of its prefix (registered at 96 and at 144): the search
// dialog's layout and keys by real input, and the view's line height.
#include <gtest/gtest.h>

#include <windows.h>

#include "dpi.h"
#include "main_window.h"
#include "real_input.h"
#include "resource_ids.h"
#include "results_view.h"
#include "varnelo_program.h"
#include "view_font.h"

using namespace gui_driver;

namespace {

int FocusId(HWND dialog) {
    GUITHREADINFO gui{sizeof(gui)};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
    // A field is a combo box: the focus is in its own edit, a child of it.
    HWND focus = gui.hwndFocus;
    if (focus && GetParent(focus) != dialog) focus = GetParent(focus);
    return GetDlgCtrlID(focus);
}

TEST(SearchDialog, ControlsApartAndInsideAltKeysReachFieldsAndEveryCloseKeepsNothing) {
    VarneloProgram p;
    ASSERT_TRUE(p.Start());
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    RECT client{}, r{}, other{}, common{};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (HWND control : Children(dialog)) {
        GetWindowRect(control, &r);
        EXPECT_TRUE(IntersectRect(&common, &r, &client) && EqualRect(&common, &r))
            << GetDlgCtrlID(control) << " crosses the edge";
        for (HWND later = GetWindow(control, GW_HWNDNEXT); later; later = GetWindow(later, GW_HWNDNEXT))
            EXPECT_FALSE(GetWindowRect(later, &other) && IntersectRect(&common, &r, &other))
                << GetDlgCtrlID(control) << " overlaps " << GetDlgCtrlID(later);
    }
    const struct {
        WORD key;
        int field;
    } labels[] = {{'1', IDC_PATTERN1_EDIT}, {'O', IDC_RESULTS_EDIT}, {'2', IDC_PATTERN2_EDIT}, {'I', IDC_FOLDER_EDIT}};
    for (const auto& l : labels) {
        real_input::Key(l.key, real_input::kAlt);
        EXPECT_TRUE(WaitUntil([&] { return FocusId(dialog) == l.field; }, 5000)) << "Alt+" << char(l.key);
    }
    const struct {
        const char* way;
        WORD key;  // 0: the キャンセル button
        int modifiers;
    } ways[] = {{"Esc", VK_ESCAPE, real_input::kNone},
                {"Alt+F4, the close box's command", VK_F4, real_input::kAlt},
                {"キャンセル", 0, real_input::kNone}};
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        HWND edit = GetDlgItem(dialog, IDC_PATTERN1_EDIT);
        real_input::Click(real_input::CentreOf(edit));
        real_input::Type(L"typed");
        ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == L"typed"; }));
        w.key ? real_input::Key(w.key, w.modifiers) : PressButton(dialog, IDC_CANCEL);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
        ASSERT_NE(dialog = p.OpenSearchDialog(), nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_PATTERN1_EDIT)), L"");
    }
}

// The main window made in this process, as Varnelo makes it.
TEST(ResultsView, LineHeightGrowsWithTheDpi) {
    ASSERT_NE(RegisterMainWindowClass(GetModuleHandleW(nullptr)), 0);
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    const UINT dpi = WindowDpi(window);
    const int atDpi = ResultsLineHeight();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateViewFont(DefaultViewFontChoice(), kBaseDpi));
    TEXTMETRICW at96{};
    GetTextMetricsW(dc, &at96);
    DeleteObject(SelectObject(dc, old));
    EXPECT_EQ(dpi, static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY)));
    ReleaseDC(nullptr, dc);
    EXPECT_GE(atDpi * 144.0, 1.4 * at96.tmHeight * dpi)  // at 144: at least 1.4 times
        << atDpi << " px at " << dpi << " DPI, " << at96.tmHeight << " px at 96";
}

}  // namespace
