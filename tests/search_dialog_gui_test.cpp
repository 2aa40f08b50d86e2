// The search command of Varnelo.exe from the outside, as a person uses it:
// the menu command opens the dialog, the test types the conditions, presses
// the buttons and the pickers' buttons, and reads back the results file, the
// results view's pixels and the status bar.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dpi.h"
#include "gui_driver.h"
#include "real_input.h"
#include "Tessumi.h"
#include "resource_ids.h"
#include "test_support.h"
#include "varnelo_program.h"
#include "view_font.h"

using namespace gui_driver;
using testing_support::Listing;
using testing_support::MakeDir;
using testing_support::Record;
using testing_support::ReadBytes;
using testing_support::Show;
using testing_support::SjisBytes;
using testing_support::TempDir;
using testing_support::Utf16Bytes;
using testing_support::WriteBytes;

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const int kFolderTree = 14145;     // the folder dialog's tree
const int kFileNameBox = 1148;     // the save dialog's file name box
const int kFileTypeBox = 1136;     // and its list of types
const DWORD kSearchPatience = 30000;

// ---------------------------------------------------------------------------
// The program and its windows.

struct Program : VarneloProgram {
    // Ready for a search whose end shows in the status bar: the texts of
    // searches before it are gone.
    void ClearStatus() const { SetStatusBarText(statusBar, SB_SIMPLEID | SBT_NOBORDERS, L""); }

    // True once a search started after ClearStatus has ended: it runs on a
    // thread of its own, and its end leaves a text other than its progress.
    bool SearchEnded() const {
        return WaitUntil(
                   [&] {
                       std::wstring s = Status();
                       return !s.empty() && s.rfind(L"検索中（", 0) != 0;
                   },
                   kSearchPatience) &&
               Idle();
    }

    // A message handled to its end before this returns.
    void Send(HWND to, UINT message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(to, message, wParam, lParam, SMTO_NORMAL, kSearchPatience, &answer);
    }

    std::vector<HWND> Dialogs() const { return TopWindows(process.id(), L"#32770"); }

    // A dialog of the program owned by `owner` (a picker, a message box).
    HWND WaitForDialogOwnedBy(HWND owner) const {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND h : Dialogs())
                if (GetWindow(h, GW_OWNER) == owner) found = h;
            return found != nullptr;
        });
        return found;
    }

    // The status bar's text as shown: in simple mode, whose part Wine reads
    // back as part 0; line breaks are shown as spaces.
    std::wstring Status() const { return Shown(StatusBarText(statusBar, 0)); }

    static std::wstring Shown(std::wstring text) {
        std::replace_if(text.begin(), text.end(), [](wchar_t c) { return c < L' '; }, L' ');
        return text;
    }
};

std::wstring ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }


// Replaces a field's text as a person does: a click into it, its text
// selected with Home and Shift+End and typed over (or deleted).
void Type(HWND dialog, int id, const std::wstring& text) {
    HWND field = GetDlgItem(dialog, id);
    real_input::Click(real_input::CentreOf(field));
    real_input::Key(VK_HOME);
    real_input::Key(VK_END, real_input::kShift);
    real_input::Key(VK_DELETE);
    real_input::Type(text);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == text; }, 10000)) << id;
}

