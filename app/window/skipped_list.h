// What the last search passed by: files and folders it could not read and
// lines it stopped testing at the matcher's limits, kept when the search
// ends and shown on request in a window of their own: a list of path and
// reason in two columns, in the system's message font at the monitor's DPI,
// resizable, closed by Esc; Ctrl+C copies the selected rows (all when none
// is selected) as "path<tab>reason" lines, Ctrl+A selects them all.
#pragma once

#include <windows.h>

#include <vector>

#include "search_worker.h"

// Replaces the list with the last search's.
void KeepSkippedList(std::vector<SkippedEntry> entries);

// Shows the list in a window owned by owner (the one already open is
// brought forward and refilled). Nothing when the last search passed nothing
// by.
void ShowSkippedList(HWND owner);
