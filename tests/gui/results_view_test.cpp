// The results view in this process: the held text is drawn as it is, and the
// view scrolls through all of it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "line_index.h"
#include "main_window.h"
#include "preview_text.h"
#include "record_marks.h"
#include "result_record.h"
#include "results_view.h"
#include "settings.h"
#include "system_message.h"
#include "view_colors.h"
#include "view_font.h"

using namespace gui_driver;

namespace {

const int kCanvasWidth = 480;
const int kCanvasHeight = 120;

// A buffer as SubReadText hands it out: new[], the caller releases it.
wchar_t* LoadedBuffer(const std::wstring& units) {
    wchar_t* buffer = new wchar_t[units.size() + 1];
    std::memcpy(buffer, units.data(), units.size() * sizeof(wchar_t));
    return buffer;
}

void Hold(const std::wstring& units, int bytes) { ReplaceResultsText(LoadedBuffer(units), bytes); }
void Hold(const std::wstring& units) { Hold(units, static_cast<int>(units.size() * 2)); }

// A 32-bit memory bitmap to draw on.
class Canvas {
public:
    Canvas() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = kCanvasWidth;
        bmi.bmiHeader.biHeight = -kCanvasHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    RECT rect() const { return {0, 0, kCanvasWidth, kCanvasHeight}; }
    Pixels pixels() const { return GrabDC(dc_, rect()); }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

Pixels DrawnByView() {
    Canvas c;
    DrawResultsText(c.dc(), c.rect());
    return c.pixels();
}

// The view's one background colour, behind the text and around it.
const int kFill = COLOR_WINDOW;

// The platform's own drawing of a whole string on the view's fill, its
// top-left corner at (left, top).
Pixels DrawnByPlatform(const std::wstring& text, UINT format, int left = 0, int top = 0) {
    Canvas c;
    if (ResultsFont()) SelectObject(c.dc(), ResultsFont());  // the view's, when it has one
    RECT r = c.rect();
    FillRect(c.dc(), &r, GetSysColorBrush(kFill));
    SetTextColor(c.dc(), GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(c.dc(), TRANSPARENT);
    RECT textRect{left, top, r.right, r.bottom};
    DrawTextW(c.dc(), text.data(), static_cast<int>(text.size()), &textRect, format);
    return c.pixels();
}

const UINT kAsItIs = DT_NOPREFIX | DT_EXPANDTABS;
const UINT kPlainFormat = 0;  // mnemonics, no tab expansion

class HeldTextDrawing : public ::testing::Test {
protected:
    void TearDown() override { ReplaceResultsText(nullptr, 0); }
};

TEST_F(HeldTextDrawing, AmpersandsAreDrawnAsAmpersands) {
    const std::wstring shown = L"C:\\R&D\\a.txt\r\n\t(1)===>Q&&A &x";
    Hold(L"\xFEFF" + shown);
    Pixels drawn = DrawnByView();
    EXPECT_EQ(drawn, DrawnByPlatform(shown, kAsItIs));
    EXPECT_NE(drawn, DrawnByPlatform(shown, kPlainFormat | DT_EXPANDTABS));
}

TEST_F(HeldTextDrawing, TabsGoToTabStops) {
    const std::wstring shown = L"C:\\a.txt\r\n\t(12)===>x\ty\r\n";
    Hold(L"\xFEFF" + shown);
    Pixels drawn = DrawnByView();
    EXPECT_EQ(drawn, DrawnByPlatform(shown, kAsItIs));
    EXPECT_NE(drawn, DrawnByPlatform(shown, DT_NOPREFIX));
}

TEST_F(HeldTextDrawing, ByteOrderMarkIsNotDrawn) {
    Hold(L"\xFEFF" L"abc");
    EXPECT_EQ(DrawnByView(), DrawnByPlatform(L"abc", kAsItIs));
    // Only a leading mark is the file's; the text otherwise stays whole.
    Hold(L"abc");
    EXPECT_EQ(DrawnByView(), DrawnByPlatform(L"abc", kAsItIs));
}

TEST_F(HeldTextDrawing, OddLastByteIsNotDrawn) {
    Hold(L"\xFEFF" L"abW", 7);  // the low byte of "W" is the odd one
    Pixels drawn = DrawnByView();
    EXPECT_EQ(drawn, DrawnByPlatform(L"ab", kAsItIs));
    EXPECT_NE(drawn, DrawnByPlatform(L"abW", kAsItIs));
}

TEST_F(HeldTextDrawing, TabsShowTheFillAndNothingElse) {
    // A record's second line: the gap its tab leaves is the fill, like the
    // background behind the characters.
    Hold(L"\xFEFF" L"\t(1)===>x\r\n");
    Pixels drawn = DrawnByView();
    Canvas c;
    SIZE marker{};
    GetTextExtentPoint32W(c.dc(), L"(", 1, &marker);
    RECT tab{};
    DrawTextW(c.dc(), L"\t", 1, &tab, DT_CALCRECT | DT_EXPANDTABS);
    ASSERT_GT(tab.right, 0);
    const DWORD fill = drawn.at(kCanvasWidth - 1, kCanvasHeight - 1);
    EXPECT_EQ(fill, (GetRValue(GetSysColor(kFill)) << 16) | (GetGValue(GetSysColor(kFill)) << 8) |
                        GetBValue(GetSysColor(kFill)));
    for (int y = 0; y < tab.bottom; ++y)
        for (int x = 0; x < tab.right; ++x) ASSERT_EQ(drawn.at(x, y), fill) << x << "," << y;
}

DWORD PixelOf(int colour) {
    const COLORREF c = GetSysColor(colour);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Which record a line belongs to, by line of a results text.
TEST(ResultRecords, EitherLineOfARecordGivesItsPath) {
    const std::wstring text = L"C:\\a.txt\r\n\t(1)===>x\r\n"
                              L"C:\\b c.txt\r\n\t(22)===>\t(3)===>y\r\n"
                              L"loose line\r\n\tindented\r\n\t(4)===>orphan\r\n";
    LineIndex index = IndexLines(text.data(), text.size());
    const struct {
        size_t line;
        const wchar_t* path;  // null: no record
    } cases[] = {{0, L"C:\\a.txt"}, {1, L"C:\\a.txt"}, {2, L"C:\\b c.txt"},
                 {3, L"C:\\b c.txt"}, {4, nullptr},        {5, nullptr},
                 {6, nullptr},         {7, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::wstring path;
        EXPECT_EQ(RecordPathAt(index, text.data(), c.line, &path), c.path != nullptr);
        if (c.path) {
            EXPECT_EQ(path, c.path);
        }
    }
}

// Wine's ShellExecuteExW always sets the thread's error; a shell that leaves
// only its old SE_ERR_ value still gets the system's reason for it.
TEST(OpeningFailures, TheShellsOldCodesBecomeSystemErrors) {
    const struct {
        DWORD lastError;
        INT_PTR instApp;
        DWORD expected;
    } cases[] = {{ERROR_ACCESS_DENIED, SE_ERR_FNF, ERROR_ACCESS_DENIED},
                 {ERROR_SUCCESS, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
                 {ERROR_SUCCESS, SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
                 {ERROR_SUCCESS, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
                 {ERROR_SUCCESS, SE_ERR_ASSOCINCOMPLETE, ERROR_NO_ASSOCIATION},
                 {ERROR_SUCCESS, SE_ERR_SHARE, ERROR_SHARING_VIOLATION},
                 {ERROR_SUCCESS, SE_ERR_DDEFAIL, ERROR_DDE_FAIL},
                 {ERROR_SUCCESS, 0, ERROR_NOT_ENOUGH_MEMORY}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.instApp);
        DWORD code = ShellExecuteErrorCode(c.lastError, c.instApp);
        EXPECT_EQ(code, c.expected);
        EXPECT_FALSE(SystemMessageText(code).empty());
    }
}

TEST_F(HeldTextDrawing, WithoutTextOnlyTheFillIsDrawn) {
    ReplaceResultsText(nullptr, 0);
    EXPECT_EQ(DrawnByView(), DrawnByPlatform(L"", kAsItIs));
    Hold(L"\xFEFF", 2);
    EXPECT_EQ(DrawnByView(), DrawnByPlatform(L"", kAsItIs));
}

// The real main window, created in this process.
class ResultsViewScrolling : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterMainWindowClass(GetModuleHandleW(nullptr)); }

    void SetUp() override {
        // The window keeps its placement: not in the program's own file.
        settings::UseIniFile(BesideThisProgram(L"results_view_test.ini"));
        window = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr) << GetLastError();
        // Small enough that the texts below scroll, whatever the first size.
        SetWindowPos(window, nullptr, 0, 0, 647, 400, SWP_NOZORDER);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        view = ResultsView();
        ASSERT_NE(view, nullptr);
        HDC dc = GetDC(view);
        SelectObject(dc, ResultsFont());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        ReleaseDC(view, dc);
        lineHeight = tm.tmHeight;
        charWidth = tm.tmAveCharWidth;
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        Pump();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    SCROLLINFO Bar(int bar) const {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        GetScrollInfo(view, bar, &si);
        return si;
    }
    Pixels ViewPixels() const {
        RECT r{};
        GetClientRect(view, &r);
        HDC dc = GetDC(view);
        Pixels p = GrabDC(dc, r);
        ReleaseDC(view, dc);
        return p;
    }
    // A text of many numbered lines, one of them far wider than the view.
    static std::wstring TallAndWideText(int lines) {
        std::wstring text = L"\xFEFF";
        for (int i = 1; i <= lines; ++i) {
            text += L"C:\\folder\\file" + std::to_wstring(i) + L".txt\t(" + std::to_wstring(i) +
                    L")===>";
            if (i == 3) text += std::wstring(300, L'w');
            text += L"\r\n";
        }
        return text;
    }

    HWND window = nullptr;
    HWND view = nullptr;
    int lineHeight = 0;
    int charWidth = 0;
};

TEST_F(ResultsViewScrolling, RangesCoverTheWholeText) {
    const int lines = 200;
    Hold(TallAndWideText(lines));
    RECT client{};
    GetClientRect(view, &client);
    SCROLLINFO v = Bar(SB_VERT), h = Bar(SB_HORZ);
    // Vertically in lines, a page being the whole lines in view.
    EXPECT_EQ(v.nMax + 1, lines);
    EXPECT_EQ(static_cast<int>(v.nPage), client.bottom / lineHeight);
    EXPECT_GE(h.nMax + 1, 300 * charWidth / 2);
    EXPECT_EQ(static_cast<int>(h.nPage), client.right);
    EXPECT_EQ(v.nPos, 0);
    EXPECT_EQ(h.nPos, 0);
}

TEST_F(ResultsViewScrolling, ScrollBarsMoveTheDrawnText) {
    Hold(TallAndWideText(200));
    Pixels top = ViewPixels();
    SendMessageW(view, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 1);
    Pixels down = ViewPixels();
    ASSERT_EQ(down.height, top.height);
    // The text moved up by one line.
    bool shifted = true;
    for (int y = 0; y + lineHeight < top.height && shifted; ++y)
        for (int x = 0; x < top.width; ++x)
            if (down.at(x, y) != top.at(x, y + lineHeight)) {
                shifted = false;
                break;
            }
    EXPECT_TRUE(shifted);

    SendMessageW(view, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Bar(SB_HORZ).nPos, charWidth);
    Pixels right = ViewPixels();
    bool shiftedLeft = true;
    for (int y = 0; y < down.height && shiftedLeft; ++y)
        for (int x = 0; x + charWidth < down.width; ++x)
            if (right.at(x, y) != down.at(x + charWidth, y)) {
                shiftedLeft = false;
                break;
            }
    EXPECT_TRUE(shiftedLeft);
}

// Drawing only the lines in view gives, at every scroll position, what the
// platform draws of the whole text moved by as much.
TEST_F(ResultsViewScrolling, LinesInViewAreDrawnAsTheWholeTextWouldBe) {
    const std::wstring wide(300, L'w');
    std::wstring more;  // enough lines to scroll in the view
    for (int i = 0; i < 30; ++i) more += L"\r\n" + std::to_wstring(i);
    const std::wstring texts[] = {
        TallAndWideText(40).substr(1),
        // Every kind of line break the platform knows, empty lines among them.
        L"a\rb\nc\r\n\r\nd\n\re\r\rf\n\ng&h\t\ti\r\n" + wide + L"\n\r\r\nj\r\nk\n\rl\r\nm\r\nn" + more,
        L"日本語\tの\t行\r\n\t(7)===>漢字&かな\r\n" + wide + L"\r\n１\r\n２\r\n３\r\n４\r\n５\r\n６\r\n７" + more,
    };
    const struct {
        int down, right;  // scroll bar arrow clicks
    } positions[] = {{0, 0}, {1, 0}, {3, 5}, {0, 9}, {7, 2}};
    for (size_t k = 0; k < std::size(texts); ++k) {
        for (const auto& at : positions) {
            SCOPED_TRACE(testing::Message() << "text " << k << ", " << at.down << " down, "
                                            << at.right << " right");
            Hold(L"\xFEFF" + texts[k]);
            for (int i = 0; i < at.down; ++i) SendMessageW(view, WM_VSCROLL, SB_LINEDOWN, 0);
            for (int i = 0; i < at.right; ++i) SendMessageW(view, WM_HSCROLL, SB_LINEDOWN, 0);
            const int top = Bar(SB_VERT).nPos, left = Bar(SB_HORZ).nPos;
            EXPECT_EQ(top, at.down);
            EXPECT_EQ(left, at.right * charWidth);
            Canvas c;
            DrawResultsText(c.dc(), c.rect());
            EXPECT_EQ(c.pixels(), DrawnByPlatform(texts[k], kAsItIs, -left, -top * lineHeight));
        }
    }
}

TEST_F(ResultsViewScrolling, PagesStopAtTheEndOfTheText) {
    Hold(TallAndWideText(200));
    SCROLLINFO v = Bar(SB_VERT);
    SendMessageW(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, static_cast<int>(v.nPage));
    SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, v.nMax + 1 - static_cast<int>(v.nPage));
    SendMessageW(view, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, v.nMax + 1 - static_cast<int>(v.nPage));
    SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 0);
    SendMessageW(view, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 0);
}

TEST_F(ResultsViewScrolling, WheelOnTheMainWindowScrollsTheView) {
    Hold(TallAndWideText(200));
    UINT wheelLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, static_cast<int>(wheelLines));
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 0);
}

TEST_F(ResultsViewScrolling, NewTextStartsAtTheTopLeftCorner) {
    Hold(TallAndWideText(200));
    SendMessageW(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageW(view, WM_HSCROLL, SB_PAGEDOWN, 0);
    ASSERT_GT(Bar(SB_VERT).nPos, 0);
    ASSERT_GT(Bar(SB_HORZ).nPos, 0);
    Hold(TallAndWideText(100));
    EXPECT_EQ(Bar(SB_VERT).nPos, 0);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 0);
    // The view shows the text from its top-left corner: as drawn unscrolled.
    Pixels shown = ViewPixels();
    Canvas c;
    DrawResultsText(c.dc(), c.rect());
    Pixels expected = c.pixels();
    ASSERT_GE(shown.width, expected.width);
    ASSERT_GE(shown.height, expected.height);
    int differing = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (shown.at(x, y) != expected.at(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
}

TEST_F(ResultsViewScrolling, ShortTextLeavesBothBarsShownWithNothingToScroll) {
    Hold(L"\xFEFF" L"a\r\n");
    SendMessageW(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageW(view, WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 0);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 0);
    LONG style = GetWindowLongW(view, GWL_STYLE);
    EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL | WS_HSCROLL);
}

// Every match of pattern 2 in the highlight colours: exactly its columns,
// tabs before it at their stops (every 8 average character widths),
// wherever it is: far along a long line at 150 % too, where 16-bit extents
// would wrap.
TEST_F(ResultsViewScrolling, EveryMatchIsMarkedExactly) {
    const struct {
        const wchar_t* pattern;
        std::wstring line;  // after "\t(1)===>"
        UINT dpi;           // the view's font made for it
        bool toEnd;         // the view scrolled to the end of the line
    } cases[] = {
        {L"b+c", L"a\tabbcxbc", 96, false},
        {L"東京|大阪", L"全文東京と大阪と東京", 96, false},
        {L"東京", std::wstring(10000, L'y') + L"東京" + std::wstring(30, L'z'), 144, true},
    };
    const HFONT original = ResultsFont();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const HFONT font = CreateViewFont(DefaultViewFontChoice(), c.dpi);
        UseResultsFontAndColors(font, CurrentViewColors());
        const std::wstring hit = L"\t(1)===>" + c.line;
        Hold(L"\xFEFF" L"C:\\a.txt\r\n" + hit + L"\r\n");
        SetMarkedPattern(c.pattern, 0);
        if (c.toEnd) ScrollResultsByKey(VK_END);
        const LONG scrolled = Bar(SB_HORZ).nPos;
        Canvas m;
        SelectObject(m.dc(), font);
        TEXTMETRICW tm{};
        GetTextMetricsW(m.dc(), &tm);
        const auto width = [&](size_t units) {  // of hit[0, units), unit by unit
            LONG x = 0;
            for (size_t i = 0; i < units; ++i) {
                SIZE one{};
                GetTextExtentPoint32W(m.dc(), &hit[i], 1, &one);
                x = hit[i] == L'\t' ? (x / (8 * tm.tmAveCharWidth) + 1) * 8 * tm.tmAveCharWidth : x + one.cx;
            }
            return x - scrolled;
        };
        std::vector<std::pair<LONG, LONG>> spans;
        const std::wregex pattern(c.pattern);
        for (std::wsregex_iterator m(hit.begin() + 8, hit.end(), pattern), end; m != end; ++m) {
            const size_t at = 8 + static_cast<size_t>(m->position(0));
            spans.emplace_back(width(at), width(at + m->length(0)));
        }
        const Pixels drawn = DrawnByView();
        SetMarkedPattern(L"", 0);
        int marks = 0;
        for (int x = 0; x < kCanvasWidth; ++x) {
            bool marked = false, inSpan = false;
            for (int y = tm.tmHeight; y < 2 * tm.tmHeight; ++y)
                marked = marked || drawn.at(x, y) == PixelOf(COLOR_HIGHLIGHT);
            for (const auto& span : spans) inSpan = inSpan || (x >= span.first && x < span.second);
            ASSERT_EQ(marked, inSpan) << "column " << x;
            marks += marked && (x == 0 || drawn.at(x - 1, tm.tmHeight) != PixelOf(COLOR_HIGHLIGHT));
        }
        EXPECT_EQ(marks, static_cast<int>(spans.size()));
        UseResultsFontAndColors(original, CurrentViewColors());
        DeleteObject(font);
    }
}

// Text indexed as it comes, piece after piece, is indexed as the whole.
TEST(LineIndexing, PiecesIndexAsTheWhole) {
    const std::wstring text = L"a\r\nb\n\rc\r\rd\n\n\tlong line\r\n\r\nz";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        LineIndex pieces = IndexLines(text.data(), cut);
        ExtendLines(pieces, text.data(), text.size());
        const LineIndex whole = IndexLines(text.data(), text.size());
        EXPECT_EQ(pieces.starts, whole.starts) << cut;
        EXPECT_EQ(pieces.total, whole.total) << cut;
    }
}

