// Varnelo.exe used by hand: every action here is real input (pointer moves,
// button presses, keys through SendInput), reaching whichever window the
// system hands it to, as a person's would.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"
#include "test_support.h"
#include "varnelo_program.h"

using namespace gui_driver;
using testing_support::Show;
using testing_support::TempDir;
using testing_support::Utf16Bytes;
using testing_support::WriteBytes;

namespace {

const wchar_t kHitExtension[] = L".varnelohit";
const wchar_t kOpenLogVariable[] = L"VARNELO_OPEN_LOG";

int LineHeight() {
    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

// The clipboard's text; empty while another program holds it.
std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) return L"";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    std::wstring copied = text ? text : L"";
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return copied;
}

// Types text over what a field holds, as a person does.
void Retype(HWND field, const std::wstring& text) {
    real_input::Click(real_input::CentreOf(field));
    real_input::Key(VK_HOME);
    real_input::Key(VK_END, real_input::kShift);
    real_input::Type(text);
}

struct Program : VarneloProgram {
    // A top-level window of the program with this class owned by `owner`
    // (any owner when null), once it shows.
    HWND WaitForWindow(const wchar_t* className, HWND owner = nullptr,
                       DWORD timeoutMs = kWaitMs) const {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND h : TopWindows(process.id(), className))
                    if (!owner || GetWindow(h, GW_OWNER) == owner) found = h;
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
    // Types the four conditions into their edits and presses Enter.
    bool Search(const std::wstring& folder, const std::wstring& pattern1,
                const std::wstring& pattern2, const std::wstring& results) const {
        HWND dialog = OpenSearchDialog();
        if (!dialog) return false;
        const struct {
            int id;
            const std::wstring& text;
        } fields[] = {{IDC_FOLDER_EDIT, folder},
                      {IDC_PATTERN1_EDIT, pattern1},
                      {IDC_PATTERN2_EDIT, pattern2},
                      {IDC_RESULTS_EDIT, results}};
        for (const auto& f : fields) Retype(GetDlgItem(dialog, f.id), f.text);
        real_input::Key(VK_RETURN);
        return WaitUntil([&] { return !IsWindow(dialog); }) && Idle();
    }
};

// A folder of files with the test's own extension: `lines` hit lines in
// a.varnelohit, one of them far wider than the view.
std::wstring HitFile(const TempDir& dir, int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i)
        text += "hit " + std::to_string(i) + (i == 2 ? std::string(300, 'w') : "") + "\r\n";
    std::wstring path = dir / (std::wstring(L"a") + kHitExtension);
    WriteBytes(path, text);
    return path;
}

class ByHand : public testing::Test {
protected:
    Program p;
    TempDir dir;

    void SetUp() override { ASSERT_TRUE(p.Start()) << "Varnelo did not start"; }

    // Searches the folder's hit files for "hit"; the results are shown.
    void SearchHits() {
        ASSERT_TRUE(p.Search(dir.path(), L"\\.varnelohit$", L"hit", dir / L"out.txt"));
        ASSERT_NE(Settled(p.view), Pixels{}) << "nothing shown";
        real_input::ClickToFront(p.main, 5, 5);
    }
};

