// lookfor.exe in a console during a long search: its progress line on the
// screen, and Ctrl+C, which stops the run with whole records, a clear text
// and exit code 2.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "lookfor_console.h"
#include "test_support.h"

using namespace lookfor_console;
using namespace testing_support;

namespace {

// Lines that a backreference makes slow to test: a few thousand of them keep
// a search busy for seconds.
const std::string kSlowLine = std::string(200, 'w') + " hit\r\n";
const wchar_t kSlowPattern[] = L"(\\w+)\\1\\1x|hit";

BOOL WINAPI SwallowCtrlC(DWORD event) { return event == CTRL_C_EVENT; }

class LookforCtrlC : public ConsoleTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ConsoleTest::SetUp());
        // The Ctrl+C that the test sends reaches every process of the
        // console, this one too.
        ASSERT_TRUE(SetConsoleCtrlHandler(SwallowCtrlC, TRUE));
        std::string text;
        for (int i = 0; i < 100; ++i) text += kSlowLine;
        for (int f = 0; f < 200; ++f) WriteBytes(tree / (L"f" + std::to_wstring(f) + L".txt"), text);
    }
    void TearDown() override {
        SetConsoleCtrlHandler(SwallowCtrlC, FALSE);
        ConsoleTest::TearDown();
    }

    TempDir tree;
    TempDir out;
};

TEST_F(LookforCtrlC, ProgressShowsAndCtrlCStopsWithWholeRecords) {
    ASSERT_TRUE(ClearTop());
    const std::wstring results = out / L"results.txt";
    LookforProcess lookfor(L"\"" + tree.path() + L"\" \"" + results + L"\" \"\" \"" + kSlowPattern +
                               L"\"",
                           screen);
    ASSERT_TRUE(lookfor.started());

    // The progress line, and its counts moving on.
    std::wstring first, later;
    for (int k = 0; k < 100 && first.empty(); ++k, Sleep(100))
        if (TopRow(4) == L"検索中（") first = TopRow(40);
    ASSERT_FALSE(first.empty()) << Show(TopRow(40));
    for (int k = 0; k < 100 && (later.empty() || later == first); ++k, Sleep(100)) later = TopRow(40);
    EXPECT_NE(later, first) << Show(first);

    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    DWORD code = 0;
    ASSERT_TRUE(lookfor.WaitForExit(20000, &code)) << "still running";
    EXPECT_EQ(code, 2u);  // a stopped run is no answer: grep's failure status
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