bool Closed(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

// A click into a control of the dialog, then a key pressed there.
void Key(HWND control, WORD key, int modifiers = real_input::kNone) {
    real_input::Click(real_input::CentreOf(control));
    real_input::Key(key, modifiers);
}

// "キャンセル", then the dialog opened again, to see what its fields kept; null
// when it did not close or open.
HWND CancelAndReopen(const Program& p, HWND dialog) {
    PressButton(dialog, IDC_CANCEL);
    const bool closed = Closed(dialog);
    EXPECT_TRUE(closed);
    return closed ? p.OpenSearchDialog() : nullptr;
}

struct Conditions {
    std::wstring folder, pattern1, pattern2, results;
};

// Opens the dialog, types the four conditions, presses "実行" and waits
// for the search to end.
bool Search(const Program& p, const Conditions& c) {
    HWND dialog = p.OpenSearchDialog();
    if (!dialog) return false;
    Type(dialog, IDC_FOLDER_EDIT, c.folder);
    Type(dialog, IDC_PATTERN1_EDIT, c.pattern1);
    Type(dialog, IDC_PATTERN2_EDIT, c.pattern2);
    Type(dialog, IDC_RESULTS_EDIT, c.results);
    p.ClearStatus();
    PressButton(dialog, IDC_RUN);
    return Closed(dialog) && p.SearchEnded();
}

// ---------------------------------------------------------------------------
// Pixels of the results view.

// Pixels that differ from the view's fill (its top-left corner before any
// text, or the colour the view fills with).
size_t Inked(const Pixels& px, DWORD fill) {
    return static_cast<size_t>(std::count_if(px.data.begin(), px.data.end(),
                                             [&](DWORD v) { return v != fill; }));
}

// The view's fill, behind the text and around it.
DWORD FillColour() {
    COLORREF c = GetSysColor(COLOR_WINDOW);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Rightmost column of rows [top, bottom) that is not the fill; -1 if none.
int RightEdge(const Pixels& px, int top, int bottom, DWORD fill) {
    int right = -1;
    for (int y = std::max(0, top); y < std::min(px.height, bottom); ++y)
        for (int x = px.width - 1; x > right; --x)
            if (px.at(x, y) != fill) right = x;
    return right;
}

// The measures of the font the view draws with (no other is chosen here).
struct FontMeasure {
    int lineHeight = 0;
    int ampersand = 0;
    FontMeasure() {
        HFONT font = CreateViewFont(DefaultViewFontChoice(), WindowDpi(nullptr));
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        lineHeight = tm.tmHeight;
        SIZE s{};
        GetTextExtentPoint32W(dc, L"&", 1, &s);
        ampersand = s.cx;
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
    }
};

// ---------------------------------------------------------------------------
// Expected results, built the way the records are defined.

// ---------------------------------------------------------------------------
// The dialog template as the program carries it.

struct TemplateItem {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    WORD classAtom = 0;
    std::wstring text;
    WORD extra = 0;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD menu = 0xFFFF, windowClass = 0xFFFF;
    std::wstring caption, face;
    WORD points = 0;
    std::vector<TemplateItem> items;
};

// Reads a classic DLGTEMPLATE; an empty result for anything else.
DialogTemplate ParseTemplate(const std::string& bytes) {
    DialogTemplate t;
    const auto* w = reinterpret_cast<const WORD*>(bytes.data());
    size_t n = bytes.size() / 2, i = 0;
    auto word = [&]() -> WORD { return i < n ? w[i++] : 0; };
    auto dword = [&]() -> DWORD { DWORD lo = word(); return lo | (DWORD(word()) << 16); };
    auto text = [&]() {
        std::wstring s;
        while (i < n && w[i]) s += static_cast<wchar_t>(w[i++]);
        ++i;
        return s;
    };
    if (n < 13 || w[1] == 0xFFFF) return t;  // DLGTEMPLATEEX starts 1, 0xFFFF
    t.style = dword();
    t.exStyle = dword();
    WORD count = word();
    t.x = word(), t.y = word(), t.cx = word(), t.cy = word();
    t.menu = word();
    t.windowClass = word();
    t.caption = text();
    if (t.style & DS_SETFONT) {
        t.points = word();
        t.face = text();
    }
    for (WORD k = 0; k < count && i < n; ++k) {
        i = (i + 1) & ~size_t(1);  // items start on a DWORD boundary
        TemplateItem item;
        item.style = dword();
        item.exStyle = dword();
        item.x = word(), item.y = word(), item.cx = word(), item.cy = word();
        item.id = word();
        if (word() == 0xFFFF) item.classAtom = word();
        item.text = text();
        item.extra = word();
        t.items.push_back(item);
    }
    return t;
}

struct ControlSpec {
    int id;
    WORD classAtom;  // 0x80 button, 0x82 static, 0x85 combo box
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
};

const DWORD kLabel = 0x50021002, kField = 0x50210042, kEdit = 0x50810080,
            kButton = 0x50010000, kDefaultButton = 0x50010001, kCheck = 0x50010003,
            kLeftLabel = 0x50020000;
const wchar_t kDefaultExcluded[] = L".git;.svn;.hg;node_modules";

// In template order, which is the Tab order.
const ControlSpec kControls[] = {
    {IDC_FOLDER_LABEL, 0x82, L"static", L"入力先(&I)：", kLabel, 5, 5, 62, 15},
    {IDC_FOLDER_EDIT, 0x85, L"combobox", L"", kField, 72, 5, 238, 120},
    {IDC_BROWSE_FOLDER, 0x80, L"button", L"参照(&B)...", kButton, 315, 5, 40, 15},
    {IDC_PATTERN1_LABEL, 0x82, L"static", L"パターン１(&1)：", kLabel, 5, 25, 62, 15},
    {IDC_PATTERN1_EDIT, 0x85, L"combobox", L"", kField, 72, 25, 238, 120},
    {IDC_PATTERN1_WILDCARD, 0x80, L"button", L"ワイルドカード(&W)", kCheck, 315, 25, 100, 12},
    {IDC_PATTERN2_LABEL, 0x82, L"static", L"パターン２(&2)：", kLabel, 5, 45, 62, 15},
    {IDC_PATTERN2_EDIT, 0x85, L"combobox", L"", kField, 72, 45, 238, 120},
    {IDC_RESULTS_LABEL, 0x82, L"static", L"出力先(&O)：", kLabel, 5, 65, 62, 15},
    {IDC_RESULTS_EDIT, 0x85, L"combobox", L"", kField, 72, 65, 238, 120},
    {IDC_BROWSE_RESULTS, 0x80, L"button", L"参照(&F)...", kButton, 315, 65, 40, 15},
    {IDC_IGNORE_CASE, 0x80, L"button", L"大文字と小文字を区別しない(&A)", kCheck, 60, 85, 140, 12},
    {IDC_IGNORE_KANA, 0x80, L"button", L"ひらがなとカタカナを区別しない(&K)", kCheck, 205, 85, 160, 12},
    {IDC_IGNORE_WIDTH, 0x80, L"button", L"全角と半角を区別しない(&Z)", kCheck, 60, 100, 140, 12},
    {IDC_SKIP_BINARY, 0x80, L"button", L"バイナリファイルを除く(&N)", kCheck, 205, 100, 160, 12},
    {IDC_KEEP_GOING, 0x80, L"button", L"読めないファイルは飛ばす(&U)", kCheck, 60, 115, 140, 12},
    {IDC_EXCLUDED_LABEL, 0x82, L"static", L"除くフォルダー(&X)：", kLeftLabel, 205, 115, 80, 15},
    {IDC_EXCLUDED_EDIT, 0x81, L"edit", L"", kEdit, 285, 115, 130, 15},
    {IDC_SEARCH_DOCUMENTS, 0x80, L"button", L"Office 文書の中を探す(&D)", kCheck, 60, 132, 140, 12},
    {IDC_SEARCH_ARCHIVES, 0x80, L"button", L"zip の中を探す(&P)", kCheck, 205, 132, 160, 12},
    {IDC_RUN, 0x80, L"button", L"実行(&R)", kDefaultButton, 305, 150, 50, 15},
    {IDC_CANCEL, 0x80, L"button", L"キャンセル(&C)", kButton, 360, 150, 55, 15},
};

TEST(SearchDialogTemplate, CarriesTheDialogExactly) {
    ImageResources image(BesideThisProgram(L"Varnelo.exe"));
    DialogTemplate t =
        ParseTemplate(image.Bytes(RT_DIALOG, MAKEINTRESOURCEW(IDD_SEARCH), kEnglishUs));
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 10);
    EXPECT_EQ(t.y, 10);
    EXPECT_EQ(t.cx, 420);
    EXPECT_EQ(t.cy, 170);
    EXPECT_EQ(t.menu, 0);
    EXPECT_EQ(t.windowClass, 0);
    EXPECT_EQ(t.caption, L"検索する");
    EXPECT_EQ(t.points, 9);
    EXPECT_EQ(t.face, L"MS Shell Dlg") << Show(t.face);
    ASSERT_EQ(t.items.size(), std::size(kControls));
    for (size_t k = 0; k < t.items.size(); ++k) {
        const TemplateItem& item = t.items[k];
        const ControlSpec& c = kControls[k];
        SCOPED_TRACE(c.id);
        EXPECT_EQ(item.id, c.id);
        EXPECT_EQ(item.classAtom, c.classAtom);
        EXPECT_EQ(item.text, c.text) << Show(item.text);
        EXPECT_EQ(item.style, c.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.x, c.x);
        EXPECT_EQ(item.y, c.y);
        EXPECT_EQ(item.cx, c.cx);
        EXPECT_EQ(item.cy, c.cy);
        EXPECT_EQ(item.extra, 0);
    }
}

// ---------------------------------------------------------------------------
// The live program.

class SearchCommand : public testing::Test {
protected:
    Program p;
    TempDir dir;

    void SetUp() override { ASSERT_TRUE(p.Start()) << "Varnelo did not start"; }
};

TEST_F(SearchCommand, DialogShowsItsControlsInTabOrderAndCancelKeepsNothingTyped) {
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), p.main);
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(style & 0x80C800C0, 0x80C800C0) << std::hex << style;

    // Children in creation order, with their ids, classes, texts and styles;
    // every edit starts empty the first time.
    std::vector<HWND> children = Children(dialog);
    ASSERT_EQ(children.size(), std::size(kControls));
    for (size_t k = 0; k < children.size(); ++k) {
        const ControlSpec& c = kControls[k];
        SCOPED_TRACE(c.id);
        EXPECT_EQ(GetDlgCtrlID(children[k]), c.id);
        EXPECT_EQ(_wcsicmp(ClassOf(children[k]).c_str(), c.className), 0);
        EXPECT_EQ(TextOf(children[k]), c.id == IDC_EXCLUDED_EDIT ? kDefaultExcluded : c.text);
        DWORD style = static_cast<DWORD>(GetWindowLongW(children[k], GWL_STYLE));
        DWORD exStyle = static_cast<DWORD>(GetWindowLongW(children[k], GWL_EXSTYLE));
        if (c.style == kEdit) {
            // An edit trades its flat border for the sunken client edge.
            EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
            style |= WS_BORDER;
        }
        // A combo box hands its scroll bar to its list and draws its own frame.
        const DWORD own = c.style == kField ? ~DWORD(WS_VSCROLL | WS_BORDER) : ~DWORD(0);
        EXPECT_EQ(style & own, c.style & own) << std::hex << style;
    }

    // The focus starts in the folder edit; Tab visits the fields and buttons.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
    EXPECT_EQ(GetDlgCtrlID(GetParent(gui.hwndFocus)), IDC_FOLDER_EDIT) << "the folder's edit";
    std::vector<int> tabOrder;
    HWND at = GetDlgItem(dialog, IDC_FOLDER_EDIT);
    for (int k = 0; k < 17; ++k) {
        tabOrder.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
    }
    EXPECT_EQ(tabOrder,
              (std::vector<int>{IDC_FOLDER_EDIT, IDC_BROWSE_FOLDER, IDC_PATTERN1_EDIT,
                                IDC_PATTERN1_WILDCARD, IDC_PATTERN2_EDIT, IDC_RESULTS_EDIT,
                                IDC_BROWSE_RESULTS, IDC_IGNORE_CASE, IDC_IGNORE_KANA,
                                IDC_IGNORE_WIDTH, IDC_SKIP_BINARY, IDC_KEEP_GOING,
                                IDC_EXCLUDED_EDIT, IDC_SEARCH_DOCUMENTS, IDC_SEARCH_ARCHIVES,
                                IDC_RUN, IDC_CANCEL}));
    EXPECT_EQ(GetDlgCtrlID(at), IDC_FOLDER_EDIT) << "Tab wraps round";

    // "キャンセル" closes it, and nothing typed is kept (Esc too: dpi_gui_test).
    Type(dialog, IDC_PATTERN1_EDIT, L"typed then cancelled");
    dialog = CancelAndReopen(p, dialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_PATTERN1_EDIT), L"");
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

