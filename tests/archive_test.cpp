// Archives walked member by member: names in code page 932 and UTF-8,
// archives and documents inside archives, ZIP64 and leading bytes, and
// every member passed by with its exact reason.
#include <gtest/gtest.h>

#include <cstdio>

#include "Tessumi.h"
#include "block_reader.h"
#include "content_kind.h"
#include "document/document_text.h"
#include "program_beside.h"
#include "status_text.h"
#include "test_support.h"
#include "zip/archive_walk.h"
#include "zip/spill_source.h"

using namespace testing_support;

namespace {

std::wstring Fixture(const std::wstring& name) { return BesideProgram(L"documents\\" + name); }

// Bytes as units, one a byte, to compare within texts.
std::wstring Widened(const std::string& bytes) {
    std::wstring units;
    for (unsigned char b : bytes) units += static_cast<wchar_t>(b);
    return units;
}

// The fixture's member of pseudo-random lines, too big for one piece of input.
std::string BigText() {
    std::string text;
    unsigned long long x = 1;
    char line[32];
    for (int i = 0; i < 20000; ++i) {
        x = (x * 1103515245 + 12345) % 2147483648ull;
        snprintf(line, sizeof line, "%06d %08llx\n", i, x);
        text += line;
    }
    return text;
}

// Every visit as a text: "M path = bytes" for a member read to its end (a
// piece first, then again from its start), "D path: first line" for a
// document, "S path: reason" for one passed by, "F path: reason" for one
// whose reading failed.
class Recorder : public ArchiveVisitor {
public:
    explicit Recorder(size_t piece) : piece_(piece) {}
    std::vector<std::wstring> visits;

