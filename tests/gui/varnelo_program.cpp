#include "varnelo_program.h"

#include "real_input.h"
#include "resource_ids.h"

namespace gui_driver {

std::wstring VarneloProgram::IniFile() { return BesideThisProgram(L"Varnelo.ini"); }

bool VarneloProgram::Start(bool keepSettings, const std::wstring& commandLine) {
    if (!keepSettings) DeleteFileW(IniFile().c_str());
    if (!(commandLine.empty() ? process.Start(BesideThisProgram(L"Varnelo.exe"))
                              : process.StartCommandLine(commandLine)))
        return false;
    main = WaitForTopWindow(process.id(), L"MainWndClass");
    if (!main) return false;
    statusBar = GetDlgItem(main, IDC_STATUS_BAR);
    view = GetDlgItem(main, IDC_RESULTS_VIEW);
    return statusBar && view && Idle();
}

VarneloProgram::~VarneloProgram() {
    if (main && process.Running()) {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        DWORD code = 0;
        process.WaitForExit(&code, 5000);
    }
}

bool VarneloProgram::Idle(DWORD patience) const {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, patience, &answer) != 0;
}

HWND VarneloProgram::OpenSearchDialog(DWORD patience) const {
    // On the status bar: a click on the view would select a record.
    real_input::ClickToFront(statusBar, 5, 5);
    real_input::Key('S', real_input::kAlt);
    real_input::Key('G');
    return SearchDialog(patience);
}

HWND VarneloProgram::SearchDialog(DWORD patience) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(process.id(), L"#32770"))
                if (TextOf(h) == L"検索する") found = h;
            return found != nullptr;
        },
        patience);
    return found;
}

}  // namespace gui_driver
