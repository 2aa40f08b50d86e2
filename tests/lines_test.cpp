// The line search and the block writer against real results files, compared
// byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Tessumi.h"
#include "lines.h"
#include "results_run_fixture.h"
#include "writer.h"

using namespace testing_support;

namespace {

// The run's block starts with U+FEFF, as FnLookFor starts it.
class LineSearch : public ResultsRun {
protected:
    void SetUp() override { Open(L""); }

    // Searches one file holding `bytes`; returns FnSearchLines' result.
    int Search(const std::wstring& name, const std::string& bytes) {
        std::wstring path = dir / name;
        WriteBytes(path, bytes);
        return FnSearchLines(path.c_str(), path.size(), *run, status);
    }

    size_t FileSize() {
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExW(resultsName.c_str(), GetFileExInfoStandard, &data);
        return data.nFileSizeLow;
    }
};

TEST_F(LineSearch, RunsOfLineBreaksAreOneBreakAndBlankLinesTakeNoNumber) {
    ASSERT_EQ(Search(L"crlf.txt", "a\r\n\r\nb\r\n"), 1);
    ASSERT_EQ(Search(L"lf.txt", "a\n\nb\n"), 1);
    ASSERT_EQ(Search(L"cr.txt", "a\rb\r"), 1);
    ASSERT_EQ(Search(L"crcrlf.txt", "a\r\r\nb"), 1);
    std::wstring expected = kBom;
    for (const wchar_t* name : {L"crlf.txt", L"lf.txt", L"cr.txt", L"crcrlf.txt"})
        expected += Record(dir / name, 1, L"a") + Record(dir / name, 2, L"b");
    EXPECT_EQ(Finish(), expected);
}

TEST_F(LineSearch, LeadingBreakGivesAnEmptyLineOneAndAFinalBreakAddsNothing) {
    ASSERT_EQ(Search(L"lead.txt", "\r\nfirst\r\nlast"), 1);
    std::wstring path = dir / L"lead.txt";
    EXPECT_EQ(Finish(), kBom + path + L"\r\n\t(1)===>\r\n" + Record(path, 2, L"first") +
                            Record(path, 3, L"last"));
}

TEST_F(LineSearch, PatternSelectsLinesAndTheRecordHoldsTheWholeLine) {
    Open(L"fox");
    ASSERT_EQ(Search(L"a.txt", "one\r\nred fox jumps\r\nthree fox"), 1);
    ASSERT_EQ(Search(L"b.txt", "fox\r\n"), 1);  // numbering starts again
    EXPECT_EQ(Finish(), kBom + Record(dir / L"a.txt", 2, L"red fox jumps") +
                            Record(dir / L"a.txt", 3, L"three fox") +
                            Record(dir / L"b.txt", 1, L"fox"));
}

TEST_F(LineSearch, ByteOrderMarkAloneAndEmptyFileGiveNoLine) {
    ASSERT_EQ(Search(L"bom.txt", "\xFF\xFE"), 1);
    ASSERT_EQ(Search(L"empty.txt", ""), 1);
    EXPECT_EQ(std::wstring(status), L"正常です。");
    EXPECT_EQ(Finish(), kBom);
}

TEST_F(LineSearch, NulIsACharacterOfItsLineWrittenAsU2400) {
    // The text after a NUL is found, and so is the NUL itself, in every encoding.
    const std::wstring text(L"abc\0needle 東京\r\nend", 17);
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"utf8.txt", Utf8Bytes(text)},
        {L"sjis.txt", SjisBytes(text)},
        {L"utf16.txt", "\xFF\xFE" + Utf16Bytes(text)},
        {L"iso.txt", std::string("abc\0needle \x1B$BEl5~\x1B(B\r\nend", 27)},
    };
    for (const wchar_t* pattern : {L"needle", L"c\\0n"}) {
        Open(pattern);
        std::wstring expected = kBom;
        for (const auto& f : files) {
            ASSERT_EQ(Search(f.first, f.second), 1) << Show(f.first);
            expected += Record(dir / f.first, 1, L"abc\x2400needle 東京");
        }
        EXPECT_EQ(Finish(), expected) << Show(pattern);
    }
}

TEST_F(LineSearch, Utf16FileIsSearchedAsItIs) {
    Open(L"検索");
    ASSERT_EQ(Search(L"u.txt", "\xFF\xFE" + Utf16Bytes(L"全文検索\r\nなし\n検索だ")), 1);
    std::wstring path = dir / L"u.txt";
    EXPECT_EQ(Finish(), kBom + Record(path, 1, L"全文検索") + Record(path, 3, L"検索だ"));
}

TEST_F(LineSearch, CutLinesOnTheTextItself) {
    std::wstring text = std::wstring(L"\xFEFF" L"\r\n\r\nx\n", 6);
    std::vector<Line> lines;
    CutLines(text.data(), text.size(), lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].length, 0u);
    EXPECT_EQ(std::wstring(lines[1].start, lines[1].length), L"x");
    CutLines(text.data(), 1, lines);
    EXPECT_TRUE(lines.empty());
}

// A line of `n` characters whose record in this run is exactly `recordLength`.
std::wstring LineForRecord(const std::wstring& path, size_t recordLength) {
    size_t overhead = Record(path, 1, L"").size();
    return std::wstring(recordLength - overhead, L'y');
}

