// The results view's side of the main window: the static control that shows
// the held results text and scrolls it.
#pragma once

#include <windows.h>

// Creates the results view as a child of parent and takes over its scroll
// bars; null on failure.
HWND CreateResultsView(HWND parent, HINSTANCE instance);

bool HasResultsText();

// Releases the held text, if any (the main window's end).
void ReleaseResultsText();

// Draws the held text into the whole results view now.
void RedrawResultsView();

// Scrolls by a WM_MOUSEWHEEL or WM_MOUSEHWHEEL, wherever it was received.
void ScrollResultsByWheel(UINT message, WPARAM wParam);
