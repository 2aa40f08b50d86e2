// Where a search starts from outside the dialog, and what it passed by: the
// folder on a command line, paths as Windows takes them, line refusals told
// from unreadable files.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "condition_checks.h"
#include "folder_offer.h"
#include "skip_kind.h"
#include "test_support.h"

using testing_support::Show;

namespace {

TEST(StartFolder, CommandLineGivesTheFolderAsWritten) {
    const struct {
        const wchar_t *line, *folder;
    } cases[] = {
        {L"\"C:\\Program Files\\V\\Varnelo.exe\" \"C:\\資料 2024\"", L"C:\\資料 2024"},
        {L"\"C:\\V\\Varnelo.exe\" \"C:\\\"", L"C:\\"},  // a drive from Explorer's "%1"
        {L"Varnelo.exe   C:\\a b  ", L"C:\\a b"},
        {L"\"C:\\V\\Varnelo.exe\"", L""},
        {L"Varnelo.exe \"C:\\unclosed", L"C:\\unclosed"},
        {L"  \"C:\\V\\Varnelo.exe\"\t\"\\\\server\\share\\x\"", L"\\\\server\\share\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderArgument(c.line), c.folder) << Show(c.line);
}

TEST(StartFolder, TrailingSpacesAndDotsOfTheLastNameGoAsWindowsDropsThem) {
    const struct {
        const wchar_t *typed, *used;
    } cases[] = {
        {L"C:\\検索テスト\\sub ", L"C:\\検索テスト\\sub"},
        {L"C:\\a\\out.txt. . ", L"C:\\a\\out.txt"},
        {L"C:\\a b\\c", L"C:\\a b\\c"},
        {L"C:\\a\\..", L"C:\\a\\.."},
        {L"C:\\a\\.", L"C:\\a\\."},
        {L"C:\\a\\ ", L"C:\\a\\"},
        {L"sub.", L"sub"},
        {L"\\\\?\\C:\\a\\sub ", L"\\\\?\\C:\\a\\sub "},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(AsWindowsUsesIt(c.typed), c.used) << Show(c.typed);
}

std::map<std::wstring, PathKind> g_disk;
PathKind OnDisk(const std::wstring& path) {
    auto found = g_disk.find(path);
    return found == g_disk.end() ? PathKind::kNothing : found->second;
}

TEST(StartFolder, ALineRefusalIsAFilesNameWithItsLineNumber) {
    g_disk = {{L"C:\\a\\x.txt", PathKind::kFile},
              {L"C:\\a\\写真(2)", PathKind::kFolder},
              {L"C:\\a\\写真", PathKind::kFile},
              {L"C:\\a\\y", PathKind::kFolder}};
    const struct {
        const wchar_t* path;
        bool refusal;
    } cases[] = {
        {L"C:\\a\\x.txt(12)", true},
        {L"C:\\a\\x.txt", false},
        {L"C:\\a\\写真(2)", false},  // a folder of that very name
        {L"C:\\a\\y(3)", false},     // a folder has no lines
        {L"C:\\a\\gone.txt(3)", false},
        {L"C:\\a\\x.txt()", false},
        {L"C:\\a\\x.txt(1a)", false},
        {L"C:\\a\\(3)", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsLineRefusal(c.path, OnDisk), c.refusal) << Show(c.path);
}

}  // namespace
