// Where the main window opens: the placement kept in the settings when its
// title bar is still on a monitor, otherwise a first size on the primary
// monitor.
#pragma once

#include <windows.h>

#include <vector>

// Keeps a window rectangle whose title bar lies on one of the work areas;
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

KeptPlacement LoadWindowPlacement();
void SaveWindowPlacement(HWND window);

// The work areas of the monitors attached now, the primary one first, in
// workspace coordinates like a placement.
std::vector<RECT> MonitorWorkAreas();
