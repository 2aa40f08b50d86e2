// Handing the shown results on: 「結果を書き出す」 writes every record, as
// tag-jump lines (UTF-8) or as CSV (UTF-8 with its mark), the form chosen
// in the save picker's type list; Ctrl+C puts the selected records on the
// clipboard as tag-jump lines. Either way each record carries the line an
// editor shows, which means reading its file: that runs on a thread of its
// own, so the window keeps answering.
#pragma once

#include <windows.h>

// 「結果を書き出す(E)...」. Nothing while an export or copy is under way.
void ExportResultsCommand(HWND mainWindow);

// Ctrl+C on the main window: the selected records, if any.
void CopySelectedRecords(HWND mainWindow);

// The main window's part: the end of an export or copy; true when message
// was that.
bool HandleHandOnMessage(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam);

// Esc: an export or copy under way stops (its file is not written).
void StopHandOn();

// The main window is going: a job under way is stopped and waited for.
void EndHandOnForExit();
