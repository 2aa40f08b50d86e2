// Varnelo.exe started for a test: its main window, results view and status
// bar found, and the program ended through its own menu command when the
// test is done, so that a failing test leaves nothing behind.
#pragma once

#include <windows.h>

#include <string>

#include "gui_driver.h"

namespace gui_driver {

// How long the program's thread may take to answer (a search may hold it).
const DWORD kIdlePatience = 30000;

struct VarneloProgram {
    ChildProcess process;
    HWND main = nullptr;
    HWND statusBar = nullptr;
    HWND view = nullptr;

    VarneloProgram() = default;
    ~VarneloProgram();
    VarneloProgram(const VarneloProgram&) = delete;
    VarneloProgram& operator=(const VarneloProgram&) = delete;

    // Starts the program beside this test (or the command line given, which
    // names it); true once its windows are there and it answers. Its
    // settings (Varnelo.ini beside it) are removed first unless kept, so each
    // test starts from the defaults.
    bool Start(bool keepSettings = false, const std::wstring& commandLine = L"");
    // The settings file the program uses.
    static std::wstring IniFile();
    // True once the program's thread answers again (a search has ended).
    bool Idle(DWORD patience = kIdlePatience) const;
    // The search dialog, opened as a person does: a click on the status
    // bar, then Alt+S and G; null if none shows within patience.
    HWND OpenSearchDialog(DWORD patience = kWaitMs) const;
    // The search dialog once it shows, however it was opened; null if none
    // shows within patience.
    HWND SearchDialog(DWORD patience = kWaitMs) const;
};

}  // namespace gui_driver
