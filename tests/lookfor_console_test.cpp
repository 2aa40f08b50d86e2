// lookfor.exe started as a person starts it from a console of code page 932:
// its status text read back from the console's screen, and from a file its
// output was redirected to.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "lookfor_console.h"
#include "test_support.h"

using namespace lookfor_console;
using namespace testing_support;

namespace {

// Runs lookfor with its standard output on `out` (inheritable); the exit code.
DWORD RunLookfor(const std::wstring& arguments, HANDLE out) {
    LookforProcess lookfor(arguments, out);
    DWORD code = 0xFFFFFFFF;
    lookfor.WaitForExit(60000, &code);
    return code;
}

class LookforOutput : public ConsoleTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ConsoleTest::SetUp());
        ASSERT_TRUE(SetConsoleOutputCP(932));
        WriteBytes(tree / L"a.txt", "x\r\n");
        arguments = L"\"" + tree.path() + L"\" \"" + (out / L"results.txt") + L"\" \"\" x";
    }

    TempDir tree;
    TempDir out;
    std::wstring arguments;
};

TEST_F(LookforOutput, ConsoleShowsTheJapaneseText) {
    ASSERT_TRUE(ClearTop());
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
