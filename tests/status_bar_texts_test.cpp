// The window program's own status bar texts around a search, exactly.
#include <gtest/gtest.h>

#include <string>

#include "status_bar_texts.h"
#include "test_support.h"

using testing_support::Show;

namespace {

TEST(StatusBarTexts, ProgressSummaryAndStop) {
    EXPECT_EQ(ProgressText(1234, 56, L"C:\\資料\\議事録"), L"検索中（1234 ファイル、56 件）C:\\資料\\議事録");
    EXPECT_EQ(ProgressText(0, 0, L""), L"検索中（0 ファイル、0 件）");
    EXPECT_EQ(FoundText(3, 2, 0.04), L"3 件見つかりました（2 ファイル、0.0 秒）");
    EXPECT_EQ(FoundText(12345678901LL, 7, 61.26), L"12345678901 件見つかりました（7 ファイル、61.3 秒）");
    EXPECT_EQ(FoundText(3, 2, 0.04, 1), L"3 件見つかりました（2 ファイル、1 件読めませんでした、0.0 秒）");
    EXPECT_EQ(FoundText(3, 2, 0.04, 0, 4), L"3 件見つかりました（2 ファイル、4 件は照合を打ち切りました、0.0 秒）");
    EXPECT_EQ(FoundText(3, 2, 0.04, 1, 4),
              L"3 件見つかりました（2 ファイル、1 件読めませんでした、4 件は照合を打ち切りました、0.0 秒）");
    EXPECT_EQ(ExportedText(2, L"C:\\x.csv"), L"2 件を書き出しました：C:\\x.csv");
    EXPECT_EQ(StoppedText(0), L"検索を中止しました（0 件）");
    EXPECT_EQ(StoppedText(710), L"検索を中止しました（710 件）");
}

TEST(StatusBarTexts, FolderEndKeepsTheTailAndNeverHalfACharacter) {
    const struct {
        std::wstring folder;
        size_t tail;
        std::wstring shown;
    } cases[] = {
        {L"C:\\a\\b", 10, L"C:\\a\\b"},
        {L"C:\\a\\b", 6, L"C:\\a\\b"},
        {L"C:\\long\\folder", 6, L"…folder"},
        {L"C:\\x\\\xD840\xDC0Bz", 2, L"…z"},  // the tail would start inside the pair
        {L"C:\\x\\\xD840\xDC0Bz", 3, L"…\xD840\xDC0Bz"},
        {L"C:\\x", 0, L"…"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderEnd(c.folder, c.tail), c.shown) << Show(c.folder) << " " << c.tail;
}

}  // namespace