TEST_F(SearchCommand, SearchWritesTheResultsAndShowsThemAtOnce) {
    // A tree with Shift_JIS and UTF-16LE files; only the .txt files count.
    std::wstring root = dir / L"木";
    MakeDir(root);
    MakeDir(root + L"\\下");
    WriteBytes(root + L"\\sjis.txt", SjisBytes(L"一行目\r\n検索語のある行\r\n\r\n三行目も検索語\r\n"));
    WriteBytes(root + L"\\下\\utf16.txt",
               "\xFF\xFE" + Utf16Bytes(L"ＵＴＦ行\n検索語 & 記号\n"));
    WriteBytes(root + L"\\skip.dat", SjisBytes(L"検索語\r\n"));
    std::wstring results = dir / L"結果.txt";

    Pixels before = Settled(p.view);
    ASSERT_GT(before.width, 0);
    EXPECT_EQ(Inked(before, before.at(0, 0)), 0u) << "the view shows only its fill";

    // Enter in an edit runs the search like "実行".
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    for (int id : {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_PATTERN2_EDIT, IDC_RESULTS_EDIT})
        EXPECT_EQ(ItemText(dialog, id), L"") << id;
    Type(dialog, IDC_FOLDER_EDIT, root);
    Type(dialog, IDC_PATTERN1_EDIT, L"\\.txt$");
    Type(dialog, IDC_PATTERN2_EDIT, L"検索語");
    Type(dialog, IDC_RESULTS_EDIT, results);
    p.ClearStatus();
    Key(GetDlgItem(dialog, IDC_RESULTS_EDIT), VK_RETURN);
    ASSERT_TRUE(Closed(dialog));
    ASSERT_TRUE(p.SearchEnded());

    std::wstring expected = L"\xFEFF";
    for (const std::wstring& name : Listing(root)) {
        if (name == L"sjis.txt")
            expected += Record(root + L"\\sjis.txt", 2, L"検索語のある行") +
                        Record(root + L"\\sjis.txt", 3, L"三行目も検索語");
        if (name == L"下")
            expected += Record(root + L"\\下\\utf16.txt", 2, L"検索語 & 記号");
    }
    EXPECT_EQ(ReadBytes(results), Utf16Bytes(expected));
    // The summary: records, files searched and seconds.
    const std::wstring status = p.Status();
    EXPECT_EQ(status.rfind(L"3 件見つかりました（2 ファイル、", 0), 0u) << Show(status);
    EXPECT_EQ(status.substr(status.size() - 3), L" 秒）") << Show(status);

    // Drawn: many pixels other than the fill, across several lines.
    Pixels after = ChangedFrom(p.view, before);
    FontMeasure font;
    EXPECT_GT(Inked(after, before.at(0, 0)), 500u);
    for (int line = 0; line < 6; ++line)
        EXPECT_GE(RightEdge(after, line * font.lineHeight, (line + 1) * font.lineHeight,
                            before.at(0, 0)),
                  0)
            << "line " << line << " not drawn";
}

