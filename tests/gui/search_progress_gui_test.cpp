// A long search in Varnelo.exe, driven with real keys and clicks: the window
// goes on answering and shows progress, Esc stops the search, and closing
// the window during a search ends the program cleanly. Either way the
// results file holds whole records only.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"
#include "test_support.h"
#include "varnelo_program.h"

using namespace gui_driver;
using testing_support::Listing;
using testing_support::MakeDir;
using testing_support::ReadText;
using testing_support::Record;
using testing_support::Show;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

const DWORD kPatience = 60000;
const DWORD kAnswerMs = 200;  // the longest a window may keep a message waiting
const wchar_t kProgressLead[] = L"検索中（";
const wchar_t kStoppedLead[] = L"検索を中止しました（";

// A line the backreference in the pattern tries at every position: about a
// fifth of a millisecond of searching a line, so 40,000 lines take seconds.
const std::string kSlowLine(200, 'w');
// Backreferences keep the standard library's matcher on every line.
const wchar_t kSlowPattern[] = L"(\\w+)\\1\\1x|hit";

// 20 folders (or as many as asked) of 20 files of 100 lines; every tenth
// line holds "hit".
struct SlowTree {
    TempDir dir;
    std::wstring root = dir / L"t";
    std::wstring results = dir / L"r.txt";
    std::wstring expected = L"\xFEFF";  // the whole run's results file

    explicit SlowTree(int folders = 20) {
        MakeDir(root);
        std::string text;
        for (int i = 0; i < 100; ++i) text += kSlowLine + (i % 10 == 0 ? " hit" : "") + "\r\n";
        for (int d = 0; d < folders; ++d) {
            std::wstring folder = root + L"\\d" + std::to_wstring(d);
            MakeDir(folder);
            for (int f = 0; f < 20; ++f)
                WriteBytes(folder + L"\\f" + std::to_wstring(f) + L".txt", text);
        }
        const std::wstring hitLine(kSlowLine.begin(), kSlowLine.end());
        for (const std::wstring& d : Listing(root))
            for (const std::wstring& f : Listing(root + L"\\" + d))
                for (int i = 0; i < 100; i += 10)
                    expected += Record(root + L"\\" + d + L"\\" + f, i + 1, hitLine + L" hit");
    }

    // The whole run's first `count` records, byte-order mark included.
    std::wstring FirstRecords(size_t count) const {
        size_t at = 1;
        for (size_t k = 0; k < count && at != std::wstring::npos; ++k) {
            at = expected.find(L"===>", at);
            at = at == std::wstring::npos ? at : expected.find(L"\r\n", at) + 2;
        }
        return at == std::wstring::npos ? L"<fewer>" : expected.substr(0, at);
    }
};

struct Program : VarneloProgram {
    bool Answers(DWORD withinMs = kAnswerMs) const {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, withinMs,
                                   &answer) != 0;
    }

    std::wstring Status() const { return StatusBarText(statusBar, 0); }

    // Clicks into each edit, types its condition and presses Enter.
    bool StartSearch(const SlowTree& tree) const {
        HWND dialog = OpenSearchDialog(kPatience);
        if (!dialog) return false;
        const struct {
            int id;
            std::wstring text;
        } fields[] = {{IDC_FOLDER_EDIT, tree.root},
                      {IDC_PATTERN1_EDIT, L"\\.txt$"},
                      {IDC_PATTERN2_EDIT, kSlowPattern},
                      {IDC_RESULTS_EDIT, tree.results}};
        for (const auto& f : fields) {
            HWND edit = GetDlgItem(dialog, f.id);
            RECT r{};
            GetClientRect(edit, &r);
            real_input::Click(real_input::ClientToScreenPoint(edit, r.right / 2, r.bottom / 2));
            real_input::Type(f.text);
            if (!WaitUntil([&] { return TextOf(edit) == f.text; }, 5000)) {
                ADD_FAILURE() << "edit " << f.id << " holds " << Show(TextOf(edit));
                return false;
            }
        }
        real_input::Key(VK_RETURN);
        return WaitUntil([&] { return !IsWindow(dialog); }) &&
               WaitUntil([&] { return Status().rfind(kProgressLead, 0) == 0; }, 5000);
    }
};

// Parses the count out of "検索を中止しました（N 件）"; -1 if it isn't that text.
long long StoppedCount(const std::wstring& status) {
    if (status.rfind(kStoppedLead, 0) != 0) return -1;
    size_t end = status.find(L" 件）");
    if (end == std::wstring::npos) return -1;
    return std::stoll(status.substr(wcslen(kStoppedLead), end - wcslen(kStoppedLead)));
}

size_t Inked(const Pixels& px) {
    size_t n = 0;
    for (DWORD v : px.data) n += v != px.data.front();
    return n;
}

