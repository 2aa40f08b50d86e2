// Whole runs that search inside documents and archives: the records of each
// fixture exactly, what is passed by and why, one thread's results on two.
#include <gtest/gtest.h>

#include "Tessumi.h"
#include "block_reader.h"
#include "program_beside.h"
#include "status_text.h"
#include "test_support.h"
#include "zip/member_stream.h"

using namespace testing_support;
using status::InsideFault;

namespace {

const int kInside = TESSUMI_DOCUMENTS | TESSUMI_ARCHIVES;

struct Outcome {
    int returned = -1;
    std::wstring results;
    std::vector<std::wstring> skipped;  // "path: reason"
    long long files = -1;               // searched, as the last progress call counts them
};

int CALLBACK Counted(long long files, long long, const wchar_t*, void* context) {
    static_cast<Outcome*>(context)->files = files;
    return 1;
}

int CALLBACK Heard(const wchar_t* path, const wchar_t* reason, void* context) {
    static_cast<Outcome*>(context)->skipped.push_back(std::wstring(path) + L": " + reason);
    return 1;
}

// Searches a folder holding copies of the fixtures named.
Outcome Search(const TempDir& dir, int flags, const wchar_t* pattern2, int threads) {
    Outcome run;
    const TessumiOptions options = {sizeof options, flags, nullptr, threads, 0};
    wchar_t text[status::kUnits];
    const std::wstring results = dir.path() + L".results.txt";
    run.returned = FnLookForOptions(dir.path().c_str(), results.c_str(), L"", pattern2, &options,
                                    Counted, Heard, &run, text);
    run.results = ReadText(results);
    DeleteFileW(results.c_str());
    return run;
}

TEST(InsideSearchTest, RecordsAndReasonsOfEachFixtureOnOneThreadAndTwo) {
    auto why = [](InsideFault fault) { return status::InsideReason(fault); };
    const std::wstring tokyo = L"東京|内側|格納|議事録";
    const struct Case {
        const wchar_t* fixture;
        int flags;
        int returned;
        long long files;  // each member searched counts
        std::vector<std::pair<int, std::wstring>> records;  // member ("" the file itself), line
        std::vector<std::pair<std::wstring, std::wstring>> skipped;  // member, reason
        std::vector<std::wstring> members;
    } cases[] = {
        {L"book.xlsx", kInside, 1, 1, {{8, L"[売上!A3] A&B <C> \"東京\""}, {10, L"[売上!B12] 東京支社"}}, {}, {}},
        {L"report.docx", kInside, 1, 1, {{1, L"[段落 1] 議事録"}, {2, L"[段落 2] 東京支社"}}, {}, {}},
        {L"deck.pptx", kInside, 1, 1, {{3, L"[スライド 1] 東京支社が最大"}}, {}, {}},
        {L"deep.zip", kInside, 1, 1, {}, {{L"2.zip\\3.zip\\4.zip", status::NestingReason(3)}}, {}},
        {L"locked.xlsx", kInside, 1, 0, {}, {{L"", why(InsideFault::Encrypted)}}, {}},
        {L"古い.xls", kInside, 1, 0, {}, {{L"", why(InsideFault::OldFormat)}}, {}},
        {L"damaged.zip", kInside | TESSUMI_KEEP_GOING, 1, 0, {}, {{L"", why(InsideFault::NoDirectory)}}, {}},
        {L"damaged.zip", kInside, 0, 0, {}, {}, {}},
        {L"archive.zip", kInside | TESSUMI_KEEP_GOING, 1, 13,
         {{1, L"東京支社"}, {1, L"東京支社"}, {1, L"東京支社"}, {1, L"議事録"}, {1, L"内側の行"},
          {8, L"[売上!A3] A&B <C> \"東京\""}, {10, L"[売上!B12] 東京支社"}, {1, L"格納"},
          {1, L"[段落 1] 議事録"}, {2, L"[段落 2] 東京支社"}},
         {{L"古い.xls", why(InsideFault::OldFormat)}, {L"secret.txt", why(InsideFault::Encrypted)},
          {L"d64.txt", status::MethodReason(9)}, {L"bz.txt", status::MethodReason(12)},
          {L"lzma.txt", status::MethodReason(14)}, {L"crc.txt", why(InsideFault::BadCrc)},
          {L"bad.txt", why(InsideFault::BadData)}, {L"size.txt", why(InsideFault::BadSize)},
          {L"cut.txt", why(InsideFault::Truncated)},
          {L"huge.bin", status::ExpansionReason(kExpandedLimit, kExpansionRatio)},
          {L"ratio.bin", status::ExpansionReason(kExpandedLimit, kExpansionRatio)}},
         {L"sjis.txt", L"utf8.txt", L"utf16.txt", L"資料\\議事録.txt", L"inner.zip\\内側.txt",
          L"inner.zip\\book.xlsx", L"inner.zip\\book.xlsx", L"stored.zip\\格納.txt", L"report.docx",
          L"report.docx"}},
        // Without the flags a workbook is bytes, and none of them is text.
        {L"book.xlsx", 0, 1, 1, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.fixture) + " flags " + std::to_string(c.flags));
        TempDir dir;
        const std::wstring copy = dir / c.fixture;
        const std::wstring source = BesideProgram(std::wstring(L"documents\\") + c.fixture);
        if (c.fixture == std::wstring(L"古い.xls"))
            WriteBytes(copy, "\xD0\xCF\x11\xE0");
        else
            ASSERT_TRUE(CopyFileW(source.c_str(), copy.c_str(), FALSE));
        auto pathOf = [&](const std::wstring& member) { return member.empty() ? copy : copy + L"\\" + member; };
        std::wstring expected = L"\xFEFF";
        for (size_t i = 0; i < c.records.size(); ++i)
            expected += Record(pathOf(c.members.empty() ? L"" : c.members[i]), c.records[i].first,
                               c.records[i].second);
        std::vector<std::wstring> told;
        for (const auto& [member, reason] : c.skipped) told.push_back(pathOf(member) + L": " + reason);
        const Outcome one = Search(dir, c.flags, tokyo.c_str(), 1);
        EXPECT_EQ(one.returned, c.returned);
        if (c.returned == 1) {
            EXPECT_EQ(Show(one.results), Show(expected));
            EXPECT_EQ(one.files, c.files);
        }
        EXPECT_EQ(one.skipped, told);
        const Outcome two = Search(dir, c.flags, tokyo.c_str(), 2);
        EXPECT_EQ(two.returned, one.returned);
        EXPECT_TRUE(two.results == one.results && two.skipped == one.skipped && two.files == one.files);
    }
    // Archives and documents side by side: one file after another on any
    // number of threads.
    TempDir all;
    for (const wchar_t* name : {L"archive.zip", L"book.xlsx", L"deep.zip", L"report.docx", L"deck.pptx"})
        CopyFileW(BesideProgram(std::wstring(L"documents\\") + name).c_str(), (all / name).c_str(), FALSE);
    const int flags = kInside | TESSUMI_KEEP_GOING;
    const Outcome one = Search(all, flags, tokyo.c_str(), 1), four = Search(all, flags, tokyo.c_str(), 4);
    EXPECT_EQ(one.files, 17);
    EXPECT_TRUE(four.results == one.results && four.skipped == one.skipped && four.files == one.files);
    // Blocks shorter than a line: members and texts read again from their start.
    readBlockSize = 3;
    const Outcome tiny = Search(all, flags, tokyo.c_str(), 1);
    readBlockSize = kReadBlockSize;
    EXPECT_TRUE(tiny.results == one.results && tiny.skipped == one.skipped && tiny.files == one.files);
}

}  // namespace