TEST_F(LineSearch, BlockIsWrittenOnlyWhenTheNextRecordWouldPassTheLimit) {
    std::wstring path = L"C:\\p.txt";
    run->block.length = 4000;
    for (size_t i = 1; i < 4000; ++i) run->block.text[i] = L'x';
    run->block.text[4000] = 0;

    std::wstring fits = LineForRecord(path, 95);
    Line line{fits.data(), fits.size()};
    ASSERT_EQ(AppendRecord(*run, path.c_str(), path.size(), 1, line, status), 1);
    EXPECT_EQ(run->block.length, 4095u);
    EXPECT_EQ(FileSize(), 0u);

    run->block.length = 4000;
    run->block.text[4000] = 0;
    std::wstring over = LineForRecord(path, 96);
    line = Line{over.data(), over.size()};
    ASSERT_EQ(AppendRecord(*run, path.c_str(), path.size(), 1, line, status), 1);
    EXPECT_EQ(FileSize(), 8000u);
    EXPECT_EQ(run->block.length, 96u);
    EXPECT_EQ(std::wstring(run->block.text), Record(path, 1, over));

    std::wstring file = Finish();
    ASSERT_EQ(file.size(), 4096u);
    EXPECT_EQ(file[0], 0xFEFF);
    EXPECT_EQ(file.substr(4000), Record(path, 1, over));  // the second block has no mark
}

TEST_F(LineSearch, LongRecordsAreWrittenWholeAndInOrder) {
    std::string line300(300, 'm');
    std::string line10k(10000, 'L');
    ASSERT_EQ(Search(L"long.txt", "short\r\n" + line300 + "\r\n" + line10k + "\r\nend"), 1);
    std::wstring path = dir / L"long.txt";
    std::wstring expected = kBom + Record(path, 1, L"short") +
                            Record(path, 2, std::wstring(300, L'm')) +
                            Record(path, 3, std::wstring(10000, L'L')) + Record(path, 4, L"end");
    std::wstring file = Finish();
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.find(L'\0'), std::wstring::npos);
}

TEST_F(LineSearch, ManyBlocksAreByteForByteTheRecordsInOrder) {
    std::string text;
    std::wstring path = dir / L"many.txt";
    std::wstring expected = kBom;
    for (int i = 1; i <= 3000; ++i) {
        std::string line = "line " + std::to_string(i) + std::string(i % 37, '.');
        text += line + "\n";
        expected += Record(path, i, std::wstring(line.begin(), line.end()));
    }
    ASSERT_EQ(Search(L"many.txt", text), 1);
    EXPECT_EQ(Finish(), expected);
}

TEST_F(LineSearch, FailedWriteEndsTheFileAtOnceWithTheWritersText) {
    Open(L"", GENERIC_READ);  // a handle without write access
    run->block.length = 4090;
    std::string text = "first line here\r\nsecond\r\n";
    EXPECT_EQ(Search(L"w.txt", text), 0);
    EXPECT_EQ(std::wstring(status),
              resultsName + L"を書き出すことができません\n理由：" + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(run->block.length, 4090u);  // the unwritten block stays as it was
}

// The writer's WriteFile replaced: write number failAt (1 for the first)
// stores half its bytes and fails as a volume that runs full does. Every
// write is counted, and so is every empty one.
struct WriteLog {
    int failAt = 0;
    int writes = 0;
    int empty = 0;
};
WriteLog writeLog;

BOOL WINAPI FailingWrite(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written,
                         LPOVERLAPPED overlapped) {
    ++writeLog.writes;
    if (bytes == 0) ++writeLog.empty;
    if (writeLog.writes != writeLog.failAt)
        return WriteFile(file, data, bytes, written, overlapped);
    WriteFile(file, data, bytes / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

class WriteFailure : public ::testing::Test {
protected:
    void SetUp() override { writeFileCall = FailingWrite; }
    void TearDown() override { writeFileCall = WriteFile; }

    TempDir tree;
    TempDir out;
    std::wstring results = out / L"results.txt";
    wchar_t status[256];
};

// A run whose writes are: the first block, then the three pieces of a
// record too long for any block. Whichever fails, the file ends at the last
// whole record; a run that ends in such a record makes no empty last write.
TEST_F(WriteFailure, FailedWriteLeavesOnlyWholeRecords) {
    const std::string longLine = "hit " + std::string(5000, 'x');
    WriteBytes(tree / L"big.txt", "hit short\r\n" + longLine);
    const std::wstring path = tree / L"big.txt";
    const std::wstring first = kBom + Record(path, 1, L"hit short");
    const std::wstring all =
        first + Record(path, 2, std::wstring(longLine.begin(), longLine.end()));
    struct Case {
        int failAt;
        std::wstring file;
    };
    const Case cases[] = {{0, all}, {1, L""}, {2, first}, {3, first}, {4, first}};
    for (const Case& c : cases) {
        writeLog = WriteLog{c.failAt};
        int result = FnLookFor(tree.path().c_str(), results.c_str(), L"", L"hit", status);
        const std::string file = ReadBytes(results);
        EXPECT_TRUE(file == Utf16Bytes(c.file))
            << "failing write " << c.failAt << ": " << file.size() << " bytes, expected "
            << c.file.size() * 2;
        EXPECT_EQ(writeLog.empty, 0);
        if (c.failAt == 0) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(writeLog.writes, 4);
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(std::wstring(status), results + L"を書き出すことができません\n理由：" +
                                            SystemText(ERROR_DISK_FULL))
            << Show(status);
    }
}

}  // namespace
