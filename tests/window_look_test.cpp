// The main window's decisions that Wine can't show: placement across
// monitors, dark and high-contrast colours.
#include <gtest/gtest.h>

#include <vector>

#include "view_colors.h"
#include "window_placement.h"

namespace {

TEST(WindowPlacement, KeptWhileItsTitleBarIsOnAMonitorElseOntoThePrimary) {
    const RECT primary{0, 0, 1920, 1040}, right{1920, 0, 3840, 1040}, left{-1280, 200, 0, 1224};
    const struct {
        RECT window;
        std::vector<RECT> areas;
        RECT expected;
    } cases[] = {
        {{100, 100, 900, 700}, {primary}, {100, 100, 900, 700}},
        {{2000, 50, 2800, 650}, {primary, right}, {2000, 50, 2800, 650}},
        {{2000, 50, 2800, 650}, {primary}, {560, 220, 1360, 820}},  // that monitor is gone
        {{-1200, 300, -400, 900}, {primary, left}, {-1200, 300, -400, 900}},
        {{-1200, 300, -400, 900}, {primary}, {560, 220, 1360, 820}},
        {{-740, 10, 80, 400}, {primary}, {-740, 10, 80, 400}},    // 80 px of title showing
        {{-780, 10, 40, 400}, {primary}, {550, 325, 1370, 715}},  // too little to grab
        {{100, -300, 900, 300}, {primary}, {560, 220, 1360, 820}},  // title above the screen
        {{-3000, 0, -500, 1500}, {right}, {1920, 0, 3840, 1040}},   // larger than the screen
        {{100, 100, 30000, 700}, {primary}, {0, 220, 1920, 820}},   // on it, but far wider
        {{2000, 50, 2800, 5000}, {primary, right}, {2480, 0, 3280, 1040}},  // far taller
        {{5, 5, 50, 50}, {}, {5, 5, 50, 50}},                       // no monitor known
    };
    for (const auto& c : cases) {
        RECT got = OntoVisibleWorkArea(c.window, c.areas);
        EXPECT_TRUE(EqualRect(&got, &c.expected))
            << c.window.left << "," << c.window.top << " -> " << got.left << "," << got.top;
    }
}

TEST(WindowPlacement, MaximisedEvenWhenClosedMinimisedFromMaximised) {
    const struct {
        UINT show, flags;
        bool maximized;
    } cases[] = {{SW_SHOWMAXIMIZED, 0, true},
                 {SW_SHOWMINIMIZED, WPF_RESTORETOMAXIMIZED, true},
                 {SW_SHOWMINIMIZED, 0, false},
                 {SW_SHOWNORMAL, WPF_RESTORETOMAXIMIZED, false}};
    for (const auto& c : cases) {
        WINDOWPLACEMENT wp{sizeof(wp), c.flags, c.show, {}, {}, {}};
        EXPECT_EQ(ClosedMaximized(wp), c.maximized) << c.show << " " << c.flags;
    }
}

TEST(ViewColors, DarkOnlyWhenAppsAreDarkAndHighContrastIsOff) {
    const ViewColors system{RGB(255, 255, 255), RGB(0, 0, 0)};
    const struct {
        bool found;
        DWORD appsUseLightTheme;
        bool highContrast;
        ViewColors expected;
    } cases[] = {
        {false, 0, false, system},  // no value: light, the default
        {true, 1, false, system},
        {true, 0, false, kDarkViewColors},
        {true, 0, true, system},  // the high-contrast theme's own colours win
    };
    for (const auto& c : cases) {
        ViewColors got =
            ChooseViewColors(c.highContrast, AppsDarkFromValue(c.found, c.appsUseLightTheme), system);
        EXPECT_TRUE(got.fill == c.expected.fill && got.text == c.expected.text)
            << c.found << c.appsUseLightTheme << c.highContrast;
    }
}

}  // namespace