TEST_F(ByHand, StartFolderEditKeepsAllTwoHundredTypedCharacters) {
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    std::wstring typed;
    for (int i = 0; i < 200; ++i) typed += static_cast<wchar_t>(L'a' + i % 26);
    // The focus starts in the start-folder edit.
    real_input::Type(typed);
    HWND edit = GetDlgItem(dialog, IDC_FOLDER_EDIT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == typed; }, 5000))
        << TextOf(edit).size() << " characters kept";
    real_input::Click(real_input::CentreOf(GetDlgItem(dialog, IDC_CANCEL)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

// The view's scroll bars, clicked and dragged; each action starts from the
// top-left corner and must move the text.
TEST_F(ByHand, ScrollBarsAnswerClicksAndTheDraggedThumb) {
    HitFile(dir, 80);
    SearchHits();
    RECT v{};
    GetWindowRect(p.view, &v);
    const int vBar = GetSystemMetrics(SM_CXVSCROLL), vArrow = GetSystemMetrics(SM_CYVSCROLL);
    const int hBar = GetSystemMetrics(SM_CYHSCROLL), hArrow = GetSystemMetrics(SM_CXHSCROLL);
    const int vx = v.right - vBar / 2, hy = v.bottom - hBar / 2;
    const struct {
        const char* what;
        POINT at, dragTo;  // dragTo.x < 0: a click
    } actions[] = {
        {"down arrow", {vx, v.bottom - hBar - vArrow / 2}, {-1, 0}},
        {"track below the thumb", {vx, v.bottom - hBar - vArrow - 10}, {-1, 0}},
        {"right arrow", {v.right - vBar - hArrow / 2, hy}, {-1, 0}},
        {"thumb dragged down", {vx, v.top + vArrow + 3}, {vx, v.top + vArrow + 80}},
    };
    for (const auto& a : actions) {
        SCOPED_TRACE(a.what);
        real_input::Key(VK_HOME, real_input::kCtrl);
        Pixels before = Settled(p.view);
        if (a.dragTo.x < 0)
            real_input::Click(a.at);
        else
            real_input::Drag(a.at, a.dragTo);
        EXPECT_NE(ChangedFrom(p.view, before), before) << "the view did not move";
    }
}

TEST_F(ByHand, EveryScrollingKeyMovesTheView) {
    HitFile(dir, 80);
    SearchHits();
    // In this order each key has somewhere to go from where the one before
    // left the view.
    const struct {
        const char* name;
        WORD key;
        int modifiers;
    } keys[] = {
        {"Down", VK_DOWN, 0},         {"PageDown", VK_NEXT, 0},
        {"Up", VK_UP, 0},             {"PageUp", VK_PRIOR, 0},
        {"Ctrl+End", VK_END, real_input::kCtrl}, {"Ctrl+Home", VK_HOME, real_input::kCtrl},
        {"Right", VK_RIGHT, 0},       {"End", VK_END, 0},
        {"Left", VK_LEFT, 0},         {"Home", VK_HOME, 0},
    };
    Pixels first = Settled(p.view);
    Pixels before = first;
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        real_input::Key(k.key, k.modifiers);
        Pixels after = ChangedFrom(p.view, before);
        EXPECT_NE(after, before) << "the view did not move";
        before = after;
    }
    EXPECT_EQ(before, first) << "Home after Ctrl+Home shows the first screen again";
}

// Settings for the program's next start, as a user would write them.
void WriteSettings(const std::wstring& ini) {
    WriteBytes(VarneloProgram::IniFile(), "\xFF\xFE" + Utf16Bytes(ini));
}

// The editor setting that makes the recorder open hits, told the line or not.
std::wstring RecorderEditor(const wchar_t* arguments) {
    return L"[Editor]\r\nCommand=\"" + BesideThisProgram(L"open_recorder.exe") + L"\" " +
           arguments + L"\r\n";
}

class OpeningAHit : public ByHand {
protected:
    std::wstring log;

    void SetUp() override {
        // Varnelo, and through it the recorder, inherit the log's name.
        log = dir / L"opened.log";
        SetEnvironmentVariableW(kOpenLogVariable, log.c_str());
        WriteSettings(RecorderEditor(Editor()) + MoreSettings());
        ASSERT_TRUE(p.Start(true)) << "Varnelo did not start";
    }
    virtual const wchar_t* Editor() const { return L"%F"; }
    virtual std::wstring MoreSettings() const { return L""; }
    void TearDown() override { SetEnvironmentVariableW(kOpenLogVariable, nullptr); }

    // A point on a line of the view (0: the first line shown).
    POINT OnLine(int line) const {
        return real_input::ClientToScreenPoint(p.view, 30, line * LineHeight() + LineHeight() / 2);
    }
    // The log as the recorder left it; empty while there is none or while
    // the recorder writes it.
    std::string Opened() const {
        HANDLE h = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return {};
        std::string bytes(GetFileSize(h, nullptr), '\0');
        DWORD read = 0;
        if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(h);
        bytes.resize(read);
        return bytes;
    }
};

TEST_F(OpeningAHit, DoubleClickOnEitherLineOfARecordOpensItsFile) {
    const std::wstring hit = HitFile(dir, 1);
    SearchHits();

    // Below the last line: nothing is opened.
    real_input::DoubleClick(OnLine(5));
    Sleep(2000);
    EXPECT_FALSE(testing_support::FileExists(log)) << Opened();

    // The record's hit line, then its path line.
    real_input::DoubleClick(OnLine(1));
    EXPECT_TRUE(WaitUntil([&] { return Opened() == Utf16Bytes(hit + L"\n"); })) << Opened();
    // Far enough apart in time that no click pairs with the earlier ones.
    Sleep(GetDoubleClickTime() + 200);
    real_input::DoubleClick(OnLine(0));
    EXPECT_TRUE(WaitUntil([&] { return Opened() == Utf16Bytes(hit + L"\n" + hit + L"\n"); }))
        << Opened();

    // A file that is gone: the system's reason in a message box, and the
    // view stays as it was.
    Pixels shown = Settled(p.view);
    ASSERT_TRUE(DeleteFileW(hit.c_str()));
    Sleep(GetDoubleClickTime() + 200);
    real_input::DoubleClick(OnLine(1));
    HWND box = p.WaitForWindow(L"#32770", p.main);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(MessageBoxText(box), hit + L"を開くことができません\n理由：" +
                                       testing_support::SystemText(ERROR_FILE_NOT_FOUND))
        << Show(MessageBoxText(box));
    real_input::Click(real_input::CentreOf(GetDlgItem(box, IDOK)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_EQ(Settled(p.view), shown);
}

TEST_F(OpeningAHit, ContextMenuCopiesTheRecordsPath) {
    const std::wstring hit = HitFile(dir, 1);
    SearchHits();
    real_input::RightClick(OnLine(1));
    ASSERT_NE(p.WaitForWindow(L"#32768"), nullptr) << "no context menu";
    // The third command, 「パスをコピー」.
    for (int i = 0; i < 3; ++i) real_input::Key(VK_DOWN);
    real_input::Key(VK_RETURN);
    std::wstring copied;
    EXPECT_TRUE(WaitUntil([&] { return (copied = ClipboardText()) == hit; })) << Show(copied);
}

// The recorder is told the file and the editor's line.
class OpeningAtTheLine : public OpeningAHit {
protected:
    const wchar_t* Editor() const override { return L"%F %L"; }
    HWND WaitForMenu() const { return p.WaitForWindow(L"#32768"); }
};

TEST_F(OpeningAtTheLine, EveryWayOfOpeningARecordGivesTheLineAnEditorShows) {
    const std::wstring files = dir / L"files";
    testing_support::MakeDir(files);
    // "hit" after blank lines, CR-only and LF-only breaks, in three encodings.
    const struct {
        const wchar_t* name;
        std::string bytes;
        int line;
    } texts[] = {
        {L"a.txt", "one\r\n\r\n\r\ntwo\rthree\n\nhit\r\n", 7},
        {L"b.txt", "\xFF\xFE" + Utf16Bytes(L"一\r\n\r\n二\r三\n\nhit"), 6},
        {L"c.txt", testing_support::SjisBytes(L"表\r\n\r\n\r\n能\r\rhit\n"), 6},
    };
    for (const auto& t : texts) WriteBytes(files + L"\\" + t.name, t.bytes);
    ASSERT_TRUE(p.Search(files, L"\\.txt$", L"hit", dir / L"out.log"));
    real_input::ClickToFront(p.main, 5, 5);
    // Record i is on lines 2i and 2i + 1 of the view, in the walk's order.
    std::vector<std::wstring> order = testing_support::Listing(files);
    auto opened = [&](int record) {
        for (const auto& t : texts)
            if (order[record] == t.name)
                return files + L"\\" + t.name + L"\t" + std::to_wstring(t.line) + L"\n";
        return std::wstring();
    };
    const struct {
        const char* how;
        std::function<void()> act;
        int record;
    } ways[] = {
        {"double-click", [&] { real_input::DoubleClick(OnLine(1)); }, 0},
        {"click, Enter", [&] { real_input::Click(OnLine(2)); real_input::Key(VK_RETURN); }, 1},
        {"Ctrl+Down, Enter",
         [&] { real_input::Key(VK_DOWN, real_input::kCtrl); real_input::Key(VK_RETURN); }, 2},
        {"Ctrl+Up, Shift+F10, O",
         [&] {
             real_input::Key(VK_UP, real_input::kCtrl);
             real_input::Key(VK_F10, real_input::kShift);
             if (WaitForMenu()) real_input::Key('O');
         }, 1},
        {"Apps key, O", [&] { real_input::Key(VK_APPS); if (WaitForMenu()) real_input::Key('O'); }, 1},
        {"right-click, O", [&] { real_input::RightClick(OnLine(5)); if (WaitForMenu()) real_input::Key('O'); }, 2},
    };
    std::wstring expected;
    for (const auto& w : ways) {
        SCOPED_TRACE(w.how);
        Sleep(GetDoubleClickTime() + 200);  // no click pairs with the one before
        w.act();
        expected += opened(w.record);
        EXPECT_TRUE(WaitUntil([&] { return Opened() == Utf16Bytes(expected); })) << Opened();
    }
}

// A document type registered, for a test, to the recorder, where Wine looks
// for it (Wine ignores HKCU's classes), in the tests' own prefix, which has
// no such type; removed afterwards.
class RegisteredType {
public:
    RegisteredType(const std::wstring& extension, const std::wstring& command)
        : type_(std::wstring(kClasses) + extension) {
        Set(type_, kProgram);
        Set(std::wstring(kClasses) + kProgram + L"\\shell\\open\\command", command);
    }
    ~RegisteredType() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + kProgram).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, type_.c_str());
    }

private:
    static void Set(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t* kClasses = L"Software\\Classes\\";
    static constexpr const wchar_t* kProgram = L"Varnelo.TestDocument";
    std::wstring type_;
};

// Both options on, as a user leaves them: the records come from the real
// workbook and the real archive.
class OpeningInsideFiles : public OpeningAtTheLine {
protected:
    std::wstring MoreSettings() const override {
        return L"[SearchOptions]\r\nDocuments=1\r\nArchives=1\r\n";
    }
};

// The view's line of the first record of path: the line after path's own
// (the results file's lines, one a line of the view).
int FirstRecordLine(const std::wstring& records, const std::wstring& path) {
    const size_t at = records.find(path + L"\r\n");
    if (at == records.npos) return -1;
    int line = 1;
    for (size_t i = 0; i < at; ++i) line += records[i] == L'\n';
    return line;
}

TEST_F(OpeningInsideFiles, ADocumentOpensThroughItsTypeAndAZipMemberAsACopyAtItsLine) {
    const std::wstring tree = dir / L"受信", book = tree + L"\\設計書.xlsx",
                       archive = tree + L"\\資料.zip", member = archive + L"\\2024\\議事録.txt";
    const std::string minutes = testing_support::SjisBytes(L"2024年度\r\n\r\n議事録\r\n");
    testing_support::MakeDir(tree);
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"documents\\minutes.zip").c_str(), archive.c_str(), TRUE) &&
                CopyFileW(BesideThisProgram(L"documents\\book.xlsx").c_str(), book.c_str(), TRUE));
    ASSERT_TRUE(p.Search(tree, L"", L"議事録|東京支社", dir / L"out.txt"));
    std::wstring records;
    ASSERT_TRUE(WaitUntil([&] {  // the search runs on after the dialog
        if (!testing_support::FileExists(dir / L"out.txt")) return false;
        records = testing_support::ReadText(dir / L"out.txt");
        return FirstRecordLine(records, book) > 0 && FirstRecordLine(records, member) > 0;
    })) << Show(records);
    RegisteredType sheet(L".xlsx", L"\"" + BesideThisProgram(L"open_recorder.exe") + L"\" \"%1\"");
    real_input::ClickToFront(p.main, 5, 5);

    real_input::DoubleClick(OnLine(FirstRecordLine(records, book)));
    std::wstring expected = book + L"\n";
    EXPECT_TRUE(WaitUntil([&] { return Opened() == Utf16Bytes(expected); })) << Opened();

    // The member's copy, read-only, in the editor at the line it shows.
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring copies = temp + std::wstring(L"Varnelo\\") + std::to_wstring(p.process.id());
    const std::wstring copy = copies + L"\\1\\議事録.txt";
    Sleep(GetDoubleClickTime() + 200);
    real_input::DoubleClick(OnLine(FirstRecordLine(records, member)));
    expected += copy + L"\t3\n";
    EXPECT_TRUE(WaitUntil([&] { return Opened() == Utf16Bytes(expected); })) << Opened();
    EXPECT_TRUE(testing_support::ReadBytes(copy) == minutes);
    EXPECT_TRUE(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_READONLY);

    // Gone with the program, and what a process that has ended left too.
    ChildProcess ended;
    DWORD code = 0;
    ASSERT_TRUE(ended.Start(BesideThisProgram(L"open_recorder.exe")) && ended.WaitForExit(&code));
    const std::wstring left = temp + std::wstring(L"Varnelo\\") + std::to_wstring(ended.id());
    testing_support::MakeDir(left);
    WriteBytes(left + L"\\x.txt", "x");
    SetFileAttributesW((left + L"\\x.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    real_input::ClickToFront(p.main, 5, 5);
    real_input::Key('F', real_input::kAlt);
    real_input::Key('X');
    ASSERT_TRUE(p.process.WaitForExit(&code));
    EXPECT_EQ(GetFileAttributesW(copies.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(left.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ByHand, AHitInABatchFileOpensInNotepadAndNeverRuns) {
    const std::wstring marker = dir / L"ran.txt";
    WriteBytes(dir / L"x.bat", "@echo hit > \"" + std::string(marker.begin(), marker.end()) + "\"\r\n");
    ASSERT_TRUE(p.Search(dir.path(), L"\\.bat$", L"hit", dir / L"out.log"));
    real_input::DoubleClick(real_input::ClientToScreenPoint(p.view, 30, LineHeight() * 3 / 2));
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (notepad = FindWindowW(L"Notepad", nullptr)) != nullptr; }))
        << "no Notepad";
    Sleep(2000);
    EXPECT_FALSE(testing_support::FileExists(marker)) << "the batch file ran";
    if (notepad) PostMessageW(notepad, WM_CLOSE, 0, 0);  // Notepad is the system's, not under test
}

// The search dialog or the editor dialog of a program, opened from its menu.
HWND OpenEditorDialog(const VarneloProgram& v) {
    real_input::ClickToFront(v.main, 5, 5);
    real_input::Key('F', real_input::kAlt);
    real_input::Key('D');
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND h : TopWindows(v.process.id(), L"#32770"))
            if (TextOf(h) == L"エディターの設定") found = h;
        return found != nullptr;
    });
    return found;
}

