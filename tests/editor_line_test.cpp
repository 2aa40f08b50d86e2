// The exports behind opening a hit in an editor and showing it: a record's
// number as the search wrote it maps to the editor's line, the lines around
// it are the editor's, and the matches in a line are the search's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Many record lines of one file in one read give what each gives alone,
// in whatever order they are asked, past the file's end too.
TEST(EditorLine, ManyRecordLinesInOneReadAreEachOnesLine) {
    TempDir dir;
    const std::wstring file = dir / L"a.txt";
    WriteBytes(file, SjisBytes(L"hit\r\n\r\n表\rhit\n\nhit\r\r\nx\nhit\r\n\r\n"));
    for (size_t blockSize : {kReadBlockSize, size_t(3)}) {
        readBlockSize = blockSize;
        const std::vector<int> records = {7, 4, 1, 2, 4, 0, 30, 6};
        std::vector<int> lines(records.size(), -1);
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        ASSERT_EQ(FnPhysicalLines(file.c_str(), records.data(), static_cast<int>(records.size()),
                                  lines.data(), status), 1);
        for (size_t i = 0; i < records.size(); ++i) {
            int alone = -1;
            FnPhysicalLine(file.c_str(), records[i], &alone, status);
            EXPECT_EQ(lines[i], alone) << records[i] << " in blocks of " << blockSize;
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
        // Found by the pattern as written alone (the folding joins ｶﾞ): marked there.
        {L"ｶ", L"xｶﾞy", 1, 1, 1, TESSUMI_IGNORE_WIDTH},
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

TEST(EditorLine, AllMatchesAreTheIteratorsMatches) {
    using Spans = std::vector<int>;  // start, length, start, length, ...
    const struct {
        const wchar_t *pattern, *line;
        Spans spans;
        int flags = 0, from = 0, capacity = 16, result = 1;
    } cases[] = {
        {L"東京|大阪", L"東京と大阪と東京と大阪", {0, 2, 3, 2, 6, 2, 9, 2}},
        {L"東京|大阪", L"東京と大阪と東京と大阪", {0, 2, 3, 2}, 0, 0, 2},  // as many as asked
        {L"b", L"bab b", {2, 1, 4, 1}, 0, 2},  // from a unit on
        {L"tokyo", L"Tokyo TOKYO", {0, 5, 6, 5}, TESSUMI_IGNORE_CASE},
        {L"ガ", L"ｶﾞとガ", {0, 2, 3, 1}, TESSUMI_IGNORE_WIDTH},
        {L"\\bab", L"ab cab ab", {7, 2}, 0, 4},  // what precedes from counts
        {L"^a", L"aaa", {0, 1}},
        {L"(|a)", L"aa", {0, 1, 1, 1}},  // a longer match where an empty one was
        {L"x*", L"axxb", {1, 2}},
        {L"z", L"abc", {}},
        {L"(", L"abc", {}, 0, 0, 16, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.pattern));
        int spans[32] = {}, count = -1;
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        EXPECT_EQ(FnAllMatches(c.pattern, c.line, static_cast<int>(wcslen(c.line)), c.flags, c.from,
                               spans, c.capacity, &count, status),
                  c.result);
        EXPECT_EQ(Spans(spans, spans + 2 * std::max(0, count)), c.spans);
    }
}

TEST(EditorLine, LinesAroundAreTheEditorsLines) {
    const struct {
        const char* what;
        std::string bytes;
        int record, before, after, fromUnit, lineUnits;
        int firstLine, hitLine;
        std::wstring text;
    } cases[] = {
        {"blank lines, CR-only and LF-only breaks", "a\r\n\r\nb\rhit\n\nc\r\nd", 3, 2, 2, 0, 9, 2,
         4, L"\r\nb\r\nhit\r\n\r\nc\r\n"},
        {"UTF-16", "\xFF\xFE" + Utf16Bytes(L"一\r\n二\r\n\r\n三\r\n四"), 3, 1, 1, 0, 9, 3, 4,
         L"\r\n三\r\n四\r\n"},
        {"Shift_JIS", SjisBytes(L"表\r\n能\r\nｶﾅ\r\n終"), 2, 3, 1, 0, 9, 1, 2,
         L"表\r\n能\r\nｶﾅ\r\n"},
        {"a NUL, cut lines", std::string("abcdef\nxy\0zw\nq", 14), 2, 1, 1, 1, 3, 1, 2,
         L"bcd\r\ny\x2400z\r\n\r\n"},
        {"fewer lines now: the last", "a\n\nb\n", 9, 1, 1, 0, 9, 2, 3, L"\r\nb\r\n"},
        // Beyond the bound of 64 bytes: held by its start alone, and counted.
        {"a line beyond the bound", "a\r\n" + std::string(1000, 'x') + "\r\n\r\nhit\nz", 3, 2, 1,
         0, 3, 2, 4, L"xxx\r\n\r\nhit\r\nz\r\n"},
        {"UTF-16 beyond the bound",
         "\xFF\xFE" + Utf16Bytes(L"a\n" + std::wstring(500, L'表') + L"\r\n\nh"), 3, 2, 0, 0, 1,
         2, 4, L"表\r\n\r\nh\r\n"},
    };
    longestLineBytes = 64;
    // In one block, and in blocks of a few bytes that end wherever a line can.
    for (size_t blockSize : {kReadBlockSize, size_t(3)}) {
        readBlockSize = blockSize;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", blocks of " << blockSize);
            TempDir dir;
            WriteBytes(dir / L"a.txt", c.bytes);
            wchar_t text[256], status[TESSUMI_STATUS_TEXT_UNITS];
            int first = 0, hit = 0;
            ASSERT_EQ(FnLinesAround((dir / L"a.txt").c_str(), c.record, c.before, c.after,
                                    c.fromUnit, c.lineUnits, text, 256, &first, &hit, status),
                      1)
                << Show(status);
            EXPECT_EQ(first, c.firstLine);
            EXPECT_EQ(hit, c.hitLine);
            EXPECT_EQ(std::wstring(text), c.text) << Show(text);
        }
    }
    readBlockSize = kReadBlockSize;
    longestLineBytes = kLongestLineBytes;
    // A file that can't be read, and a buffer too small: the reason.
    TempDir dir;
    wchar_t text[8], status[TESSUMI_STATUS_TEXT_UNITS];
    int first = 0, hit = 0;
    EXPECT_EQ(FnLinesAround((dir / L"gone.txt").c_str(), 1, 1, 1, 0, 9, text, 8, &first, &hit, status), 0);
    EXPECT_EQ(FnLinesAround((dir / L"gone.txt").c_str(), 1, 0, 0, 0, 4, text, 8, &first, &hit, status), 0);
    EXPECT_NE(std::wstring(status).find(SystemText(ERROR_FILE_NOT_FOUND)), std::wstring::npos)
        << Show(status);
}

}  // namespace
