// The results view's colours and the title bar's theme: the system's colours
// by default and under high contrast; colours of the program's own when
// Windows' app mode is dark.
#pragma once

#include <windows.h>

struct ViewColors {
    COLORREF fill;
    COLORREF text;
};

// The dark mode's own pair, dark grey behind light grey.
extern const ViewColors kDarkViewColors;

// High contrast wins over dark mode: its colours are the user's need.
ViewColors ChooseViewColors(bool highContrast, bool appsDark, ViewColors system);

// AppsUseLightTheme as read: dark only when the value is there and zero.
bool AppsDarkFromValue(bool found, DWORD appsUseLightTheme);

// The choice for the system's settings now.
bool AppsUseDarkMode();
ViewColors CurrentViewColors();

// Tells the window manager whether the title bar is dark; nothing where
// DwmSetWindowAttribute or the attribute is missing.
void ApplyTitleBarTheme(HWND window, bool dark);