TEST(SearchProgress, WindowAnswersShowsProgressAndEscStopsWithWholeRecords) {
    SlowTree tree;
    Program p;
    ASSERT_TRUE(p.Start());
    real_input::ClickToFront(p.main, 100, 100);
    const Pixels before = GrabClient(p.view);
    ASSERT_TRUE(p.StartSearch(tree));

    // For two seconds the window answers at once and the progress moves on.
    std::set<std::wstring> shown;
    const DWORD start = GetTickCount();
    int late = 0;
    while (GetTickCount() - start < 2000) {
        late += !p.Answers();
        std::wstring s = p.Status();
        EXPECT_EQ(s.rfind(kProgressLead, 0), 0u) << Show(s);
        shown.insert(s);
        Sleep(50);
    }
    EXPECT_EQ(late, 0) << "times the window kept WM_NULL waiting over " << kAnswerMs << " ms";
    EXPECT_GE(shown.size(), 3u) << "the progress text hardly changed";
    for (const std::wstring& s : shown)
        EXPECT_NE(s.find(tree.root), std::wstring::npos) << "no folder in " << Show(s);

    // The dialog does not open while the search runs. A click into the
    // view closes the menu, if it stayed open, and does nothing else.
    EXPECT_EQ(p.OpenSearchDialog(1500), nullptr);
    real_input::ClickToFront(p.main, 100, 100);
    Sleep(300);
    ASSERT_EQ(p.Status().rfind(kProgressLead, 0), 0u) << "ended before Esc: " << Show(p.Status());

    const DWORD pressed = GetTickCount();
    real_input::Key(VK_ESCAPE);
    long long count = -1;
    ASSERT_TRUE(WaitUntil([&] { return (count = StoppedCount(p.Status())) >= 0; }, 10000))
        << Show(p.Status());
    std::printf("stopped %lu ms after Esc was pressed, %lld records\n", GetTickCount() - pressed,
                count);
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 4000);
    EXPECT_EQ(ReadText(tree.results), tree.FirstRecords(static_cast<size_t>(count)));
    EXPECT_TRUE(WaitUntil([&] { return Inked(GrabClient(p.view)) > Inked(before) + 500; }, 5000))
        << "the records found are not drawn";

    real_input::Key(VK_F4, real_input::kAlt);
    DWORD code = 1;
    EXPECT_TRUE(p.process.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

TEST(SearchProgress, ClosingTheWindowDuringASearchEndsWithZeroAndWholeRecords) {
    SlowTree tree;
    Program p;
    ASSERT_TRUE(p.Start());
    real_input::ClickToFront(p.main, 100, 100);
    ASSERT_TRUE(p.StartSearch(tree));
    // Some records found, the run well under way.
    ASSERT_TRUE(WaitUntil([&] { return p.Status().find(L"ファイル、0 件") == std::wstring::npos; },
                          10000));

    real_input::Key(VK_F4, real_input::kAlt);
    DWORD code = 1;
    ASSERT_TRUE(p.process.WaitForExit(&code, 10000));
    EXPECT_EQ(code, 0u);
    // Closed, and whole: the file is some first records of the whole run.
    const std::wstring text = ReadText(tree.results);
    const size_t records = static_cast<size_t>(std::count(text.begin(), text.end(), L'\t'));
    EXPECT_GT(records, 0u);
    EXPECT_LT(records, 4000u);
    EXPECT_EQ(text, tree.FirstRecords(records));
}

// Records show as the run writes them: one is selected and opened in the
// editor (a recorder) while the status bar still counts.
TEST(SearchProgress, RecordsShowAndOpenWhileTheSearchRuns) {
    SlowTree tree(40);
    const std::wstring log = tree.dir / L"opened.log";
    SetEnvironmentVariableW(L"VARNELO_OPEN_LOG", log.c_str());  // the recorder's, through Varnelo
    WriteBytes(VarneloProgram::IniFile(),
               "\xFF\xFE" + testing_support::Utf16Bytes(L"[Editor]\r\nCommand=\"" +
                                                       BesideThisProgram(L"open_recorder.exe") +
                                                       L"\" %F %L\r\n"));
    Program p;
    ASSERT_TRUE(p.Start(true));
    real_input::ClickToFront(p.main, 100, 100);
    const Pixels before = GrabClient(p.view);
    ASSERT_TRUE(p.StartSearch(tree));
    ASSERT_TRUE(WaitUntil([&] { return Inked(GrabClient(p.view)) > Inked(before) + 500; }, 10000))
        << "no records shown while the search runs";
    // The first record's hit line, on the view's second line.
    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    real_input::DoubleClick(real_input::ClientToScreenPoint(p.view, 30, tm.tmHeight * 3 / 2));
    const std::wstring first = tree.FirstRecords(1);
    const std::wstring opened = first.substr(1, first.find(L"\r\n") - 1) + L"\t1\n";
    EXPECT_TRUE(WaitUntil(
        [&] {
            return testing_support::FileExists(log) &&
                   testing_support::ReadBytes(log) == testing_support::Utf16Bytes(opened);
        },
        kPatience))
        << "the record was not opened";
    EXPECT_EQ(p.Status().rfind(kProgressLead, 0), 0u) << "ended first: " << Show(p.Status());
    real_input::Key(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return StoppedCount(p.Status()) >= 0; }, 10000)) << Show(p.Status());
    SetEnvironmentVariableW(L"VARNELO_OPEN_LOG", nullptr);
}

}  // namespace
