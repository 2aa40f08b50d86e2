// Program entry: the single-instance guard, the main window and the message
// loop.
#include <windows.h>

#include "instance_guard.h"
#include "main_window.h"
#include "message_boxes.h"

namespace {

const int kRefusedExitCode = -1;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    if (!CountThisInstance()) {
        // Let go first: while this process lives on, the running one may end,
        // and the next start must then be let in. No box to dismiss: the
        // window the user already has comes forward, as Windows programs do.
        UncountThisInstance();
        BringForward(FindRunningMainWindow());
        return kRefusedExitCode;
    }
    int exitCode = 0;
    if (!RegisterMainWindowClass(instance)) {
        ShowFailureBox(nullptr, L"登録できません。");
    } else if (HWND mainWindow = CreateMainWindow(instance); !mainWindow) {
        ShowFailureBox(nullptr, L"メインウィンドウを作ることができません");
    } else {
        ShowWindow(mainWindow, MainWindowShowCommand(showCommand));
        UpdateWindow(mainWindow);
        MSG msg{};
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    UncountThisInstance();
    return exitCode;
}