TEST_F(ByHand, FieldsAndEditorComeBackAfterARestart) {
    HitFile(dir, 1);
    const std::wstring fields[] = {dir.path(), L"\\.varnelohit$", L"hit", dir / L"out.txt"};
    ASSERT_TRUE(p.Search(fields[0], fields[1], fields[2], fields[3]));
    HWND editor = OpenEditorDialog(p);
    ASSERT_NE(editor, nullptr);
    const std::wstring program = BesideThisProgram(L"open_recorder.exe");
    Retype(GetDlgItem(editor, IDC_EDITOR_PROGRAM), program);
    Retype(GetDlgItem(editor, IDC_EDITOR_ARGUMENTS), L"%F %L");
    real_input::Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    real_input::Key('F', real_input::kAlt);
    real_input::Key('X');
    DWORD code = 0;
    ASSERT_TRUE(p.process.WaitForExit(&code));

    VarneloProgram again;
    ASSERT_TRUE(again.Start(true));
    HWND dialog = again.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    const int ids[] = {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_PATTERN2_EDIT, IDC_RESULTS_EDIT};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, ids[i])), fields[i]) << Show(fields[i]);
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, ids[i]), CB_GETCOUNT, 0, 0), 1) << "recent values";
    }
    real_input::Click(real_input::CentreOf(GetDlgItem(dialog, IDC_CANCEL)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    editor = OpenEditorDialog(again);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(editor, IDC_EDITOR_PROGRAM)), program);
    EXPECT_EQ(TextOf(GetDlgItem(editor, IDC_EDITOR_ARGUMENTS)), L"%F %L");
    HWND list = GetDlgItem(editor, IDC_EDITOR_LIST);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), SendMessageW(list, LB_GETCOUNT, 0, 0) - 1)
        << "「その他」 chosen";
}

