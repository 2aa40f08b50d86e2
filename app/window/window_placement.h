// Where the main window opens: the placement kept in the settings when its
// title bar is still on a monitor, otherwise a first size on the primary
// monitor.
#pragma once

#include <windows.h>

#include <vector>

// Keeps a window rectangle whose title bar lies on one of the work areas
// (shrunk to fit and centred there when it is larger than that area);
// otherwise moves it into the first work area (the primary monitor's),
// shrunk to fit and centred.
RECT OntoVisibleWorkArea(const RECT& window, const std::vector<RECT>& workAreas);

// A window of the wanted size centred in a work area, shrunk to fit it.
RECT CentredInWorkArea(SIZE wanted, const RECT& workArea);

struct KeptPlacement {
    bool found = false;
    RECT normal{};  // the restored rectangle, in workspace coordinates
    bool maximized = false;
};

// What the settings keep; not found when a coordinate is missing or could
// never be a window's.
KeptPlacement LoadWindowPlacement();
// Into the settings (saved with them at the program's end).
void SaveWindowPlacement(HWND window);

// Whether a window closed with this placement should open maximised.
bool ClosedMaximized(const WINDOWPLACEMENT& placement);

// The work areas of the monitors attached now, the primary one first, in
// workspace coordinates like a placement.
std::vector<RECT> MonitorWorkAreas();
