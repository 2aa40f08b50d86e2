// The window program's decisions taken without a window: the folder on a
// command line, paths as Windows takes them, line refusals told from
// unreadable files, Explorer's menu entry judged, records handed on, how a
// hit is opened and where a member of an archive is copied to.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "condition_checks.h"
#include "explorer_verb.h"
#include "folder_offer.h"
#include "hit_records.h"
#include "hit_target.h"
#include "member_copies.h"
#include "skip_kind.h"
#include "test_support.h"

using namespace testing_support;

namespace {

TEST(StartFolder, CommandLineGivesTheFolderAsWritten) {
    const struct {
        const wchar_t *line, *folder;
    } cases[] = {
        {L"\"C:\\Program Files\\V\\Varnelo.exe\" \"C:\\資料 2024\"", L"C:\\資料 2024"},
        {L"\"C:\\V\\Varnelo.exe\" \"C:\\\"", L"C:\\"},  // a drive from Explorer's "%1"
        {L"Varnelo.exe   C:\\a b  ", L"C:\\a b"},
        {L"\"C:\\V\\Varnelo.exe\"", L""},
        {L"  \"C:\\V\\Varnelo.exe\"\t\"\\\\server\\share\\x\"", L"\\\\server\\share\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderArgument(c.line), c.folder) << Show(c.line);
}

TEST(StartFolder, TrailingSpacesAndDotsOfTheLastNameGoAsWindowsDropsThem) {
    const struct {
        const wchar_t *typed, *used;
    } cases[] = {
        {L"C:\\検索テスト\\sub ", L"C:\\検索テスト\\sub"}, {L"C:\\a\\out.txt. . ", L"C:\\a\\out.txt"},
        {L"C:\\a b\\c", L"C:\\a b\\c"},                  {L"C:\\a\\..", L"C:\\a\\.."},
        {L"C:\\a\\.", L"C:\\a\\."},                      {L"C:\\a\\ ", L"C:\\a\\"},
        {L"sub.", L"sub"},                               {L"\\\\?\\C:\\a\\sub ", L"\\\\?\\C:\\a\\sub "},
    };
    for (const auto& c : cases) EXPECT_EQ(AsWindowsUsesIt(c.typed), c.used) << Show(c.typed);
}

std::map<std::wstring, PathKind> g_disk = {{L"C:\\a\\x.txt", PathKind::kFile},
                                           {L"C:\\a\\写真(2)", PathKind::kFolder},
                                           {L"C:\\a\\写真", PathKind::kFile},
                                           {L"C:\\a\\y", PathKind::kFolder},
                                           {L"C:\\a\\b.zip", PathKind::kFile},
                                           {L"C:\\a\\z.zip", PathKind::kFolder}};
PathKind OnDisk(const std::wstring& path) {
    auto found = g_disk.find(path);
    return found == g_disk.end() ? PathKind::kNothing : found->second;
}

TEST(SkipKind, ALineRefusalIsAFilesNameWithItsLineNumber) {
    const struct {
        const wchar_t* path;
        bool refusal;
    } cases[] = {
        {L"C:\\a\\x.txt(12)", true},     {L"C:\\a\\x.txt", false},
        {L"C:\\a\\写真(2)", false},       // a folder of that very name
        {L"C:\\a\\y(3)", false},          // a folder has no lines
        {L"C:\\a\\gone.txt(3)", false},  {L"C:\\a\\x.txt()", false},
        {L"C:\\a\\x.txt(1a)", false},    {L"C:\\a\\(3)", false},
        // Lines of members: only the archive is on disk.
        {L"C:\\a\\b.zip\\x.txt(12)", true},     {L"C:\\a\\b.zip\\in.zip\\d\\x(3)", true},
        {L"C:\\a\\c.zip\\x.txt(3)", false},
        {L"C:\\a\\z.zip\\gone.txt(2)", false},  // a folder so named
    };
    for (const auto& c : cases) EXPECT_EQ(IsLineRefusal(c.path, OnDisk), c.refusal) << Show(c.path);
}

TEST(ExplorerVerb, KeysNameThisProgramAndWhatIsFoundIsJudged) {
    const wchar_t exe[] = L"C:\\ツール\\Varnelo\\Varnelo.exe";
    const std::vector<VerbKey> keys = VerbKeys(exe);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].command, L"\"" + std::wstring(exe) + L"\" \"%1\"");  // the drive's
    EXPECT_EQ(ProgramOfCommand(keys[2].command), exe);
    const std::wstring moved = VerbKeys(L"D:\\old\\Varnelo.exe")[0].command;
    std::wstring upper = keys[1].command;
    CharUpperW(&upper[0]);
    const struct {
        std::vector<std::wstring> found;
        VerbState state;
    } cases[] = {
        {{L"", L"", L""}, VerbState::kAbsent},
        {{keys[0].command, upper, keys[2].command}, VerbState::kThisCopy},
        {{moved, keys[1].command, keys[2].command}, VerbState::kElsewhere},  // a moved copy's
        {{keys[0].command, L"", keys[2].command}, VerbState::kElsewhere},
    };
    for (const auto& c : cases) EXPECT_EQ(JudgeVerb(c.found, keys), c.state) << Show(c.found[0]);
}

TEST(HitTarget, OnlyTheFixedDocumentTypesGoToTheirProgramAndArchiveMembersAreCopied) {
    const struct {
        const wchar_t* path;
        bool isFile;
        HitTarget target;
    } cases[] = {
        {L"C:\\a\\設計書.XLSX", true, HitTarget::kDocument}, {L"C:\\a\\b.odp", true, HitTarget::kDocument},
        {L"C:\\a\\案.ppsx", true, HitTarget::kDocument},
        {L"C:\\a\\b.xltx", true, HitTarget::kDocument},      {L"C:\\a\\b.bat", true, HitTarget::kEditor},
        {L"C:\\a\\b.xlsx.txt", true, HitTarget::kEditor},   {L"C:\\a.xlsx\\b", true, HitTarget::kEditor},
        {L"C:\\受信\\資料.zip\\2024\\議事録.txt", false, HitTarget::kMember},
        {L"C:\\a.ZIP\\inner.zip\\b.docm", false, HitTarget::kDocumentMember},
        {L"C:\\a.zip\\b.txt", true, HitTarget::kEditor},  // a folder named a.zip
        {L"C:\\gone\\b.txt", false, HitTarget::kEditor},  // reported as gone
        {L"C:\\a.zip", false, HitTarget::kEditor},         {L"C:\\b.zipx\\c.txt", false, HitTarget::kEditor},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(TargetOf(c.path, c.isFile)), static_cast<int>(c.target)) << Show(c.path);
}

TEST(MemberCopies, ACopyIsNamedSafelyInAFolderOfItsOwn) {
    const std::wstring folder = L"C:\\T\\Varnelo\\42\\7\\";
    const std::wstring longStem(150, L'長');
    const struct {
        std::wstring member, name;
    } cases[] = {
        {L"C:\\受信\\資料.zip\\2024\\議事録.txt", L"議事録.txt"}, {L"C:\\a.zip\\..\\外.txt", L"外.txt"},
        {L"C:\\a.zip\\C:\\drive.txt", L"drive.txt"},          {L"C:\\a.zip\\..", L"member"},
        {L"C:\\a.zip\\b\\", L"member"},                       {L"C:\\a.zip\\名前. . ", L"名前"},
        {L"C:\\a.zip\\x:y?<z>|\"\t.txt", L"x_y__z____.txt"}, {L"C:\\a.zip\\con.txt", L"_con.txt"},
        {L"C:\\a.zip\\COM1", L"_COM1"},                         {L"C:\\a.zip\\COM10.txt", L"COM10.txt"},
        {L"C:\\a.zip\\" + longStem + L".xlsx", longStem.substr(0, kCopyNameUnits - 5) + L".xlsx"},
        {L"C:\\a.zip\\" + std::wstring(60, L'a') + L"\U0001F600" + std::wstring(60, L'b'),
         std::wstring(60, L'a') + L"\U0001F600" + std::wstring(38, L'b')},
        {L"C:\\a.zip\\" + std::wstring(99, L'x') + L"\U0001F600", std::wstring(99, L'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MemberCopyPath(L"C:\\T", 42, 7, c.member), folder + c.name) << Show(c.member);
}

TEST(HitRecords, FoundInTheResultsTextAndWrittenAsTagJumpLinesAndCsv) {
    const std::wstring text = Record(L"C:\\a\\x.txt", 3, L"=SUM(1,2)") +
                              Record(L"C:\\b,c\\y.txt", 12, L"\t- \"item\"");
    const LineIndex index = IndexLines(text.data(), text.size());
    const std::vector<HitRecord> records = HitRecordsIn(index, text.data(), 0, 3);
    EXPECT_EQ(TagJumpBytes(records),
              Utf8Bytes(L"C:\\a\\x.txt(3): =SUM(1,2)\r\nC:\\b,c\\y.txt(12): \t- \"item\"\r\n"));
    // Quoted, quotes doubled; a cell a spreadsheet would take for a formula
    // starts with an apostrophe.
    EXPECT_EQ(CsvBytes(records),
              "\xEF\xBB\xBF" + Utf8Bytes(L"パス,行,内容\r\n\"C:\\a\\x.txt\",3,\"'=SUM(1,2)\"\r\n"
                                      L"\"C:\\b,c\\y.txt\",12,\"'\t- \"\"item\"\"\"\r\n"));
}

}  // namespace