TEST(DamagedSettings, StartWithEmptyFields) {
    const struct {
        const char* what;
        std::string bytes;
    } inis[] = {
        {"bytes of no text", std::string("\x00\x01\xFF\xD8\x00\xDC\x7F", 7)},
        {"broken lines, a huge count",
         "\xFF\xFE" + Utf16Bytes(L"[Search\r\nStartFolder\r\n[Pattern1History]\r\nCount=99999999999\r\n"
                                 L"1=\"\r\n[Editor]\r\nCommand=\r\n")},
        {"an odd byte", std::string("\xFF\xFE[\0S\0e", 7)},
    };
    for (const auto& ini : inis) {
        SCOPED_TRACE(ini.what);
        WriteBytes(VarneloProgram::IniFile(), ini.bytes);
        VarneloProgram v;
        ASSERT_TRUE(v.Start(true)) << "Varnelo did not start";
        HWND dialog = v.OpenSearchDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_FOLDER_EDIT)), L"");
        real_input::Click(real_input::CentreOf(GetDlgItem(dialog, IDC_CANCEL)));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    }
}

TEST_F(ByHand, StatusTextTooLongForTheBarShowsWholeInATooltip) {
    std::wstring text = L"C:\\" + std::wstring(120, L'長') +
                        L"を検索することができません\n理由：指定されたパスが見つかりません。";
    // Set as the library sets a failure text.
    ASSERT_TRUE(SetStatusBarText(p.statusBar, SB_SIMPLEID | SBT_NOBORDERS, text));
    RECT bar{};
    GetWindowRect(p.statusBar, &bar);
    const int y = (bar.top + bar.bottom) / 2;
    real_input::MoveTo({bar.left + 40, y});
    real_input::MoveTo({bar.left + 50, y});
    HWND tip = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND h : TopWindows(p.process.id(), TOOLTIPS_CLASSW))
                if (TextOf(h) == text) tip = h;
            return tip != nullptr;
        },
        10000))
        << "no tooltip with the whole text";
}