TEST_F(SearchCommand, ScrollingRevealsResultsBelowTheFirstScreen) {
    std::wstring text;
    for (int i = 0; i < 120; ++i) text += L"hit " + std::to_wstring(i) + L"\r\n";
    WriteBytes(dir / L"many.txt", SjisBytes(text));
    ASSERT_TRUE(Search(p, {dir.path(), L"many", L"hit", dir / L"out.txt"}));

    DWORD fill = FillColour();
    // Real keys and wheel, to the active main window; the click selects the
    // first record, so the first screen is taken after it.
    real_input::ClickToFront(p.main, 5, 5);
    Pixels top = Settled(p.view);
    ASSERT_GT(Inked(top, fill), 0u);
    real_input::Key(VK_NEXT);
    Pixels page = ChangedFrom(p.view, top);
    EXPECT_NE(page, top) << "page down showed the same";
    EXPECT_GT(Inked(page, fill), 0u);

    real_input::MoveTo(real_input::ClientToScreenPoint(p.view, 50, 50));
    real_input::Wheel(-3 * WHEEL_DELTA);
    Pixels wheeled = ChangedFrom(p.view, page);
    EXPECT_NE(wheeled, page) << "the wheel did not move the text";

    real_input::Key(VK_HOME, real_input::kCtrl);
    EXPECT_TRUE(WaitUntil([&] { return GrabClient(p.view) == top; }, 5000))
        << "back at the top shows the first screen again";
}

TEST_F(SearchCommand, AmpersandsAreDrawnAsTheyAre) {
    // Two one-line files whose lines differ by twelve ampersands. Drawn as
    // they are, the longer line is twelve "&" wider; taken as mnemonic
    // prefixes they would add only six.
    MakeDir(dir / L"a");
    MakeDir(dir / L"b");
    WriteBytes(dir / L"a\\x.txt", SjisBytes(L"@M&&&&&&&&&&&&M\r\n"));
    WriteBytes(dir / L"b\\x.txt", SjisBytes(L"@MM\r\n"));
    ASSERT_TRUE(Search(p, {dir.path(), L"x\\.txt", L"@", dir / L"out.txt"}));
    std::vector<std::wstring> order = Listing(dir.path());
    order.erase(std::remove_if(order.begin(), order.end(),
                               [](const std::wstring& n) { return n != L"a" && n != L"b"; }),
                order.end());
    ASSERT_EQ(order.size(), 2u);

    FontMeasure font;
    DWORD fill = FillColour();
    Pixels px = Settled(p.view);
    // Record k: its path on line 2k, its line on line 2k + 1.
    auto lineRight = [&](int line) {
        return RightEdge(px, line * font.lineHeight, (line + 1) * font.lineHeight, fill);
    };
    int longer = order[0] == L"a" ? 1 : 3, shorter = order[0] == L"a" ? 3 : 1;
    int widthOfAmpersands = lineRight(longer) - lineRight(shorter);
    EXPECT_NEAR(widthOfAmpersands, 12 * font.ampersand, 2)
        << "one & is " << font.ampersand << " pixels";
}

