// The preview pane below the results view: the selected record's file around
// its hit (as many lines before and after it as the 表示 menu says), each
// line with the number an editor gives it, the hit line marked and its
// match selected. The lines are read on a thread of their own, in the
// search's blocks and decoded as the search decoded the file, so a big file
// holds neither the window nor much memory. The text can be selected and
// copied. A hidden pane reads nothing. Whether it shows, its height and the
// number of lines are kept in the settings.
#pragma once

#include <windows.h>

#include <string>

// Creates the (read-only edit) pane as a child of the main window; null on
// failure, and the main window goes on without it.
HWND CreatePreviewPane(HWND mainWindow, HINSTANCE instance);

// Places the pane and the bar that sizes it at the bottom of area (the main
// window's client area above its status bar) and returns what is left for
// the results view.
RECT LayOutPreview(HWND mainWindow, const RECT& area);

// The record the pane shows: its file and line, and its first match in the
// hit line (start and length in the line's units).
struct PreviewRequest {
    std::wstring path;
    int recordLine = 0;
    int matchStart = 0;
    int matchLength = 0;
};

// The selection changed: the pane shows this record, or nothing (null).
void PreviewRecord(const PreviewRequest* request);

// The view's font and colours, for the pane too.
void UsePreviewLook(HFONT font, COLORREF fill, COLORREF text);

// The main window's messages for the pane: its menu commands and their
// check marks, the sizing bar's cursor and drag, the read's end, the wait
// cursor and the pane's colours. True (with the result) when handled.
bool HandlePreviewMessage(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result);
