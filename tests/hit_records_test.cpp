// Records handed on: found in a results text, written as tag-jump lines and
// as CSV that a spreadsheet reads as text, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "hit_records.h"
#include "line_index.h"
#include "test_support.h"

using namespace testing_support;

namespace {

TEST(HitRecords, FoundInTheResultsTextAndWrittenInBothForms) {
    const std::wstring text = Record(L"C:\\a\\x.txt", 3, L"=SUM(1,2) \"q\"") +
                              Record(L"C:\\b,c\\y.txt", 12, L"\t- item") +
                              Record(L"C:\\b,c\\y.txt", 14, L"東京");
    const LineIndex index = IndexLines(text.data(), text.size());
    const struct {
        size_t first, last;
        size_t count;
    } ranges[] = {{0, 5, 3}, {2, 2, 1}, {1, 3, 1}, {3, 3, 0}, {4, 99, 1}};
    for (const auto& r : ranges)
        EXPECT_EQ(HitRecordsIn(index, text.data(), r.first, r.last).size(), r.count) << r.first;

    const std::vector<HitRecord> records = HitRecordsIn(index, text.data(), 0, 5);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].path, L"C:\\b,c\\y.txt");
    EXPECT_EQ(records[1].line, 12);
    EXPECT_EQ(records[1].text, L"\t- item");
    EXPECT_EQ(TagJumpBytes(records),
              Utf8Bytes(L"C:\\a\\x.txt(3): =SUM(1,2) \"q\"\r\nC:\\b,c\\y.txt(12): \t- item\r\n"
                        L"C:\\b,c\\y.txt(14): 東京\r\n"));
    // Quoted, quotes doubled; a cell a spreadsheet would take for a formula
    // starts with an apostrophe.
    EXPECT_EQ(CsvBytes(records),
              "\xEF\xBB\xBF" + Utf8Bytes(L"パス,行,内容\r\n"
                                         L"\"C:\\a\\x.txt\",3,\"'=SUM(1,2) \"\"q\"\"\"\r\n"
                                         L"\"C:\\b,c\\y.txt\",12,\"'\t- item\"\r\n"
                                         L"\"C:\\b,c\\y.txt\",14,\"東京\"\r\n"));
}

}  // namespace