// The preview pane follows the selection: the lines around the hit, as an
// editor numbers them, decoded as the search decoded the file, the match
// selected; its text is copied, and the 表示 menu sets how many lines.
TEST_F(ByHand, PreviewShowsTheLinesAroundTheSelectedHit) {
    WriteBytes(dir / L"a.varnelohit",
               testing_support::SjisBytes(L"一行目\r\n二行目\r\n\r\n東京 hit\r\nｶﾅの行\r\n六\r\n七\r\n八\r\n"));
    WriteBytes(dir / L"b.varnelohit",
               "\xFF\xFE" + Utf16Bytes(L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n大阪 hit\r\n11\r\n12"));
    const std::map<std::wstring, std::wstring> around = {
        {L"a.varnelohit", L"1  一行目\r\n2  二行目\r\n3  \r\n4> 東京 hit\r\n5  ｶﾅの行\r\n6  六\r\n7  七"},
        {L"b.varnelohit", L" 7  7\r\n 8  8\r\n 9  9\r\n10> 大阪 hit\r\n11  11\r\n12  12"}};
    SearchHits();  // its click selects the first record
    HWND pane = GetDlgItem(p.main, IDC_PREVIEW_PANE);
    ASSERT_NE(pane, nullptr);
    std::vector<std::wstring> order;
    for (const std::wstring& name : testing_support::Listing(dir.path()))
        if (around.count(name)) order.push_back(name);
    ASSERT_EQ(order.size(), 2u);
    for (size_t k = 0; k < order.size(); ++k) {
        SCOPED_TRACE(Show(order[k]));
        if (k > 0) real_input::Key(VK_DOWN, real_input::kCtrl);
        const std::wstring& expected = around.at(order[k]);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(pane) == expected; })) << Show(TextOf(pane));
        // The hit's match is selected, and so marked.
        const DWORD match = static_cast<DWORD>(expected.find(L"hit"));
        EXPECT_EQ(SendMessageW(pane, EM_GETSEL, 0, 0), static_cast<LRESULT>(MAKELONG(match, match + 3)));
    }
    real_input::Click(real_input::CentreOf(pane));
    real_input::Key('A', real_input::kCtrl);
    real_input::Key('C', real_input::kCtrl);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == around.at(order[1]); }))
        << Show(ClipboardText());
    real_input::Key('V', real_input::kAlt);
    real_input::Key('1');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(pane) == L" 9  9\r\n10> 大阪 hit\r\n11  11"; }))
        << Show(TextOf(pane));
    // Settings are written when the program ends.
    real_input::Key('F', real_input::kAlt);
    real_input::Key('X');
    ASSERT_TRUE(p.process.WaitForExit(nullptr));
    EXPECT_NE(testing_support::ReadBytes(VarneloProgram::IniFile()).find(Utf16Bytes(L"ContextLines=\"1\"")),
              std::string::npos)
        << "the number of lines is not kept";
}

