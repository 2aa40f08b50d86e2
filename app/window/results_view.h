// The results view's side of the main window: the static control that shows
// the held results text, scrolls it by scroll bar, wheel and keys, selects a
// record by click or key, and opens it by double-click, Enter or its context
// menu.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

struct HitRecord;
struct ViewColors;

// Creates the results view as a child of parent and takes over its scroll
// bars and mouse; null on failure.
HWND CreateResultsView(HWND parent, HINSTANCE instance);

bool HasResultsText();

// An empty text that grows with AppendResultsText while a search writes its
// results file; the text held before is released and the view shows
// nothing. False when there is no room for one (nothing is then shown).
bool StartGrowingResultsText();

// The next units of the growing text: the new lines are indexed, and drawn
// when they come into view; the position and the selection stay. False
// when the text can't grow.
bool AppendResultsText(const wchar_t* units, size_t count);

// The growing text is whole: its scroll bars are drawn as they are now.
void EndGrowingResultsText();

// Releases the held text, if any (the main window's end).
void ReleaseResultsText();

// Draws the held text into the whole results view now.
void RedrawResultsView();

// Scrolls by a WM_MOUSEWHEEL or WM_MOUSEHWHEEL, wherever it was received.
void ScrollResultsByWheel(UINT message, WPARAM wParam);

// Scrolls by a key of the main window: Up, Down, PageUp, PageDown, Left,
// Right, Home and End (the ends of the lines), Ctrl+Home and Ctrl+End (the
// top and the bottom of the text). False for any other key.
bool ScrollResultsByKey(WPARAM virtualKey);

// The selected record's keys: Enter opens it in the editor, Ctrl+Down and
// Ctrl+Up select the next and the previous record and scroll it into view
// (with Shift, extend the selection). False for any other key.
bool ActOnRecordByKey(WPARAM virtualKey);

// Opens the selected record's file in the editor at its line (Enter).
void OpenSelectedRecord();

// The selected record's context menu, below it (Shift+F10, the Apps key).
void ShowSelectedRecordMenu();

// Selects the next (or the previous) record and scrolls it into view; with
// none selected, the first after the top of the view (the last before its
// bottom). With extend (Shift held, as a Shift+click does), the selection
// reaches from where it started to that record.
void MoveRecordSelection(bool forward, bool extend = false);

// The selected records (in the text's order), and every record held; the
// numbers are the search's.
std::vector<HitRecord> SelectedHitRecords();
std::vector<HitRecord> AllHitRecords();
// The font (owned by the caller, kept alive while the view uses it; null for
// the default) and the colours the view draws with from now on; the lines
// and the scroll steps are measured again.
void UseResultsFontAndColors(HFONT font, const ViewColors& colors);

// One line's height in pixels, with the font in use: the vertical step.
int ResultsLineHeight();

// The font the view draws with; null for the device context's default.
HFONT ResultsFont();
