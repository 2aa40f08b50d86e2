// The records shown as the search writes them. Once the run has created its
// results file (emptied it), the view is emptied too and grows, on every
// tick of the progress timer, by what the file holds more; the user can
// scroll, select and open records meanwhile. When the run has ended, by
// success, stop or failure, the view is made to show exactly what the file
// holds.
#pragma once

#include <string>


#include <windows.h>

// The main window's timer that paces the following: a record written shows
// within a tick and the time to take it.
const UINT_PTR kLiveTimerId = 2;

// A search starts; its records are marked for pattern2, folded by flags
// as the run folds, and the timer ticks on the window.
void BeginLiveResults(HWND mainWindow, const std::wstring& pattern2, int flags);

// A tick while the search runs: the file followed once the run created it.
void FollowLiveResults(const std::wstring& resultsFile);

// The run has ended: the rest of the file is taken, or the whole file
// loaded again when it is no longer what was read (cut back after a failed
// write) or was never followed. True when the view shows what the file
// holds; false with the failure text when the file can't be read, and the
// view is then empty.
bool EndLiveResults(HWND mainWindow, const std::wstring& resultsFile, wchar_t* statusText);
