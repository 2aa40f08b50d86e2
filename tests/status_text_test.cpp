#include <gtest/gtest.h>

#include <string>

#include "status_text.h"
#include "test_support.h"

using testing_support::Show;
using testing_support::SystemText;

namespace {

// A StatusText of 256 units followed by a canary that no writer may touch.
struct GuardedBuffer {
    wchar_t units[256 + 16];
    GuardedBuffer() { std::fill(std::begin(units), std::end(units), L'#'); }
    bool canaryIntact() const {
        for (size_t i = 256; i < 256 + 16; ++i)
            if (units[i] != L'#') return false;
        return true;
    }
};

TEST(StatusText, SuccessTextsDifferOnlyInTheFullStop) {
    wchar_t text[256];
    status::Ok(text);
    EXPECT_EQ(std::wstring(text), L"正常です。");
    status::RunComplete(text);
    EXPECT_EQ(std::wstring(text), L"正常です");
}

TEST(StatusText, FailureIsSubjectLeadInAndTheSystemsOwnText) {
    wchar_t text[256];
    status::Ok(text);
    status::SystemFailure(text, L"C:\\data\\a.txt", status::kCreateReadHandle,
                          ERROR_FILE_NOT_FOUND);
    std::wstring expected = L"C:\\data\\a.txt" +
                            std::wstring(L"の読み込みハンドルを作成することができません\n理由：") +
                            SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::wstring(text), expected) << Show(text);
    EXPECT_EQ(wcslen(status::kCreateReadHandle), 26u);
    // The system's line end stays at the end of the text.
    ASSERT_FALSE(SystemText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_EQ(std::wstring(text).back(), SystemText(ERROR_FILE_NOT_FOUND).back());
}

TEST(StatusText, ReasonAloneAndCodesWithoutText) {
    wchar_t text[256];
    status::SystemReasonOnly(text, ERROR_ACCESS_DENIED);
    EXPECT_EQ(std::wstring(text), SystemText(ERROR_ACCESS_DENIED));
    // A code for which the system has no text gives an empty reason.
    status::SystemFailure(text, L"x", status::kWriteOut, 0x2FFFFFFF);
    EXPECT_EQ(std::wstring(text), L"xを書き出すことができません\n理由：");
}

TEST(StatusText, TooLargeTextHasNoReasonAndNoLineBreak) {
    wchar_t text[256];
    status::FileTooLarge(text, L"D:\\big.bin");
    EXPECT_EQ(std::wstring(text), L"ファイルD:\\big.binのサイズが大き過ぎます");
}

TEST(StatusText, LongTextsAreCutAt255UnitsAndTerminated) {
    GuardedBuffer buffer;
    std::wstring subject(300, L'p');
    status::SystemFailure(buffer.units, subject.c_str(), status::kSearchFolder,
                          ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(buffer.canaryIntact());
    EXPECT_EQ(buffer.units[255], L'\0');
    EXPECT_EQ(std::wstring(buffer.units), std::wstring(255, L'p'));
}

TEST(StatusText, CutNeverSplitsASurrogatePair) {
    GuardedBuffer buffer;
    std::wstring subject(254, L'x');
    subject += L"\U00020B9F";  // a kanji outside the BMP: two units at 254 and 255
    status::Compose(buffer.units, subject.c_str(), L"tail", nullptr);
    EXPECT_TRUE(buffer.canaryIntact());
    EXPECT_EQ(std::wstring(buffer.units), std::wstring(254, L'x'));
}

TEST(StatusText, InsertsAreFilledWithThePathOrRemoved) {
    const wchar_t* cases[][3] = {
        {L"%1 は無効です。", L"C:\\a.exe", L"C:\\a.exe は無効です。"}, {L"%12%3", L"p", L"pp"},
        {L"0x%1 が %2!s! にない", nullptr, L"0x が  にない"}, {L"%1!d %%1 %9", L"p", L"p!d %%1 p"},
        {L"100%% %0 %a %", L"p", L"100%% %0 %a %"},
    };
    for (const auto& c : cases) EXPECT_EQ(status::FillInserts(c[0], c[1]), c[2]);
}

}  // namespace
