// lookfor.exe in a console during a long search: its progress line on the
// screen, and Ctrl+C, which stops the run with whole records, a clear text
// and exit code 1.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "test_support.h"

using namespace testing_support;

namespace {

// Lines that a backreference makes slow to test: a few thousand of them keep
// a search busy for seconds.
const std::string kSlowLine = std::string(200, 'w') + " hit\r\n";
const wchar_t kSlowPattern[] = L"(\\w+)\\1\\1x|hit";

BOOL WINAPI SwallowCtrlC(DWORD event) { return event == CTRL_C_EVENT; }

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

class LookforCtrlC : public ::testing::Test {
protected:
    void SetUp() override {
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
        // The Ctrl+C that the test sends reaches every process of the
        // console, this one too.
        ASSERT_TRUE(SetConsoleCtrlHandler(SwallowCtrlC, TRUE));
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
        ASSERT_NE(screen, INVALID_HANDLE_VALUE);
        std::string text;
        for (int i = 0; i < 100; ++i) text += kSlowLine;
        for (int f = 0; f < 200; ++f) WriteBytes(tree / (L"f" + std::to_wstring(f) + L".txt"), text);
    }
    void TearDown() override {
        CloseHandle(screen);
        SetConsoleCtrlHandler(SwallowCtrlC, FALSE);
        FreeConsole();
    }

    std::wstring TopRow(DWORD width) {
        std::wstring row(width, L'\0');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, &row[0], width, COORD{0, 0}, &read);
        row.resize(read);
        return row;
    }

    TempDir tree;
    TempDir out;
    HANDLE screen = INVALID_HANDLE_VALUE;
};

TEST_F(LookforCtrlC, ProgressShowsAndCtrlCStopsWithWholeRecords) {
    DWORD written = 0;
    ASSERT_TRUE(FillConsoleOutputCharacterW(screen, L' ', 80 * 5, COORD{0, 0}, &written));
    ASSERT_TRUE(SetConsoleCursorPosition(screen, COORD{0, 0}));
    const std::wstring results = out / L"results.txt";
    const std::wstring exe = Beside(L"lookfor.exe");
    std::wstring command = L"\"" + exe + L"\" \"" + tree.path() + L"\" \"" + results + L"\" \"\" \"" +
                           kSlowPattern + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = screen;
    startup.hStdOutput = screen;
    startup.hStdError = screen;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process));

    // The progress line, and its counts moving on.
    std::wstring first, later;
    for (int k = 0; k < 100 && first.empty(); ++k, Sleep(100))
        if (TopRow(4) == L"検索中（") first = TopRow(40);
    ASSERT_FALSE(first.empty()) << Show(TopRow(40));
    for (int k = 0; k < 100 && (later.empty() || later == first); ++k, Sleep(100)) later = TopRow(40);
    EXPECT_NE(later, first) << Show(first);

    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << "still running";
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 1u);
    // The progress line made way for the status text.
    EXPECT_EQ(TopRow(10), L"検索を中止しました ") << Show(TopRow(40));

    // Whole records: each one the path, then the line's number and text.
    const std::wstring text = ReadText(results);
    const std::wstring hit = std::wstring(200, L'w') + L" hit";
    size_t records = 0, at = 1;
    while (at < text.size()) {
        size_t path = text.find(L"\r\n", at);
        ASSERT_NE(path, std::wstring::npos);
        const std::wstring file = text.substr(at, path - at);
        ASSERT_EQ(file.rfind(tree.path() + L"\\f", 0), 0u) << Show(file);
        size_t number = records % 100 + 1;
        std::wstring record = Record(file, static_cast<int>(number), hit);
        ASSERT_EQ(text.compare(at, record.size(), record), 0) << "record " << records;
        at += record.size();
        ++records;
    }
    EXPECT_GT(records, 0u);
    EXPECT_LT(records, 20000u);
}

}  // namespace
