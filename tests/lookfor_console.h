// lookfor.exe in a console of the test's own: the console made afresh with
// an inheritable handle to its screen, lookfor started with its standard
// handles on a given handle, and the screen's text read back.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace lookfor_console {

// lookfor.exe started with `arguments` (after its own path), its standard
// input, output and error all on `io`, which must be inheritable. The
// destructor ends it if it still runs, so a failing test leaves nothing behind.
class LookforProcess {
public:
    LookforProcess(const std::wstring& arguments, HANDLE io);
    ~LookforProcess();
    LookforProcess(const LookforProcess&) = delete;
    LookforProcess& operator=(const LookforProcess&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    // True if it ended within timeoutMs; *code is its exit code then (as
    // the system reports it, even when it still runs).
    bool WaitForExit(DWORD timeoutMs, DWORD* code);

private:
    PROCESS_INFORMATION info_{};
};

// A test with a console of its own, which the programs it starts share.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Blanks the screen's first rows and puts the cursor at the top left.
    bool ClearTop();
    // The first `width` characters of the screen's top row.
    std::wstring TopRow(DWORD width);

    HANDLE screen = INVALID_HANDLE_VALUE;  // inheritable
};

}  // namespace lookfor_console