// The text is longer than 255 units and than the bar can show: whole there, and in a box.
TEST_F(SearchCommand, FailedSearchShowsTheLibrarysTextAndKeepsTheResultsShown) {
    WriteBytes(dir / L"a.txt", SjisBytes(L"見つかる行\r\n"));
    MakeDir(dir / std::wstring(180, L'd'));
    std::wstring results = dir / (std::wstring(180, L'd') + L"\\out.txt");
    ASSERT_TRUE(Search(p, {dir.path(), L"a\\.txt", L"見つかる", results}));
    Pixels shown = Settled(p.view);
    ASSERT_GT(Inked(shown, FillColour()), 0u);

    // Held without sharing: the dialog's checks pass, the library's run fails.
    HANDLE held = CreateFileW(results.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Search(p, {dir.path(), L"a\\.txt", L"見つかる", results}));
    const std::wstring text = results + L"の書き出しハンドルを作成することができません\n理由：" +
                              testing_support::SystemText(ERROR_SHARING_VIOLATION);
    HWND box = p.WaitForDialogOwnedBy(p.main);
    EXPECT_EQ(MessageBoxText(box), text);
    PressButton(box, IDOK);
    CloseHandle(held);
    EXPECT_EQ(p.Status(), Program::Shown(text)) << Show(p.Status());
    EXPECT_EQ(Settled(p.view), shown) << "the earlier results stay drawn";
}

// What "実行" refuses or asks, in the dialog's own words, before anything
// runs or is written; each time the dialog stays and the field is ready to
// be mended. Paths are checked without trailing spaces and dots; the shown
// results are replaced without a question only by the same search (as in
// FailedSearchShowsTheLibrarysTextAndKeepsTheResultsShown).
TEST_F(SearchCommand, RunRefusesWhatCannotRunAndReturnsToTheField) {
    WriteBytes(dir / L"a.txt", SjisBytes(L"行\r\n"));
    const std::wstring document = dir / L"文書.txt";
    WriteBytes(document, "\xEF\xBB\xBFmine");
    const std::wstring out = dir / L"out.txt";
    const std::wstring shown = dir / L"shown.txt";
    ASSERT_TRUE(Search(p, {dir.path(), L"\\.txt$", L"行", shown}));
    const std::string shownBytes = ReadBytes(shown);
    wchar_t patternText[TESSUMI_STATUS_TEXT_UNITS] = L"";
    FnCheckPattern(L"(", TESSUMI_PATTERN_PATH, 0, patternText);
    const std::wstring exists = L" は既に存在します。\n上書きしますか?";
    const struct {
        std::wstring folder, pattern1, results, text;
        int field, answer;
    } rows[] = {
        {L"", L"\\.txt$", out, L"入力先を入力してください。", IDC_FOLDER_EDIT, IDOK},
        {dir / L"ない", L"\\.txt$", out, L"入力先のフォルダーがありません。", IDC_FOLDER_EDIT, IDOK},
        {dir.path(), L"(", out, patternText, IDC_PATTERN1_EDIT, IDOK},
        {dir.path(), L"\\.txt$", dir / L"ない\\out.txt", L"出力先のフォルダーがありません。",
         IDC_RESULTS_EDIT, IDOK},
        {dir.path(), L"\\.txt$", document, document + exists, IDC_RESULTS_EDIT, IDNO},
        // The name as Windows and the search take it.
        {dir.path() + L"\\. ", L"\\.txt$", document + L". ", document + exists, IDC_RESULTS_EDIT,
         IDNO},
        // The results on screen, about to be replaced by another search's.
        {dir.path(), L"a\\.txt$", shown, shown + exists, IDC_RESULTS_EDIT, IDNO},
    };
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(Show(row.text));
        Type(dialog, IDC_FOLDER_EDIT, row.folder);
        Type(dialog, IDC_PATTERN1_EDIT, row.pattern1);
        Type(dialog, IDC_RESULTS_EDIT, row.results);
        p.ClearStatus();
        PressButton(dialog, IDC_RUN);
        HWND box = p.WaitForDialogOwnedBy(dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), row.text) << Show(MessageBoxText(box));
        EXPECT_EQ(TextOf(box), L"Varnelo");
        PressButton(box, row.answer);
        ASSERT_TRUE(Closed(box));
        ASSERT_TRUE(p.Idle());
        HWND field = GetDlgItem(dialog, row.field);
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
        EXPECT_TRUE(gui.hwndFocus == field || GetParent(gui.hwndFocus) == field);  // a combo's edit
        const UINT getSelection = _wcsicmp(ClassOf(field).c_str(), L"ComboBox") ? EM_GETSEL : CB_GETEDITSEL;
        const DWORD selection = static_cast<DWORD>(SendMessageW(field, getSelection, 0, 0));
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), TextOf(field).size()) << "the whole text selected";
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(p.Status(), L"") << "no search started";
    }
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadBytes(document), "\xEF\xBB\xBFmine");
    EXPECT_EQ(ReadBytes(shown), shownBytes);
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

