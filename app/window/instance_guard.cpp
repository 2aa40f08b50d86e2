#include "instance_guard.h"

// The count lives in a section of its own, "shared", which the image marks
// readable, writable and shared: every process that runs the image sees the
// one copy until the last of them ends.
#if defined(_MSC_VER)
#pragma data_seg("shared")
volatile LONG InstanceCount = 0;
#pragma data_seg()
#pragma comment(linker, "/SECTION:shared,RWS")
#else
volatile LONG InstanceCount __attribute__((section("shared"), shared)) = 0;
#endif

bool CountThisInstance() {
    // Atomic, so two processes starting at the same moment cannot both be first.
    return InterlockedIncrement(&InstanceCount) == 1;
}

void UncountThisInstance() { InterlockedDecrement(&InstanceCount); }

void BringForward(HWND runningMainWindow) {
    if (!runningMainWindow) return;
    if (IsIconic(runningMainWindow)) ShowWindow(runningMainWindow, SW_RESTORE);
    // A modal dialog open there is what the user has to answer first.
    HWND front = GetLastActivePopup(runningMainWindow);
    // Allowed: the user just started this process, so it may hand the
    // foreground on.
    SetForegroundWindow(front ? front : runningMainWindow);
}
