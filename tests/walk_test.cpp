// The walk on a real PC's folders, and what a run refuses before it writes.
#include <gtest/gtest.h>

#include <functional>

#include "Tessumi.h"
#include "link_decision.h"
#include "online_only.h"
#include "pattern/pattern_found.h"
#include "test_support.h"

using namespace testing_support;

namespace {

// Wine makes neither cloud placeholders nor junctions denied to everyone.
TEST(WalkDecision, LinksAreNotWalkedAndOnlineOnlyFilesNotRead) {
    const DWORD dir = FILE_ATTRIBUTE_DIRECTORY, link = FILE_ATTRIBUTE_REPARSE_POINT;
    struct Case {
        DWORD attributes, tag;
        bool walked, onlineOnly;
    } cases[] = {
        {dir, 0, true, false}, {dir | link, 0, false, false},  // 0: Wine's Unix link
        {dir | link, 0xA0000003, false, false}, {dir | link, 0xA000000C, false, false},
        {dir | link, 0x9000001A, true, false}, {dir | link, 0x9000F01A, true, false},
        {dir | link, 0x9000001B, false, false}, {dir | link, 0x8000101A, false, false},
        {dir, 0xA000000C, true, false}, {link, 0x9000101A, false, false},
        {0x00400000, 0, false, true}, {FILE_ATTRIBUTE_OFFLINE, 0, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WalksInto(c.attributes, c.tag), c.walked) << std::hex << c.attributes << c.tag;
        EXPECT_EQ(IsOnlineOnly(c.attributes), c.onlineOnly) << std::hex << c.attributes;
    }
}

// The text of a pattern's first test: what a run gave for it before.
std::wstring FirstTestText(const wchar_t* pattern, PatternRole role) {
    RunPattern compiled(pattern, role);
    wchar_t text[256] = {};
    EXPECT_EQ(FnPatternFound(compiled, L"x", 1, text), -1);
    return text;
}

// Found before the results file is made: an earlier one stays as it was.
TEST(RunChecks, FailuresBeforeWritingLeaveTheResultsFileAsItWas) {
    TempDir tree, out;
    const std::wstring results = out / L"results.txt", file = tree / L"notes.txt";
    const std::wstring lead = L"を検索することができません\n理由：";
    WriteBytes(file, "TODO\r\n");
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW((file + L"\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
    const std::wstring fileAsFolder = file + lead + SystemText(GetLastError());
    auto no = [](const wchar_t* argument) {
        return L"引数 " + std::wstring(argument) + L" が指定されていません\n理由：" +
               SystemText(ERROR_INVALID_PARAMETER);
    };
    const wchar_t *at = tree.path().c_str(), *r = results.c_str();
    auto look = [&](const wchar_t* start, const wchar_t* p1, const wchar_t* p2) {
        return [=](wchar_t* s) { return FnLookFor(start, r, p1, p2, s); };
    };
    struct Case {
        std::function<int(wchar_t*)> call;  // given the status buffer
        std::wstring expected;              // empty: none is given
    } cases[] = {
        {look(at, L"*.txt", L""), FirstTestText(L"*.txt", PatternRole::Path)},
        {look(at, L"\\.csv$", L"(x"), FirstTestText(L"(x", PatternRole::Line)},
        {look(L"", L"", L""), lead + SystemText(ERROR_PATH_NOT_FOUND)},
        {look(file.c_str(), L"", L""), fileAsFolder},
        {look(nullptr, L"", L""), no(L"startFolder")},
        {look(at, nullptr, L""), no(L"pattern1")},
        {look(at, L"", nullptr), no(L"pattern2")},
        {[&](wchar_t* s) { return FnLookFor(at, nullptr, L"", L"", s); }, no(L"resultsFile")},
        {[&](wchar_t*) { return FnLookForProgress(at, r, L"", L"", nullptr, nullptr, nullptr); },
         L""},
        {[&](wchar_t* s) { return SubReadText(r, nullptr, nullptr, 1, s); }, no(L"text")},
        {[&](wchar_t*) { return SubMessageOut(nullptr, nullptr); }, L""},
        {[&](wchar_t* s) { return FnBrowseForFolder(nullptr, nullptr, s); }, no(L"path")},
    };
    const std::string earlier("\xFF\xFE" "o\0l\0d\0", 8);
    for (const Case& c : cases) {
        WriteBytes(results, earlier);
        wchar_t status[256] = L"";
        EXPECT_EQ(c.call(c.expected.empty() ? nullptr : status), 0) << Show(c.expected);
        EXPECT_EQ(status, c.expected) << Show(status);
        EXPECT_EQ(ReadBytes(results), earlier);
    }
}

}  // namespace
