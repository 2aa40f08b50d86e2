// The status bar's tooltip: a text too long for the bar shows whole in a
// tooltip while the pointer rests on the bar.
#pragma once

#include <windows.h>

// Watches the texts set for the status bar's simple-mode part from now on.
void AttachStatusTip(HWND statusBar);

// Whether the text set last for the simple-mode part shows whole in the bar.
bool StatusTextShownWhole();
