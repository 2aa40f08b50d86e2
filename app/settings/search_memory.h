// The search fields kept across starts: the four fields of the last search
// and the recent values of each, offered by the fields' drop-down lists.
#pragma once

#include <windows.h>

#include "search_conditions.h"

// Puts the fields of the last search into conditions (those the settings
// hold; the others stay as they are).
void LoadRememberedConditions(SearchConditions& conditions);

// Keeps the conditions as the last search's and at the top of each field's
// recent values. A failed write costs only what it would have kept.
void RememberConditions(const SearchConditions& conditions);

// Fills the drop-down lists of the search dialog's four fields with their
// recent values, the latest first; the fields' texts stay as they are.
void ShowRecentValues(HWND dialog);