// The preview's rows: numbered as an editor numbers them, the hit marked,
// a line cut at either end shown with "…" there, and the match's place in
// the text to select, wherever the lines were cut.
TEST(PreviewRows, NumbersCutsAndTheMatchesPlace) {
    const std::wstring longLine(kPreviewLineUnits + 1, L'x');  // one unit more: it goes on
    const struct {
        std::wstring lines;
        int first, hit, fromUnit, matchStart, matchLength;
        std::wstring text;
        int selectFrom, selectTo;
    } cases[] = {
        {L"a\r\nb hit\r\n", 9, 10, 0, 2, 3, L" 9  a\r\n10> b hit", 13, 16},
        {longLine + L"\r\n", 1, 1, 0, 498, 5,
         L"1> " + std::wstring(kPreviewLineUnits, L'x') + L"…", 3 + 498, 3 + kPreviewLineUnits},
        {L"\r\nyz\r\n", 7, 8, 600, 601, 1, L"7  \r\n8> …yz", 10, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        const PreviewShown shown =
            ComposePreview(c.lines, c.first, c.hit, c.fromUnit, c.matchStart, c.matchLength);
        EXPECT_EQ(shown.text, c.text);
        EXPECT_EQ(shown.selectFrom, c.selectFrom);
        EXPECT_EQ(shown.selectTo, c.selectTo);
    }
    EXPECT_EQ(PreviewFromUnit(10, 5), 0);
    EXPECT_EQ(PreviewFromUnit(600, 5), 500);
}

}  // namespace
