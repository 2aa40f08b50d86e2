#include "lookfor_console.h"

#include "program_beside.h"

namespace lookfor_console {

using testing_support::StartBeside;

LookforProcess::LookforProcess(const std::wstring& arguments, HANDLE io) {
    StartBeside(L"lookfor.exe", arguments, io, io, &info_);
}

LookforProcess::~LookforProcess() {
    if (!started()) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool LookforProcess::WaitForExit(DWORD timeoutMs, DWORD* code) {
    if (!started()) return false;
    const bool ended = WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(info_.hProcess, code);
    return ended;
}

void ConsoleTest::SetUp() {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
}

void ConsoleTest::TearDown() {
    if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
    FreeConsole();
}

bool ConsoleTest::ClearTop() {
    DWORD written = 0;
    return FillConsoleOutputCharacterW(screen, L' ', 80 * 5, COORD{0, 0}, &written) &&
           SetConsoleCursorPosition(screen, COORD{0, 0});
}

std::wstring ConsoleTest::TopRow(DWORD width) {
    std::wstring row(width, L'\0');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, &row[0], width, COORD{0, 0}, &read);
    row.resize(read);
    return row;
}

}  // namespace lookfor_console
