// The name masks as a table against PathMatchSpecW's rules, and the forms
// the IME gives.
#include <gtest/gtest.h>

#include <cwchar>

#include "pattern/name_masks.h"
#include "test_support.h"

TEST(NameMasks, MatchAsExplorerDoes) {
    struct Row { const wchar_t* name; const wchar_t* masks; bool match; };
    const Row rows[] = {
        {L"a.txt", L"*.txt", true},      {L"A.TXT", L"*.txt", true},    {L"a.txt", L"*.TX", false},
        {L"a.txt.bak", L"*.txt", false}, {L"a.txt", L"?.txt", true},    {L"ab.txt", L"?.txt", false},
        {L"noext", L"*.*", true},        {L"a.md", L"*.txt;*.md", true}, {L"a.md", L"*.txt; *.md", true},
        {L"a.md", L"*.txt;;", false},    {L"a", L"", false},            {L"a", L";", false},
        {L".git", L".git", true},        {L"x.git", L".git", false},    {L"aXbXc", L"a*b*c", true},
        {L"abc", L"a*b*c*d", false},     {L"ＡＢ.txt", L"ａｂ.*", true}, {L"", L"*", true},
        // As typed with the IME on, and cmd's "*." for names without an extension.
        {L"a.csv", L"*.md；*.csv", true}, {L"a.md", L"*.md ;*.csv", true}, {L"a.txt", L"*.txt ", true},
        {L"a.txt", L"\x3000*.txt\x3000", true}, {L"a.txt", L"＊.txt", true}, {L"a.txt", L"？.txt", true},
        {L"noext", L"*.", true},         {L"a.txt", L"*.", false},      {L"ab", L"a?.", true},
        {L"a", L"；\x3000", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(NameMatchesMasks(r.name, wcslen(r.name), r.masks), r.match)
            << testing_support::Show(r.name) << " / " << testing_support::Show(r.masks);
}
