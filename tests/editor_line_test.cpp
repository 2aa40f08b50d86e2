// The two exports behind opening a hit in an editor: a record's number as
// the search wrote it maps to the editor's line, and the first match in a
// line is the one the search found.
#include <gtest/gtest.h>

#include <string>

#include "Tessumi.h"
#include "block_reader.h"
#include "test_support.h"

using namespace testing_support;

namespace {

// The record number the search writes for the only line holding "hit".
int RecordNumber(const TempDir& dir, const std::wstring& name) {
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    const std::wstring out = dir / L"out.txt";
    if (!FnLookFor(dir.path().c_str(), out.c_str(), (name + L"$").c_str(), L"hit", status))
        return -1;
    const std::wstring text = ReadText(out);
    const size_t open = text.find(L"\t(");
    return open == std::wstring::npos ? -1 : std::stoi(text.substr(open + 2));
}

TEST(EditorLine, RecordNumbersMapToTheLineAnEditorShows) {
    const struct {
        const char* what;
        std::string bytes;
        int line;  // where "hit" is in an editor
    } cases[] = {
        {"first line", "hit\r\n", 1},
        {"blank lines, CR-only and LF-only breaks", "a\r\n\r\n\r\nb\rc\n\nhit\r\nd\r\ne", 7},
        {"LF CR is two breaks", "a\n\rb\n\r\nhit", 5},
        {"leading breaks", "\n\n\nhit", 4},
        {"UTF-16", "\xFF\xFE" + Utf16Bytes(L"一\r\n\r\n二\r三\n\nhit"), 6},
        {"Shift_JIS", SjisBytes(L"表\r\n\r\n\r\n能\r\rhit\n終\n"), 6},
        {"a lead byte before a break", "\x95\x5C\x83\r\n\r\n\x83\nhit", 4},
    };
    // In one block, and in blocks of a few bytes that end wherever a line can.
    for (size_t blockSize : {kReadBlockSize, size_t(3)}) {
        readBlockSize = blockSize;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            TempDir dir;
            WriteBytes(dir / L"a.txt", c.bytes);
            const int record = RecordNumber(dir, L"a\\.txt");
            ASSERT_GT(record, 0);
            int line = 0;
            wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
            EXPECT_EQ(FnPhysicalLine((dir / L"a.txt").c_str(), record, &line, status), 1);
            EXPECT_EQ(line, c.line) << blockSize;
        }
    }
    readBlockSize = kReadBlockSize;
}

TEST(EditorLine, AChangedOrMissingFileStillGivesALine) {
    TempDir dir;
    WriteBytes(dir / L"a.txt", "a\r\n\r\nb\r\n\r\n");
    const struct {
        std::wstring file;
        int record, result, line;
    } cases[] = {
        {dir / L"a.txt", 9, 1, 3},       // fewer lines now: the last one
        {dir / L"a.txt", 0, 1, 1},       // no such record number
        {dir / L"gone.txt", 12, 0, 12},  // unreadable: the record's own number
    };
    for (const auto& c : cases) {
        int line = 0;
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        EXPECT_EQ(FnPhysicalLine(c.file.c_str(), c.record, &line, status), c.result) << c.record;
        EXPECT_EQ(line, c.line) << c.record;
    }
}

TEST(EditorLine, FirstMatchIsTheSearchesMatch) {
    const struct {
        const wchar_t *pattern, *line;
        int result, start, length;
        int flags = 0;
    } cases[] = {
        {L"b+", L"abbbcb", 1, 1, 3},
        // Folded as the search folds; the span is in the line's own units.
        {L"tokyo", L"in TOKYO", 1, 3, 5, TESSUMI_IGNORE_CASE},
        {L"ガギ", L"ｱｶﾞｷﾞ", 1, 1, 4, TESSUMI_IGNORE_WIDTH},
        {L"ひら", L"カナとヒラ", 1, 3, 2, TESSUMI_IGNORE_KANA},
        {L"検索|索引", L"全文索引と検索", 1, 2, 2},
        {L"x|xy", L"axy", 1, 1, 1},  // the first alternative, as regex_search takes it
        {L"^$", L"", 1, 0, 0},
        {L"z", L"abc", 1, -1, 0},
        {L"(", L"abc", 0, -1, 0},
        // A record's U+2400 is the NUL the search matched, or a ␀ of the file.
        {L"c\\0n", L"abc\x2400needle", 1, 2, 3},
        {L"\x2400", L"a\x2400", 1, 1, 1},
    };
    for (const auto& c : cases) {
        int start = -2, length = -2;
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        EXPECT_EQ(FnFirstMatch(c.pattern, c.line, static_cast<int>(wcslen(c.line)), c.flags, &start,
                               &length, status),
                  c.result)
            << Show(c.pattern);
        EXPECT_EQ(start, c.start) << Show(c.pattern);
        EXPECT_EQ(length, c.length) << Show(c.pattern);
    }
}

}  // namespace
