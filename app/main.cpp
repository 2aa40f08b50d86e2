// Program entry: the single-instance guard, the main window and the message
// loop.
#include <windows.h>

#include "instance_guard.h"
#include "main_window.h"

namespace {

const int kRefusedExitCode = -1;

void ShowStartFailure(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(nullptr, text, caption, MB_OK);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    if (!CountThisInstance()) {
        ShowStartFailure(L"重複して起動されています。", L"");
        return kRefusedExitCode;
    }
    if (!RegisterMainWindowClass(instance)) {
        ShowStartFailure(L"登録できません。", L"");
        return 0;
    }
    HWND mainWindow = CreateMainWindow(instance);
    if (!mainWindow) {
        ShowStartFailure(L"メインウィンドウを作ることができません", L"作成エラー");
        return 0;
    }
    ShowWindow(mainWindow, MainWindowShowCommand(showCommand));
    UpdateWindow(mainWindow);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