// The settings file beside the program, put back as it was when this ends.
class KeptSettings {
public:
    KeptSettings() : ini_(BesideThisProgram(L"Varnelo.ini")) {
        existed_ = GetFileAttributesW(ini_.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (existed_) bytes_ = ReadBytes(ini_);
    }
    ~KeptSettings() {
        if (existed_)
            WriteBytes(ini_, bytes_);
        else
            DeleteFileW(ini_.c_str());
    }

private:
    std::wstring ini_;
    bool existed_ = false;
    std::string bytes_;
};

TEST_F(SearchCommand, OptionsSearchAsCheckedAndComeBackAfterARestart) {
    KeptSettings kept;
    WriteBytes(dir / L"a.txt", SjisBytes(L"TOKYO\r\n"));
    // A line beyond the matcher's limits, and a file held without sharing:
    // passed by, counted apart and listed.
    WriteBytes(dir / L"c.txt", std::string(30, 'a'));
    const std::wstring unread = dir / L"b.txt";
    WriteBytes(unread, "tokyo");
    HANDLE held = CreateFileW(unread.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::wstring results = dir / L"out.txt";
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    const struct {
        int id;
        bool checked;  // as the test leaves it
    } boxes[] = {{IDC_IGNORE_CASE, true},  {IDC_IGNORE_WIDTH, false}, {IDC_IGNORE_KANA, false},
                 {IDC_SKIP_BINARY, false}, {IDC_KEEP_GOING, true},    {IDC_PATTERN1_WILDCARD, false},
                 {IDC_SEARCH_DOCUMENTS, true}, {IDC_SEARCH_ARCHIVES, false}};
    for (int id : {IDC_IGNORE_CASE, IDC_SKIP_BINARY, IDC_SEARCH_ARCHIVES}) PressButton(dialog, id);
    Type(dialog, IDC_EXCLUDED_EDIT, L"node_modules;dist");
    Type(dialog, IDC_FOLDER_EDIT, dir.path());
    Type(dialog, IDC_PATTERN1_EDIT, L"\\.txt$");
    Type(dialog, IDC_PATTERN2_EDIT, L"(a*)*\\1[b]|tokyo");
    Type(dialog, IDC_RESULTS_EDIT, results);
    p.ClearStatus();
    PressButton(dialog, IDC_RUN);
    ASSERT_TRUE(Closed(dialog) && p.SearchEnded());
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(results), Utf16Bytes(L"\xFEFF" + Record(dir / L"a.txt", 1, L"TOKYO")));
    EXPECT_NE(p.Status().find(L"、1 件読めませんでした、1 件は照合を打ち切りました、"), std::wstring::npos)
        << Show(p.Status());
    // The list: path and reason in two columns; Ctrl+C copies every row, Esc closes it.
    real_input::Click(real_input::CentreOf(p.statusBar));
    HWND list = WaitForTopWindow(p.process.id(), L"VarneloSkippedList");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_THICKFRAME);
    HWND rows = GetWindow(list, GW_CHILD);
    HWND header = reinterpret_cast<HWND>(SendMessageW(rows, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
    real_input::Key('C', real_input::kCtrl);
    std::wstring copied;
    EXPECT_TRUE(WaitUntil([&] {
        copied = ClipboardText();
        return copied.rfind(unread + L"\t", 0) == 0;
    })) << Show(copied);
    const std::wstring refused = dir / L"c.txt(1)\t";
    EXPECT_EQ(copied.compare(copied.find(L"\r\n") + 2, refused.size(), refused), 0) << Show(copied);
    real_input::Key(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(list); }));

    // Closed with Alt+F4 and started again.
    real_input::ClickToFront(p.main, 5, 5);
    real_input::Key(VK_F4, real_input::kAlt);
    DWORD code = 0;
    ASSERT_TRUE(p.process.WaitForExit(&code));
    Program again;
    ASSERT_TRUE(again.Start(true));
    dialog = again.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    for (const auto& box : boxes)
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, box.id), BM_GETCHECK, 0, 0),
                  box.checked ? BST_CHECKED : BST_UNCHECKED)
            << box.id;
    EXPECT_EQ(ItemText(dialog, IDC_EXCLUDED_EDIT), L"node_modules;dist");
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

// A path past MAX_PATH, made and removed in the long form.
struct LongPath {
    std::wstring path;
    ~LongPath() {
        DeleteFileW((L"\\\\?\\" + path).c_str());
        RemoveDirectoryW((L"\\\\?\\" + path).c_str());
    }
};

TEST_F(SearchCommand, FieldsOfThreeHundredCharactersAreUsedWholeAndKeptThroughACancelledPicker) {
    WriteBytes(dir / L"a.txt", SjisBytes(L"語の行\r\n"));
    const std::wstring pattern1 = std::wstring(293, L'p') + L"|\\.txt$";
    LongPath folder{dir / std::wstring(120, L'd')};
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder.path).c_str(), nullptr));
    const std::wstring name = std::wstring(300 - folder.path.size() - 5, L'r') + L".txt";
    LongPath results{folder.path + L"\\" + name};
    ASSERT_EQ(results.path.size(), 300u);
    ASSERT_TRUE(Search(p, {dir.path(), pattern1, L"語", results.path}));
    EXPECT_EQ(ReadBytes(L"\\\\?\\" + results.path),
              Utf16Bytes(L"\xFEFF" + Record(dir / L"a.txt", 1, L"語の行")));

    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_PATTERN1_EDIT), pattern1);
    EXPECT_EQ(ItemText(dialog, IDC_RESULTS_EDIT), results.path);
    // The picker can't hold the field; cancelled, it leaves it as it was.
    PressButton(dialog, IDC_BROWSE_RESULTS);
    HWND saveDialog = p.WaitForDialogOwnedBy(dialog);
    ASSERT_NE(saveDialog, nullptr);
    PressButton(saveDialog, IDCANCEL);
    ASSERT_TRUE(Closed(saveDialog));
    EXPECT_EQ(ItemText(dialog, IDC_RESULTS_EDIT), results.path);
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

