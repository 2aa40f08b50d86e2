// The search command: menu command 202 of the main window.
#pragma once

#include <windows.h>

void RunSearchCommand(HWND mainWindow);
