// Program entry: the single-instance guard (a second start hands its
// folder, if any, to the running window), the main window, the folder named
// on the command line, and the message loop.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "explorer_menu.h"
#include "folder_offer.h"
#include "instance_guard.h"
#include "main_window.h"
#include "message_boxes.h"

namespace {

const int kRefusedExitCode = -1;
// A second start with a folder waits this long for the first one's window.
const int kWindowWaits = 50;
const DWORD kWindowWaitMs = 100;

HWND RunningMainWindow(bool waitForIt) {
    HWND running = FindRunningMainWindow();
    for (int i = 0; !running && waitForIt && i < kWindowWaits; ++i) {
        Sleep(kWindowWaitMs);
        running = FindRunningMainWindow();
    }
    return running;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring folder = FolderArgument(GetCommandLineW());
    if (!CountThisInstance()) {
        // Let go first: while this process lives on, the running one may end,
        // and the next start must then be let in. No box to dismiss: the
        // window the user already has comes forward, as Windows programs do,
        // with the folder handed over.
        UncountThisInstance();
        HWND running = RunningMainWindow(!folder.empty());
        if (!folder.empty()) HandFolderTo(running, folder);
        BringForward(running);
        return kRefusedExitCode;
    }
    // Drops from Explorer come through OLE, on this thread.
    const HRESULT ole = OleInitialize(nullptr);
    int exitCode = 0;
    if (!RegisterMainWindowClass(instance)) {
        ShowFailureBox(nullptr, L"登録できません。");
    } else if (HWND mainWindow = CreateMainWindow(instance); !mainWindow) {
        ShowFailureBox(nullptr, L"メインウィンドウを作ることができません");
    } else {
        ShowWindow(mainWindow, MainWindowShowCommand(showCommand));
        UpdateWindow(mainWindow);
        if (!folder.empty()) OfferFolder(mainWindow, folder);
        CheckExplorerVerb(mainWindow);
        MSG msg{};
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    UncountThisInstance();
    return exitCode;
}