// ---------------------------------------------------------------------------
// The pickers from the dialog.

// Text placed in the program's memory, for messages that carry a pointer.
class RemoteText {
public:
    RemoteText(HWND window, const std::wstring& text) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
        size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (process_)
            address_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
        if (address_) WriteProcessMemory(process_, address_, text.c_str(), bytes, nullptr);
    }
    ~RemoteText() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteText(const RemoteText&) = delete;
    RemoteText& operator=(const RemoteText&) = delete;
    LPARAM get() const { return reinterpret_cast<LPARAM>(address_); }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

// The text of the tree's selected item, read through the program's memory.
std::wstring SelectedFolderName(HWND tree) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, pid);
    if (!process) return L"";
    std::wstring name;
    const size_t textUnits = MAX_PATH;
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(TVITEMW) + textUnits * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE,
        PAGE_READWRITE));
    LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (remote && item) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = reinterpret_cast<HTREEITEM>(item);
        tv.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
        tv.cchTextMax = static_cast<int>(textUnits);
        wchar_t text[MAX_PATH] = L"";
        if (WriteProcessMemory(process, remote, &tv, sizeof(tv), nullptr) &&
            SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process, remote + sizeof(TVITEMW), text, sizeof(text), nullptr)) {
            text[MAX_PATH - 1] = L'\0';
            name = text;
        }
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return name;
}

// Chooses `folder` in the folder dialog the way its tree is moved there. The
// dialog may still be settling its first selection, so the move is repeated
// until the tree shows the folder.
bool ChooseFolder(HWND folderDialog, const std::wstring& folder) {
    HWND tree = GetDlgItem(folderDialog, kFolderTree);
    if (!tree) return false;
    std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    RemoteText path(folderDialog, folder);
    bool selected = WaitUntil([&] {
        SendMessageW(folderDialog, BFFM_SETSELECTIONW, TRUE, path.get());
        return WaitUntil([&] { return SelectedFolderName(tree) == name; }, 500);
    });
    if (!selected) return false;
    PressButton(folderDialog, IDOK);
    return Closed(folderDialog);
}

// Types a full name into the save dialog and confirms it; for an existing
// file, answers the dialog's own question with "はい".
bool ChooseFile(HWND saveDialog, const std::wstring& path, bool replacing = false) {
    HWND box = GetDlgItem(saveDialog, kFileNameBox);
    HWND combo = FindWindowExW(box, nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(combo ? combo : box, nullptr, L"Edit", nullptr);
    if (!edit) return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    real_input::Click(real_input::CentreOf(edit));
    real_input::Type(path);
    PressButton(saveDialog, IDOK);
    HWND question = nullptr;
    const auto asked = [&] {
        DWORD pid = 0;
        GetWindowThreadProcessId(saveDialog, &pid);
        for (HWND h : TopWindows(pid, L"#32770"))
            if (GetWindow(h, GW_OWNER) == saveDialog) question = h;
        return question != nullptr;
    };
    if (replacing && !WaitUntil(asked)) return false;
    if (question) PressButton(question, IDYES);
    return Closed(saveDialog);
}

// Picks the save dialog's type, the first being 0, from its list by keys.
void ChooseType(HWND saveDialog, int index) {
    real_input::Click(real_input::CentreOf(GetDlgItem(saveDialog, kFileTypeBox)));
    real_input::Key(VK_HOME);
    for (int i = 0; i < index; ++i) real_input::Key(VK_DOWN);
    real_input::Key(VK_RETURN);
}

TEST_F(SearchCommand, PickersFillTheirFieldsStartFromThemAndCancelDiscardsThem) {
    std::wstring folder = dir / L"選ぶ";
    MakeDir(folder);
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_PATTERN1_EDIT, L"typed, not kept");

    PressButton(dialog, IDC_BROWSE_FOLDER);
    HWND folderDialog = p.WaitForDialogOwnedBy(dialog);
    ASSERT_NE(folderDialog, nullptr) << "no folder dialog";
    ASSERT_TRUE(ChooseFolder(folderDialog, folder));
    ASSERT_TRUE(WaitUntil([&] { return ItemText(dialog, IDC_FOLDER_EDIT) == folder; }))
        << Show(ItemText(dialog, IDC_FOLDER_EDIT));

    PressButton(dialog, IDC_BROWSE_RESULTS);
    HWND saveDialog = p.WaitForDialogOwnedBy(dialog);
    ASSERT_NE(saveDialog, nullptr) << "no save dialog";
    std::wstring chosen = folder + L"\\結果";
    ASSERT_TRUE(ChooseFile(saveDialog, chosen));
    ASSERT_TRUE(WaitUntil([&] { return ItemText(dialog, IDC_RESULTS_EDIT) == chosen; }))
        << Show(ItemText(dialog, IDC_RESULTS_EDIT));

    // Each picker opens where its field points, and its キャンセル keeps the field.
    for (int browse : {IDC_BROWSE_FOLDER, IDC_BROWSE_RESULTS}) {
        PressButton(dialog, browse);
        HWND picker = p.WaitForDialogOwnedBy(dialog);
        ASSERT_NE(picker, nullptr) << browse;
        if (browse == IDC_BROWSE_FOLDER)
            EXPECT_TRUE(WaitUntil([&] {
                return SelectedFolderName(GetDlgItem(picker, kFolderTree)) == L"選ぶ";
            }));
        else
            EXPECT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(picker, kFileNameBox)) == L"結果"; }))
                << Show(TextOf(GetDlgItem(picker, kFileNameBox)));
        PressButton(picker, IDCANCEL);
        ASSERT_TRUE(Closed(picker));
    }
    EXPECT_TRUE(IsWindowVisible(dialog)) << "a cancelled picker is no failure";
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_EDIT), folder);
    EXPECT_EQ(ItemText(dialog, IDC_RESULTS_EDIT), chosen);

    // The dialog's "キャンセル" keeps nothing: neither typed nor picked.
    dialog = CancelAndReopen(p, dialog);
    ASSERT_NE(dialog, nullptr);
    for (int id : {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_RESULTS_EDIT})
        EXPECT_EQ(ItemText(dialog, id), L"") << id;
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

