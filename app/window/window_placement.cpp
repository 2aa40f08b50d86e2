#include "window_placement.h"

#include <algorithm>

#include "settings.h"

namespace {

const wchar_t kSection[] = L"Window";
const wchar_t kLeft[] = L"Left";
const wchar_t kTop[] = L"Top";
const wchar_t kRight[] = L"Right";
const wchar_t kBottom[] = L"Bottom";
const wchar_t kMaximized[] = L"Maximized";
// The strip at the top of a window that must show for it to be grabbed by
// its title bar, and how much of it across.
const LONG kTitleBand = 24;
const LONG kGrabbableWidth = 64;
// The coordinates a window can have at all; a kept value outside them is
// damage, not a place.
const int kLeastCoordinate = -32768;
const int kMostCoordinate = 32767;

bool TitleBarOn(const RECT& window, const RECT& area) {
    RECT band{window.left, window.top, window.right, window.top + kTitleBand};
    RECT common{};
    if (!IntersectRect(&common, &band, &area)) return false;
    return common.right - common.left >= std::min(kGrabbableWidth, window.right - window.left) &&
           window.top >= area.top;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* areas = reinterpret_cast<std::vector<RECT>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        areas->insert(areas->begin(), info.rcWork);
    else
        areas->push_back(info.rcWork);
    return TRUE;
}

}  // namespace

RECT CentredInWorkArea(SIZE wanted, const RECT& area) {
    const LONG width = std::min(wanted.cx, area.right - area.left);
    const LONG height = std::min(wanted.cy, area.bottom - area.top);
    const LONG left = area.left + (area.right - area.left - width) / 2;
    const LONG top = area.top + (area.bottom - area.top - height) / 2;
    return {left, top, left + width, top + height};
}

RECT OntoVisibleWorkArea(const RECT& window, const std::vector<RECT>& workAreas) {
    if (workAreas.empty()) return window;
    const SIZE size{window.right - window.left, window.bottom - window.top};
    for (const RECT& area : workAreas) {
        if (!TitleBarOn(window, area)) continue;
        // Larger than its monitor: made to fit it, as a first window is.
        if (size.cx > area.right - area.left || size.cy > area.bottom - area.top)
            return CentredInWorkArea(size, area);
        return window;
    }
    return CentredInWorkArea(size, workAreas.front());
}

bool ClosedMaximized(const WINDOWPLACEMENT& wp) {
    // Minimised from maximised, it would come back maximised.
    return wp.showCmd == SW_SHOWMAXIMIZED ||
           (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED));
}

KeptPlacement LoadWindowPlacement() {
    KeptPlacement kept;
    const auto coordinate = [](const wchar_t* key) {
        return settings::ReadInt(kSection, key, 0, kLeastCoordinate, kMostCoordinate);
    };
    kept.normal = {coordinate(kLeft), coordinate(kTop), coordinate(kRight), coordinate(kBottom)};
    // A missing or impossible value leaves no rectangle: the first size.
    kept.found = kept.normal.right > kept.normal.left && kept.normal.bottom > kept.normal.top;
    kept.maximized = settings::ReadInt(kSection, kMaximized, 0, 0, 1) != 0;
    return kept;
}

void SaveWindowPlacement(HWND window) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!GetWindowPlacement(window, &wp)) return;
    const RECT& r = wp.rcNormalPosition;
    settings::WriteInt(kSection, kLeft, r.left);
    settings::WriteInt(kSection, kTop, r.top);
    settings::WriteInt(kSection, kRight, r.right);
    settings::WriteInt(kSection, kBottom, r.bottom);
    settings::WriteInt(kSection, kMaximized, ClosedMaximized(wp) ? 1 : 0);
}

std::vector<RECT> MonitorWorkAreas() {
    std::vector<RECT> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    // Placements are in workspace coordinates, which start at the primary
    // work area's corner (a taskbar at the top or left shifts them).
    MONITORINFO primary{};
    primary.cbSize = sizeof(primary);
    if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary))
        for (RECT& area : areas)
            OffsetRect(&area, primary.rcMonitor.left - primary.rcWork.left,
                       primary.rcMonitor.top - primary.rcWork.top);
    return areas;
}