// A run that fails once it has emptied the results file on screen: the view
// shows what the file holds, nothing, and the status bar says why.
TEST(FailedRun, TheViewShowsWhatTheResultsFileHolds) {
    TempDir dir;
    const std::wstring hit = HitFile(dir, 3);
    WriteSettings(L"[SearchOptions]\r\nKeepGoing=\"0\"\r\n");
    Program p;
    ASSERT_TRUE(p.Start(true)) << "Varnelo did not start";
    const Pixels bare = Settled(p.view);
    const std::wstring out = dir / L"out.txt";
    ASSERT_TRUE(p.Search(dir.path(), L"\\.varnelohit$", L"hit", out));
    ASSERT_NE(Settled(p.view), bare) << "no records shown";
    // Held without sharing: the run creates the results file, then fails.
    HANDLE held = CreateFileW(hit.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(p.Search(dir.path(), L"\\.varnelohit$", L"hit", out));
    std::wstring why = testing_support::SystemText(ERROR_SHARING_VIOLATION);
    why.erase(why.find_last_not_of(L"\r\n") + 1);  // the status bar shows its break as spaces
    EXPECT_TRUE(WaitUntil([&] { return StatusBarText(p.statusBar, 0).find(why) != std::wstring::npos; }))
        << Show(StatusBarText(p.statusBar, 0));
    CloseHandle(held);
    EXPECT_EQ(testing_support::ReadBytes(out), "\xFF\xFE");
    EXPECT_EQ(Settled(p.view), bare) << "the view still shows records";
}

}  // namespace
