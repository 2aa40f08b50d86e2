// The main window while a search runs: the menu's two search commands, the
// progress in the status bar (ten times a second at most) and the texts the
// status bar shows when the search has ended.
#pragma once

#include <windows.h>

#include <string>

// The main window's timer that paces the progress display.
const UINT_PTR kProgressTimerId = 1;

// "検索する" off, "中止" on, the progress shown at once and then on every
// tick of the timer.
void BeginProgressDisplay(HWND mainWindow);

// A tick: the run's latest progress, if it changed.
void UpdateProgressDisplay(HWND mainWindow);

// The timer stopped and the menu as it is without a search.
void EndProgressDisplay(HWND mainWindow);

// Puts text into the status bar's simple-mode part, without a beep.
void ShowStatusText(const std::wstring& text);
