// The results view's font: a face and a size in points, kept in the
// settings, made for the DPI of the monitor the view is on.
#pragma once

#include <windows.h>

#include <string>

struct ViewFontChoice {
    std::wstring face;
    int tenths = 0;  // the size in tenths of a point
};

// A fixed-pitch Japanese face, at a size read without effort at 100 %.
ViewFontChoice DefaultViewFontChoice();

// The choice kept in the settings; the default for a missing or unusable one.
ViewFontChoice LoadViewFontChoice();
void SaveViewFontChoice(const ViewFontChoice& choice);

// The LOGFONT height (negative: the character height) of a size at dpi.
LONG ViewFontHeight(int tenths, UINT dpi);

// Null only when even the system could not make the font.
HFONT CreateViewFont(const ViewFontChoice& choice, UINT dpi);

// The system's font dialog over owner, starting at choice; true when the
// user chose a font (choice then holds it).
bool AskForViewFont(HWND owner, UINT dpi, ViewFontChoice* choice);
