// lookfor.exe started as a person starts it from a console of code page 932:
// its status text read back from the console's screen, and from a file its
// output was redirected to.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "test_support.h"

using namespace testing_support;

namespace {

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Runs lookfor with its standard output on `out` (inheritable); the exit code.
DWORD RunLookfor(const std::wstring& arguments, HANDLE out) {
    const std::wstring exe = Beside(L"lookfor.exe");
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = out;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class LookforOutput : public ::testing::Test {
protected:
    void SetUp() override {
        // A console of this program's own, which the child shares.
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
        ASSERT_TRUE(SetConsoleOutputCP(932));
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
        ASSERT_NE(screen, INVALID_HANDLE_VALUE);
        WriteBytes(tree / L"a.txt", "x\r\n");
        arguments = L"\"" + tree.path() + L"\" \"" + (out / L"results.txt") + L"\" \"\" x";
    }
    void TearDown() override {
        CloseHandle(screen);
        FreeConsole();
    }

    // The first `width` characters of the screen's top row.
    std::wstring TopRow(DWORD width) {
        std::wstring row(width, L'\0');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, &row[0], width, COORD{0, 0}, &read);
        row.resize(read);
        return row;
    }

    TempDir tree;
    TempDir out;
    std::wstring arguments;
    HANDLE screen = INVALID_HANDLE_VALUE;
};

TEST_F(LookforOutput, ConsoleShowsTheJapaneseText) {
    DWORD written = 0;
    ASSERT_TRUE(FillConsoleOutputCharacterW(screen, L' ', 80 * 5, COORD{0, 0}, &written));
    ASSERT_TRUE(SetConsoleCursorPosition(screen, COORD{0, 0}));
    ASSERT_EQ(RunLookfor(arguments, screen), 0u);
    EXPECT_EQ(TopRow(5), L"正常です ") << Show(TopRow(5));
}

// Redirected, the text is in the console's output code page.
TEST_F(LookforOutput, RedirectedOutputIsInTheConsolesCodePage) {
    struct Case {
        UINT codePage;
        std::string bytes;
    };
    const Case cases[] = {
        {932, SjisBytes(L"正常です\r\n")},
        {CP_UTF8, "\xE6\xAD\xA3\xE5\xB8\xB8\xE3\x81\xA7\xE3\x81\x99\r\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetConsoleOutputCP(c.codePage));
        const std::wstring file = out / L"out.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD code = RunLookfor(arguments, h);
        CloseHandle(h);
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(ReadBytes(file), c.bytes) << "code page " << c.codePage;
    }
}

}  // namespace
