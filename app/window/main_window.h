// The main window: its status bar, its results view and the results text it
// holds. The search command works through these functions.
#pragma once

#include <windows.h>

// The program's instance, taken from the main window when it was created.
HINSTANCE AppInstance();

// The status bar (id 301), in simple mode; null if it could not be created.
HWND StatusBar();

// The results view (id 1); null if it could not be created.
HWND ResultsView();

// Takes ownership of a buffer from SubReadText (raw mode, bytes counted),
// releases the text held before with delete[], scrolls back to the top-left
// corner and draws the new text at once. A null text just releases.
void ReplaceResultsText(wchar_t* text, int bytes);

// Draws the held results text into rect of a device context of the results
// view, at the current scroll position: the view's own fill colour first,
// then the text as it is ("&" and tabs included, byte-order mark and an odd
// last byte left out). Draws only the fill when no text is held.
void DrawResultsText(HDC dc, const RECT& rect);

// Start-up: registers "MainWndClass"; zero when registration fails.
ATOM RegisterMainWindowClass(HINSTANCE instance);

// Start-up: creates the (hidden) main window, placed where it was last
// closed if that is still on a monitor, else at its first size; null on
// failure.
HWND CreateMainWindow(HINSTANCE instance);

// How to show the new window for the program's show command: maximised when
// it was closed maximised and nothing else was asked for.
int MainWindowShowCommand(int requested);

// The main window of the instance that runs already, found by its class;
// null when there is none.
HWND FindRunningMainWindow();