    bool Member(const std::wstring& path, MemberStream& member) override {
        std::string bytes, piece(piece_, '\0');
        std::wstring reason;
        size_t got = 0;
        bool read = member.Read(&piece[0], piece.size(), got, reason);
        member.Restart();
        while (read && (read = member.Read(&piece[0], piece.size(), got, reason)) && got > 0)
            bytes.append(piece, 0, got);
        visits.push_back(read ? L"M " + path + L" = " + Widened(bytes) : L"F " + path + L": " + reason);
        return true;
    }
    bool Document(const std::wstring& path, ContentKind kind, RandomSource& source) override {
        DocumentText text;
        std::wstring lines, reason;
        bool end = false;
        if (text.Open(source, kind, reason) && text.Read(lines, 1, end, reason))
            visits.push_back(L"D " + path + L": " + lines.substr(0, lines.find(L'\n')));
        else
            visits.push_back(L"F " + path + L": " + reason);
        return true;
    }
    bool Skipped(const std::wstring& path, const std::wstring& reason) override {
        visits.push_back(L"S " + path + L": " + reason);
        return true;
    }

private:
    size_t piece_;
};

// The spill files in the temporary folder: each is deleted as it closes.
int SpillFiles() {
    wchar_t folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((std::wstring(folder) + L"tsm*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
}

TEST(ArchiveTest, EveryMemberIsReadOrPassedByWithItsReason) {
    const int spilled = SpillFiles();
    using status::InsideFault;
    auto why = [](InsideFault fault) { return status::InsideReason(fault); };
    const std::wstring archive = Fixture(L"archive.zip");
    auto in = [](const std::wstring& zip, const std::wstring& member) {
        return Fixture(zip) + L"\\" + member;
    };
    auto memberOf = [&](const std::wstring& member, const std::string& bytes) {
        return L"M " + in(L"archive.zip", member) + L" = " + Widened(bytes);
    };
    auto passed = [&](const std::wstring& zip, const std::wstring& member, const std::wstring& reason) {
        return L"S " + (member.empty() ? Fixture(zip) : in(zip, member)) + L": " + reason;
    };
    auto failed = [&](const std::wstring& member, InsideFault fault) {
        return L"F " + in(L"archive.zip", member) + L": " + why(fault);
    };
    // The members of archive.zip, with documents read as such or as bytes.
    auto archiveVisits = [&](bool documents) {
        return std::vector<std::wstring>{
            memberOf(L"sjis.txt", SjisBytes(L"東京支社\r\nｶﾀｶﾅ\r\n")),
            memberOf(L"utf8.txt", Utf8Bytes(L"東京支社\n")),
            memberOf(L"utf16.txt", "\xFF\xFE" + Utf16Bytes(L"東京支社\r\n")),
            memberOf(L"資料\\議事録.txt", SjisBytes(L"議事録")),
            memberOf(L"報告\\概要.txt", Utf8Bytes(L"概要")),
            memberOf(L"ユニコード.txt", "unicode"),
            memberOf(L"inner.zip\\内側.txt", Utf8Bytes(L"内側の行\n")),
            documents ? L"D " + in(L"archive.zip", L"inner.zip\\book.xlsx") + L": [売上!A1] 大阪支店"
                      : memberOf(L"inner.zip\\book.xlsx", ReadBytes(Fixture(L"book.xlsx"))),
            memberOf(L"stored.zip\\格納.txt", Utf8Bytes(L"格納")),
            memberOf(L"..\\外.txt", Utf8Bytes(L"外")),
            memberOf(L"C:\\drive.txt", "drive"),
            documents ? passed(L"archive.zip", L"古い.xls", why(InsideFault::OldFormat))
                      : memberOf(L"古い.xls", "\xD0\xCF\x11\xE0"),
            documents ? L"D " + in(L"archive.zip", L"report.docx") + L": [段落 1] 議事録"
                      : memberOf(L"report.docx", ReadBytes(Fixture(L"report.docx"))),
            memberOf(L"big.txt", BigText()),
            passed(L"archive.zip", L"secret.txt", why(InsideFault::Encrypted)),
            passed(L"archive.zip", L"d64.txt", L"圧縮方式 Deflate64（9）の展開には対応していません"),
            passed(L"archive.zip", L"bz.txt", status::MethodReason(12)),
            passed(L"archive.zip", L"lzma.txt", status::MethodReason(14)),
            failed(L"crc.txt", InsideFault::BadCrc),
            failed(L"bad.txt", InsideFault::BadData),
            failed(L"size.txt", InsideFault::BadSize),
            passed(L"archive.zip", L"cut.txt", why(InsideFault::Truncated)),
            passed(L"archive.zip", L"huge.bin", L"展開すると大き過ぎます（1 GB、または圧縮時の 1,000 倍を超えます）"),
            passed(L"archive.zip", L"ratio.bin", status::ExpansionReason(kExpandedLimit, kExpansionRatio)),
        };
    };
    const std::vector<std::wstring> twoMembers[] = {
        {L"M " + in(L"zip64.zip", L"a.txt") + L" = first\n", L"M " + in(L"zip64.zip", L"b.txt") + L" = second\n"},
        {L"M " + in(L"sfx.zip", L"a.txt") + L" = first\n", L"M " + in(L"sfx.zip", L"b.txt") + L" = second\n"}};
    const struct Case {
        std::wstring archive;
        bool documents;
        std::vector<std::wstring> visits;
    } cases[] = {
        {L"archive.zip", true, archiveVisits(true)},
        {L"archive.zip", false, archiveVisits(false)},
        {L"deep.zip", true,
         {L"M " + in(L"deep.zip", L"2.zip\\3.zip\\三.txt") + L" = three",
          passed(L"deep.zip", L"2.zip\\3.zip\\4.zip", L"書庫の入れ子が深過ぎます（3 段までを探します）")}},
        {L"zip64.zip", true, twoMembers[0]},
        {L"sfx.zip", true, twoMembers[1]},
        {L"damaged.zip", true, {passed(L"damaged.zip", L"", why(InsideFault::NoDirectory))}},
        {L"baddir.zip", true, {passed(L"baddir.zip", L"", why(InsideFault::BadDirectory))}},
        {L"split.zip", true, {passed(L"split.zip", L"", why(InsideFault::Split))}},
    };
    // Small pieces with members held in memory, big ones with every inner
    // archive and document spilled to a temporary file.
    for (const auto& [held, piece] : {std::pair<uint64_t, size_t>{kHeldInMemory, 7}, {0, 65536}}) {
        spillHeldBytes = held;
        for (const Case& c : cases) {
            SCOPED_TRACE(Show(c.archive) + (c.documents ? " with documents" : ""));
            FileSource source;
            wchar_t statusText[status::kUnits];
            ASSERT_EQ(source.Open(Fixture(c.archive).c_str(), statusText), 1);
            Recorder recorder(piece);
            EXPECT_TRUE(WalkArchive(source, Fixture(c.archive), c.documents, recorder));
            ASSERT_EQ(recorder.visits.size(), c.visits.size());
            for (size_t i = 0; i < c.visits.size(); ++i)
                EXPECT_TRUE(recorder.visits[i] == c.visits[i])
                    << Show(recorder.visits[i].substr(0, 300)) << "\nexpected\n"
                    << Show(c.visits[i].substr(0, 300));
        }
    }
    spillHeldBytes = kHeldInMemory;
    EXPECT_EQ(SpillFiles(), spilled);
}

// A stop asked while an inner archive is copied out to be read ends the
// walk there, in memory and spilled alike: the members before it were
// visited, nothing after it, and the copy is not told as a failure.
TEST(ArchiveTest, AStopEndsTheWalkWhileAnInnerArchiveIsCopied) {
    struct Stopping : Recorder {
        Stopping() : Recorder(65536) {}
        bool Going() override { return false; }
    };
    for (uint64_t held : {kHeldInMemory, uint64_t(0)}) {
        spillHeldBytes = held;
        FileSource source;
        wchar_t statusText[status::kUnits];
        ASSERT_EQ(source.Open(Fixture(L"archive.zip").c_str(), statusText), 1);
        Stopping stopping;
        EXPECT_FALSE(WalkArchive(source, Fixture(L"archive.zip"), true, stopping));
        ASSERT_EQ(stopping.visits.size(), 6u) << held;
        EXPECT_EQ(stopping.visits.back().substr(0, 2), L"M ");
    }
    spillHeldBytes = kHeldInMemory;
}

TEST(ArchiveTest, TheLastDotOfANameTellsItsKind) {
    const struct {
        const wchar_t* name;
        ContentKind kind;
    } cases[] = {
        {L"a.zip", ContentKind::Archive},         {L"設計書.XLSX", ContentKind::Workbook},
        {L"b.docm", ContentKind::WordDocument},    {L"c.ppsx", ContentKind::Presentation},
        {L"d.ods", ContentKind::OdfSpreadsheet},   {L"古い.xls", ContentKind::Unreadable},
        {L"e.pdf", ContentKind::Unreadable},       {L"f.xlsx.txt", ContentKind::Plain},
        {L"g.zip\\h", ContentKind::Plain},         {L"xlsx", ContentKind::Plain},
        {L".docx", ContentKind::WordDocument},     {L"i.docx.", ContentKind::Plain},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(ContentKindOf(c.name, wcslen(c.name))), static_cast<int>(c.kind))
            << Show(c.name);
}

// The preview's lines and the editor's line of a record read again by its
// path: members (through nested archives too) decoded as files are, and
// documents as their text's lines.
TEST(ArchiveTest, ARecordsLinesAreReadAgainFromItsMemberOrDocument) {
    const std::string big = BigText();
    const auto bigLines = [&](int first, int count) {  // "%06d %08x\n" lines of 16 bytes
        std::wstring lines;
        for (int n = first; n < first + count; ++n)
            lines += Widened(big.substr(static_cast<size_t>(n - 1) * 16, 15)) + L"\r\n";
        return lines;
    };
    const auto refused = [](const std::wstring& member, status::InsideFault fault) {
        return Fixture(member) + status::kReadIn + status::InsideReason(fault);
    };
    const struct {
        std::wstring path;  // in the fixtures' folder
        int record, before, after, firstLine, hitLine;
        std::wstring text;     // the lines around
        std::wstring failure;  // or the failure's text, for both exports
    } cases[] = {
        {L"archive.zip\\sjis.txt", 2, 1, 1, 1, 2, L"東京支社\r\nｶﾀｶﾅ\r\n", L""},
        {L"archive.zip\\utf16.txt", 1, 1, 1, 1, 1, L"東京支社\r\n", L""},
        {L"archive.zip\\inner.zip\\内側.txt", 1, 0, 0, 1, 1, L"内側の行\r\n", L""},
        // A blank line: the editor's line is not the record's.
        {L"minutes.zip\\2024\\議事録.txt", 2, 2, 0, 1, 3, L"2024年度\r\n\r\n議事録\r\n", L""},
        {L"archive.zip\\big.txt", 12345, 1, 1, 12344, 12345, bigLines(12344, 3), L""},
        {L"book.xlsx", 10, 1, 1, 9, 10,
         L"[売上!B3] -0.0015\r\n[売上!B12] 東京支社\r\n[メモ!A1] 一行目\r\n", L""},
        {L"archive.zip\\inner.zip\\book.xlsx", 1, 1, 1, 1, 1,
         L"[売上!A1] 大阪支店\r\n[売上!B1] 3.14\r\n", L""},
        {L"archive.zip\\secret.txt", 1, 0, 0, 1, 1, L"", refused(L"archive.zip\\secret.txt", status::InsideFault::Encrypted)},
        {L"archive.zip\\crc.txt", 1, 0, 0, 1, 1, L"", refused(L"archive.zip\\crc.txt", status::InsideFault::BadCrc)},
        {L"archive.zip\\none.txt", 1, 0, 0, 1, 1, L"", refused(L"archive.zip\\none.txt", status::InsideFault::NoMember)},
    };
    // In one block, and in blocks of a few bytes: a member goes back to its
    // start by inflating it again.
    for (size_t blockSize : {kReadBlockSize, size_t(5)}) {
        readBlockSize = blockSize;
        for (const auto& c : cases) {
            SCOPED_TRACE(Show(c.path) + ", blocks of " + std::to_string(blockSize));
            const std::wstring path = Fixture(c.path);
            wchar_t text[1024], status[TESSUMI_STATUS_TEXT_UNITS];
            int first = 0, hit = 0, physical = 0;
            const int ok = c.failure.empty() ? 1 : 0;
            EXPECT_EQ(FnLinesAround(path.c_str(), c.record, c.before, c.after, 0, 100, text, 1024,
                                    &first, &hit, status),
                      ok);
            EXPECT_EQ(std::wstring(status), ok ? L"正常です。" : c.failure) << Show(status);
            EXPECT_EQ(std::wstring(text), c.text) << Show(text);
            EXPECT_EQ(first, c.firstLine);
            EXPECT_EQ(hit, c.hitLine);
            EXPECT_EQ(FnPhysicalLine(path.c_str(), c.record, &physical, status), ok);
            EXPECT_EQ(physical, c.hitLine);
        }
    }
    readBlockSize = kReadBlockSize;
}

}  // namespace

TEST(ArchiveTest, AMemberIsCopiedOutByItsPathOrRefusedWithItsReason) {
    using status::InsideFault;
    const auto refused = [](const std::wstring& member, const std::wstring& reason) {
        return Fixture(member) + status::kTakeOut + reason;
    };
    const auto why = [](InsideFault fault) { return status::InsideReason(fault); };
    const std::vector<std::wstring> fixtures = Listing(Fixture(L"."));
    TempDir dir;
    const std::wstring there = dir / L"there.txt";
    WriteBytes(there, "kept");
    const struct {
        std::wstring member;  // in the fixtures' folder
        std::string bytes;    // the copy's, or what the destination keeps
        std::wstring text;    // the failure's, or empty for a copy
        std::wstring destination = L"";
    } cases[] = {
        {L"archive.zip\\sjis.txt", SjisBytes(L"東京支社\r\nｶﾀｶﾅ\r\n"), L""},
        {L"archive.zip\\資料\\議事録.txt", SjisBytes(L"議事録"), L""},
        {L"archive.zip\\ユニコード.txt", "unicode", L""},
        {L"archive.zip\\inner.zip\\内側.txt", Utf8Bytes(L"内側の行\n"), L""},
        {L"archive.zip\\stored.zip\\格納.txt", Utf8Bytes(L"格納"), L""},
        {L"archive.zip\\report.docx", ReadBytes(Fixture(L"report.docx")), L""},
        {L"archive.zip\\big.txt", BigText(), L""},
        // Copied to where it is asked to go, never by its own name.
        {L"archive.zip\\..\\外.txt", Utf8Bytes(L"外"), L""},
        {L"archive.zip\\secret.txt", "", refused(L"archive.zip\\secret.txt", why(InsideFault::Encrypted))},
        // A copy found damaged at its end is not left behind.
        {L"archive.zip\\crc.txt", "", refused(L"archive.zip\\crc.txt", why(InsideFault::BadCrc))},
        {L"archive.zip\\none.txt", "", refused(L"archive.zip\\none.txt", why(InsideFault::NoMember))},
        {L"archive.zip\\sjis.txt\\x", "", refused(L"archive.zip\\sjis.txt\\x", why(InsideFault::NoMember))},
        {L"book.xlsx\\xl\\a.xml", "", refused(L"book.xlsx\\xl\\a.xml", why(InsideFault::NoMember))},
        {L"missing.zip\\a.txt", "", refused(L"missing.zip\\a.txt", status::SystemReason(ERROR_FILE_NOT_FOUND))},
        {L"damaged.zip\\sjis.txt", "", refused(L"damaged.zip\\sjis.txt", why(InsideFault::NoDirectory))},
        {L"deep.zip\\2.zip\\3.zip\\4.zip\\底.txt", "",
         refused(L"deep.zip\\2.zip\\3.zip\\4.zip\\底.txt", status::NestingReason(kArchiveLevels))},
        {L"archive.zip\\sjis.txt", "kept",
         there + status::kCreateWriteHandle + status::SystemReason(ERROR_FILE_EXISTS, there.c_str()), there},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.member));
        const std::wstring destination = c.destination.empty() ? dir / std::to_wstring(++n) : c.destination;
        wchar_t text[status::kUnits];
        EXPECT_EQ(FnExtractMember(Fixture(c.member).c_str(), destination.c_str(), text), c.text.empty() ? 1 : 0);
        EXPECT_EQ(std::wstring(text), c.text.empty() ? L"正常です。" : c.text) << Show(text);
        EXPECT_EQ(FileExists(destination), !c.bytes.empty());
        if (!c.bytes.empty()) { EXPECT_TRUE(ReadBytes(destination) == c.bytes); }
    }
    EXPECT_EQ(Listing(Fixture(L".")), fixtures) << "nothing written beside the archives";
    EXPECT_FALSE(FileExists(BesideProgram(L"外.txt")));
}