TEST_F(SearchCommand, PickedPathOfAnyLengthThePickerHoldsIsTakenWhole) {
    // 256 characters: more than the field once took, less than the picker holds.
    std::wstring picked = dir.path() + L"\\";
    picked += std::wstring(256 - picked.size(), L'f');
    // Past the ordinary path limit for folders: made and removed by the long form.
    LongPath made{picked};
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + picked).c_str(), nullptr));

    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDC_BROWSE_FOLDER);
    HWND folderDialog = p.WaitForDialogOwnedBy(dialog);
    ASSERT_NE(folderDialog, nullptr);
    ASSERT_TRUE(ChooseFolder(folderDialog, picked));
    EXPECT_TRUE(WaitUntil([&] { return ItemText(dialog, IDC_FOLDER_EDIT) == picked; }));
    PressButton(dialog, IDC_CANCEL);
    EXPECT_TRUE(Closed(dialog));
}

// A file picked in the save picker, which asked before it could be
// replaced, is not asked about again by "実行" (typed, it is: see above). The
// folder typed with a trailing space and dot is searched as Windows names it.
TEST_F(SearchCommand, APickedFileIsAskedAboutOnlyByThePicker) {
    MakeDir(dir / L"sub");
    WriteBytes(dir / L"sub\\a.txt", SjisBytes(L"行\r\n"));
    const std::wstring results = dir / L"picked.txt";
    WriteBytes(results, "old");
    HWND dialog = p.OpenSearchDialog();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_FOLDER_EDIT, dir / L"sub .");
    Type(dialog, IDC_PATTERN2_EDIT, L"行");
    PressButton(dialog, IDC_BROWSE_RESULTS);
    HWND saveDialog = p.WaitForDialogOwnedBy(dialog);
    ASSERT_NE(saveDialog, nullptr);
    ASSERT_TRUE(ChooseFile(saveDialog, results, true));
    p.ClearStatus();
    PressButton(dialog, IDC_RUN);
    ASSERT_TRUE(Closed(dialog) && p.SearchEnded()) << "asked again";
    EXPECT_EQ(ReadBytes(results), Utf16Bytes(L"\xFEFF" + Record(dir / L"sub\\a.txt", 1, L"行")));
}

// Each record at the line an editor shows (blank lines counted): all as
// tag-jump lines or CSV, the form chosen in the picker's type list; those
// selected with a click and Ctrl+Shift+Down copied with Ctrl+C.
TEST_F(SearchCommand, ResultsGoOutAsTagJumpLinesOrCsvAndSelectedRecordsAreCopied) {
    WriteBytes(dir / L"sjis.txt", SjisBytes(L"一\r\n\r\n東京の行\r\n"));
    WriteBytes(dir / L"utf16.txt", "\xFF\xFE" + Utf16Bytes(L"x\n\n\n東京, \"駅\"\n"));
    ASSERT_TRUE(Search(p, {dir.path(), L"\\.txt$", L"東京", dir / L"out.bin"}));
    std::wstring tags, csv = L"パス,行,内容\r\n";
    for (const std::wstring& name : Listing(dir.path())) {
        const bool sjis = name == L"sjis.txt";
        if (!sjis && name != L"utf16.txt") continue;
        tags += dir / name + (sjis ? L"(3): 東京の行\r\n" : L"(4): 東京, \"駅\"\r\n");
        csv += L"\"" + dir / name + (sjis ? L"\",3,\"東京の行\"\r\n" : L"\",4,\"東京, \"\"駅\"\"\"\r\n");
    }
    const struct {
        int type;
        const wchar_t *typed, *written;
        std::string bytes;
    } forms[] = {
        {0, L"tags", L"tags.txt", testing_support::Utf8Bytes(tags)},
        {1, L"table", L"table.csv", "\xEF\xBB\xBF" + testing_support::Utf8Bytes(csv)},
    };
    for (const auto& f : forms) {
        real_input::ClickToFront(p.statusBar, 5, 5);
        real_input::Key('F', real_input::kAlt);
        real_input::Key('E');
        HWND saveDialog = p.WaitForDialogOwnedBy(p.main);
        ASSERT_NE(saveDialog, nullptr);
        ChooseType(saveDialog, f.type);
        ASSERT_TRUE(ChooseFile(saveDialog, dir / f.typed));
        EXPECT_TRUE(WaitUntil([&] { return p.Status() == L"2 件を書き出しました：" + dir / f.written; }))
            << Show(p.Status());
        EXPECT_EQ(ReadBytes(dir / f.written), f.bytes);
    }

    real_input::Click(real_input::ClientToScreenPoint(p.view, 20, FontMeasure().lineHeight / 2));
    real_input::Key(VK_DOWN, real_input::kCtrl | real_input::kShift);
    real_input::Key('C', real_input::kCtrl);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == tags; })) << Show(ClipboardText());
}

}  // namespace
