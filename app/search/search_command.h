// The search command: menu command 202 of the main window, the run it starts
// on a thread of its own, and the stop command.
#pragma once

#include <windows.h>

#include <string>

#include "search_conditions.h"

// Menu command 202: the dialog, then the run. Does nothing while a search
// runs, so nothing re-enters it and the dialog can't open meanwhile. With
// startFolder, the dialog offers that folder as 入力先.
void RunSearchCommand(HWND mainWindow, const std::wstring* startFolder = nullptr);

// The run of the conditions as they are (TheSearchConditions()), without
// the dialog: its records shown as they come, its end as the command's.
// False when a search runs already or no thread could be started.
bool StartSearchRun(HWND mainWindow);

// Menu command "中止" and the Esc key: the running search stops.
void StopSearchCommand();

// The results file whose records the window shows, and the search that
// wrote it; unknown before the first search has shown any.
const ShownResultsFile& ShownResults();

// The run's own messages to the main window (its end, the progress timer);
// true when message was one of them.
bool HandleSearchMessage(HWND mainWindow, UINT message, WPARAM wParam);

// The main window is going: a running search is stopped and waited for, so
// the results file is closed with whole records.
void EndSearchForExit();
