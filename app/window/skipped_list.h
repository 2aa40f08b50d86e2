// What the last search passed by because it could not read it: kept when
// the search ends, and shown on request in a read-only window whose text the
// user can select and copy.
#pragma once

#include <windows.h>

#include <vector>

#include "search_worker.h"

// Replaces the list with the last search's.
void KeepSkippedList(std::vector<SkippedEntry> entries);

// Shows the list, one "path<tab>reason" line an entry, in a window of its
// own owned by owner (the one already open is brought forward and refilled).
// Nothing when the last search passed nothing by.
void ShowSkippedList(HWND owner);
