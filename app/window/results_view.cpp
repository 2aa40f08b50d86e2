// The results view: holds the results text, draws the lines in view from a
// line index and scrolls it with its scroll bars, the wheel and the keys;
// a click selects the record under the pointer, a double-click or the
// context menu acts on it, and the keys reach the selected one.
#include "results_view.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <string>

#include "gdi_owners.h"
#include "hit_records.h"
#include "line_index.h"
#include "line_layout.h"
#include "main_window.h"
#include "preview_pane.h"
#include "record_actions.h"
#include "record_marks.h"
#include "resources/resource_ids.h"
#include "result_record.h"
#include "results_text.h"
#include "view_colors.h"

namespace {

// WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL with SS_BLACKRECT |
// SS_REALSIZECONTROL | SS_NOPREFIX.
const DWORD kResultsViewStyle = 0x503000C4;
const wchar_t kByteOrderMark = 0xFEFF;
// Lines longer than this are not measured for the horizontal range until
// they come into view: their columns times the average width stand in.
const int kMeasuredUnits = 1 << 16;

// Finding the matches of the lines a drawing brings into view takes at most
// this long; the rest are marked by the drawings that follow.
const ULONGLONG kMarksBudgetMs = 40;
// While the text grows, the scroll bars are drawn at most this often: a
// drawing of a bar takes 30 to 120 ms under Wine on a busy machine.
const ULONGLONG kBarsRedrawMs = 1000;
ULONGLONG g_barsDrawnAt = 0;

// ResultsText: a SubReadText buffer in raw mode, or the text growing as a
// search writes it.
ResultsText g_text;
// One drawing of a line: "&" is an ordinary character, tabs go to their
// stops, and only what shows of a long line is drawn.
LineLayout g_layout;

// What is drawn of the held text: its UTF-16 units without the byte-order
// mark; an odd last byte is no unit.
struct Visible {
    const wchar_t* units;
    size_t count;
};
Visible g_visible{nullptr, 0};
LineIndex g_lines;

// Vertically in lines, so no coordinate grows with the text; across in
// pixels.
struct Scroll {
    LONG top = 0;     // first line shown
    LONG x = 0;       // pixels scrolled to the left
    LONG width = 0;   // widest line known, in pixels
    SIZE step{1, 1};  // one average character across, one line down
};
Scroll g_scroll;

WNDPROC g_staticProc = nullptr;
// The main window's font for the view (null: the device context's default)
// and the colours: one fill behind the text everywhere, tab gaps included.
HFONT g_font = nullptr;
ViewColors g_colors{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};

// Selects the view's font into a device context for the scope's length.
class ViewFontSelected {
public:
    explicit ViewFontSelected(HDC dc)
        : dc_(dc), old_(g_font ? SelectObject(dc, g_font) : nullptr) {}
    ~ViewFontSelected() {
        if (old_) SelectObject(dc_, old_);
    }
    ViewFontSelected(const ViewFontSelected&) = delete;
    ViewFontSelected& operator=(const ViewFontSelected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The selected record's path line, or kNoRecord.
const LONG kNoRecord = -1;
LONG g_selected = kNoRecord;
// Where a Shift-extended selection started; kNoRecord for one record.
LONG g_anchor = kNoRecord;

Visible VisibleText() {
    if (!g_text.held()) return {nullptr, 0};
    Visible v{g_text.data(), g_text.bytes() / 2};
    if (v.count > 0 && v.units[0] == kByteOrderMark) {
        ++v.units;
        --v.count;
    }
    return v;
}

LONG LineCountOf() { return static_cast<LONG>(LineCount(g_lines)); }

LONG LineWidth(HDC dc, size_t line) {
    return g_layout.Width(dc, line, LineAt(g_lines, g_visible.units, line));
}

// A candidate for the widest line: measured, or when too long to measure
// before it shows, its columns at the average width.
LONG CandidateWidth(HDC dc, const std::pair<size_t, size_t>& candidate) {
    const LineText t = LineAt(g_lines, g_visible.units, candidate.second);
    if (t.count <= kMeasuredUnits) return LineWidth(dc, candidate.second);
    return static_cast<LONG>(std::min<size_t>(candidate.first * g_scroll.step.cx, LONG_MAX));
}

SIZE ViewSize(HWND view) {
    RECT client{};
    GetClientRect(view, &client);
    return {client.right, client.bottom};
}

// Whole lines that fit into the view; at least one.
LONG PageLines(HWND view) { return std::max(1L, ViewSize(view).cy / g_scroll.step.cy); }

// Keeps the position inside the text and shows range, page and position on
// both bars; the bars stay visible, disabled, while everything fits.
void UpdateScrollBars(HWND view, bool redraw = true) {
    const SIZE client = ViewSize(view);
    const LONG page = PageLines(view);
    g_scroll.top = std::clamp(g_scroll.top, 0L, std::max(0L, LineCountOf() - page));
    g_scroll.x = std::clamp(g_scroll.x, 0L, std::max(0L, g_scroll.width - client.cx));
    const struct {
        int bar;
        LONG extent, page, pos;
    } bars[] = {{SB_HORZ, g_scroll.width, client.cx, g_scroll.x},
                {SB_VERT, LineCountOf(), client.cy / g_scroll.step.cy, g_scroll.top}};
    for (const auto& b : bars) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = std::max(0L, b.extent - 1);
        si.nPage = static_cast<UINT>(std::max(0L, b.page));
        si.nPos = b.pos;
        // Setting a bar redraws it, which is slow under Wine: only a change.
        SCROLLINFO now{};
        now.cbSize = sizeof(now);
        now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        if (GetScrollInfo(view, b.bar, &now) && now.nMin == si.nMin && now.nMax == si.nMax &&
            now.nPage == si.nPage && now.nPos == si.nPos)
            continue;
        SetScrollInfo(view, b.bar, &si, redraw);
    }
}

// Widens the horizontal range to the lines in view: the widest lines are
// measured when a text is taken, the others only once they are seen.
void WidenToLinesInView(HWND view, bool redraw = true) {
    WindowDC dc(view);
    ViewFontSelected font(dc.get());
    const LONG end = std::min(LineCountOf(), g_scroll.top + PageLines(view) + 1);
    LONG widest = g_scroll.width;
    for (LONG line = g_scroll.top; line < end; ++line)
        widest = std::max(widest, LineWidth(dc.get(), static_cast<size_t>(line)));
    if (widest == g_scroll.width) return;
    g_scroll.width = widest;
    UpdateScrollBars(view, redraw);
}

// Widens the horizontal range to the widest candidates from line `from`
// on: those before it were measured when they came.
void WidenToCandidates(HWND view, size_t from = 0) {
    WindowDC dc(view);
    ViewFontSelected font(dc.get());
    for (const auto& candidate : g_lines.widest)
        if (candidate.second >= from)
            g_scroll.width = std::max(g_scroll.width, CandidateWidth(dc.get(), candidate));
}

// The steps and the width with the font the drawing uses.
void MeasureText(HWND view) {
    g_layout.Clear();
    {
        WindowDC dc(view);
        ViewFontSelected font(dc.get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.get(), &tm);
        g_scroll.step = {std::max(1L, tm.tmAveCharWidth), std::max(1L, tm.tmHeight)};
    }
    g_scroll.width = 0;
    WidenToCandidates(view);
}

void ScrollTo(HWND view, LONG x, LONG top) {
    const Scroll before = g_scroll;
    g_scroll.x = x;
    g_scroll.top = top;
    UpdateScrollBars(view);
    if (g_scroll.top != before.top) WidenToLinesInView(view);
    if (g_scroll.x != before.x || g_scroll.top != before.top) RedrawResultsView();
}

// New position on one bar for a WM_HSCROLL or WM_VSCROLL request.
LONG BarTarget(HWND view, int bar, WORD request) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(view, bar, &si);
    const bool vertical = bar == SB_VERT;
    const LONG line = vertical ? 1 : g_scroll.step.cx;
    const LONG pos = vertical ? g_scroll.top : g_scroll.x;
    const LONG page = std::max(1L, static_cast<LONG>(si.nPage));
    switch (request) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return si.nMax;  // clamped to the last page
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return si.nTrackPos;
    }
    return pos;
}

void ScrollByBar(HWND view, int bar, WORD request) {
    LONG target = BarTarget(view, bar, request);
    if (bar == SB_VERT)
        ScrollTo(view, g_scroll.x, target);
    else
        ScrollTo(view, target, g_scroll.top);
}

// The record under a point of the view's client area.
bool RecordAtPoint(POINT client, ResultRecord* record) {
    if (client.y < 0) return false;
    const LONG line = g_scroll.top + client.y / g_scroll.step.cy;
    return RecordAt(g_lines, g_visible.units, static_cast<size_t>(line), record);
}

bool SelectedRecord(ResultRecord* record) {
    return g_selected != kNoRecord &&
           RecordAt(g_lines, g_visible.units, static_cast<size_t>(g_selected), record);
}

// The preview follows the selection: the selected record's file, and where
// its first match lies in the hit line.
void PreviewSelection() {
    ResultRecord record;
    if (!SelectedRecord(&record)) {
        PreviewRecord(nullptr);
        return;
    }
    PreviewRequest request{record.path, record.number, 0, 0};
    const size_t hitLine = record.pathLine + 1;
    const LineText hit = LineAt(g_lines, g_visible.units, hitLine);
    const Matches& matches = MatchesInLine(hitLine, hit);
    if (!matches.empty()) {
        request.matchStart = matches.front().first - HitTextStart(hit);
        request.matchLength = matches.front().second;
    }
    PreviewRecord(&request);
}

// With extend (Shift held), the records from the first selected to this one.
void Select(LONG pathLine, bool extend = false) {
    const LONG anchor = extend && g_selected != kNoRecord && pathLine != kNoRecord
                            ? (g_anchor != kNoRecord ? g_anchor : g_selected)
                            : kNoRecord;
    if (pathLine == g_selected && anchor == g_anchor) return;
    g_anchor = anchor;
    g_selected = pathLine;
    RedrawResultsView();
    PreviewSelection();
}

// Scrolls as little as needed to show both lines of the record.
void ScrollRecordIntoView(HWND view, LONG pathLine) {
    const LONG page = PageLines(view);
    LONG top = g_scroll.top;
    if (pathLine < top) top = pathLine;
    if (pathLine + 2 > top + page) top = pathLine + 2 - page;
    ScrollTo(view, g_scroll.x, top);
}

void OnClick(HWND view, WPARAM wParam, LPARAM lParam) {
    // The keys act on the records again, wherever the focus was (the preview).
    SetFocus(GetParent(view));
    ResultRecord record;
    Select(RecordAtPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &record)
               ? static_cast<LONG>(record.pathLine)
               : kNoRecord,
           (wParam & MK_SHIFT) != 0);
}

void OnDoubleClick(HWND view, LPARAM lParam) {
    ResultRecord record;
    if (!RecordAtPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &record)) return;
    Select(static_cast<LONG>(record.pathLine));
    OpenRecordFile(GetParent(view), record.path, record.number);
}

// False when the menu asked for is not the text's (a scroll bar's).
bool OnContextMenu(HWND view, LPARAM lParam) {
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: the selected record's
        ShowSelectedRecordMenu();
        return true;
    }
    POINT client = screen;
    ScreenToClient(view, &client);
    RECT rect{};
    GetClientRect(view, &rect);
    if (!PtInRect(&rect, client)) return false;
    ResultRecord record;
    if (RecordAtPoint(client, &record)) {
        Select(static_cast<LONG>(record.pathLine));
        ShowRecordMenu(GetParent(view), screen, record.path, record.number);
    }
    return true;
}

LRESULT CALLBACK ResultsViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // A static control is transparent to the mouse and ignores presses
        // on its frame; the view must take the mouse, on its scroll bars and
        // its text alike, and let the scroll bars track it.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_VSCROLL:
        ScrollByBar(hwnd, SB_VERT, LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        ScrollByBar(hwnd, SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        ScrollResultsByWheel(message, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnClick(hwnd, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(hwnd, lParam);
        return 0;
    case WM_CONTEXTMENU:
        if (OnContextMenu(hwnd, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SIZE: {
        LRESULT result = CallWindowProcW(g_staticProc, hwnd, message, wParam, lParam);
        UpdateScrollBars(hwnd);
        WidenToLinesInView(hwnd);
        return result;
    }
    case WM_PAINT: {
        // Repaints of the view alone (when uncovered) show the text too, not
        // just a fill; and the fill is the same with or without a text.
        RECT rect{};
        GetClientRect(hwnd, &rect);
        PaintScope paint(hwnd);
        DrawResultsText(paint.get(), rect);
        return 0;
    }
    case WM_NCDESTROY: {
        WNDPROC original = g_staticProc;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    }
    return CallWindowProcW(g_staticProc, hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateResultsView(HWND parent, HINSTANCE instance) {
    HWND view = CreateWindowExW(0, L"static", nullptr, kResultsViewStyle, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_RESULTS_VIEW)),
                                instance, nullptr);
    if (!view) return nullptr;
    // The scroll bars of a window report to the window itself, so the static
    // control is subclassed to answer them.
    g_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultsViewProc)));
    g_scroll = Scroll{};
    MeasureText(view);
    UpdateScrollBars(view);
    return view;
}

bool HasResultsText() { return g_text.held(); }

void ReleaseResultsText() {
    const bool selected = g_selected != kNoRecord;
    g_text.Release();
    g_visible = {nullptr, 0};
    g_lines = LineIndex{};
    g_layout.Clear();
    ForgetMatches();
    g_selected = kNoRecord;
    g_anchor = kNoRecord;
    if (selected) PreviewRecord(nullptr);
}

namespace {

// A new text from its top-left corner, indexed, measured and drawn.
void ShowNewText() {
    g_visible = VisibleText();
    g_lines = IndexLines(g_visible.units, g_visible.count);
    g_scroll.top = 0;
    g_scroll.x = 0;
    g_scroll.width = 0;
    HWND view = ResultsView();
    if (!view) return;
    MeasureText(view);
    UpdateScrollBars(view);
    WidenToLinesInView(view);
    RedrawResultsView();
}

}  // namespace

void ReplaceResultsText(wchar_t* text, int bytes) {
    ReleaseResultsText();
    g_text.Adopt(text, bytes);
    ShowNewText();
}

void EndGrowingResultsText() {
    if (HWND view = ResultsView())
        RedrawWindow(view, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
}

bool StartGrowingResultsText() {
    ReleaseResultsText();
    const bool growing = g_text.StartGrowing();
    ShowNewText();
    return growing;
}

bool AppendResultsText(const wchar_t* units, size_t count) {
    if (count == 0) return true;
    if (!g_text.Append(units, count)) return false;
    const LONG linesBefore = LineCountOf();
    g_visible = VisibleText();
    ExtendLines(g_lines, g_visible.units, g_visible.count);
    HWND view = ResultsView();
    if (!view) return true;
    // The last line was cut again: it may have grown.
    WidenToCandidates(view, static_cast<size_t>(std::max(0L, linesBefore - 1)));
    // The bars are set at once, drawn once a second while the text grows.
    const ULONGLONG now = GetTickCount64();
    const bool redraw = now - g_barsDrawnAt >= kBarsRedrawMs;
    if (redraw) g_barsDrawnAt = now;
    UpdateScrollBars(view, redraw);
    // The position and the selection stay; only a change in view is drawn,
    // when the view paints: messages sent meanwhile are answered first.
    if (linesBefore - 1 < g_scroll.top + PageLines(view) + 1) {
        WidenToLinesInView(view, redraw);
        InvalidateRect(view, nullptr, FALSE);
    }
    return true;
}

void DrawResultsText(HDC dc, const RECT& rect) {
    SavedDCState saved(dc);
    // A static control's device context may clip to its parent: keep to rect.
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    // The fill wipes out what the previous scroll position left.
    SetDCBrushColor(dc, g_colors.fill);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (g_visible.count == 0) return;
    if (g_font) SelectObject(dc, g_font);  // undone with the saved state
    SetTextColor(dc, g_colors.text);
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const LONG lineHeight = std::max(1L, tm.tmHeight);
    const size_t count = LineCount(g_lines);
    // Only the lines in view, each where the whole text drawn from its first
    // line would put it.
    const LONG selectedTop = rect.top + (g_selected - g_scroll.top) * lineHeight;
    const RECT selectedRows{rect.left, selectedTop, rect.right, selectedTop + 2 * lineHeight};
    if (g_anchor != kNoRecord) {
        // The whole Shift-extended range behind the text, the frame on the
        // record moved to last.
        const LONG top = rect.top + (std::min(g_anchor, g_selected) - g_scroll.top) * lineHeight;
        const LONG bottom = rect.top + (std::max(g_anchor, g_selected) + 2 - g_scroll.top) * lineHeight;
        FillSelectedRows(dc, {rect.left, top, rect.right, bottom});
    } else if (g_selected != kNoRecord) {
        FillSelectedRows(dc, selectedRows);
    }
    LONG y = rect.top;
    const ULONGLONG deadline = GetTickCount64() + kMarksBudgetMs;
    bool marked = true;
    for (size_t line = static_cast<size_t>(g_scroll.top); line < count && y < rect.bottom;
         ++line, y += lineHeight) {
        LineText t = LineAt(g_lines, g_visible.units, line);
        if (t.count == 0) continue;
        const LONG lineLeft = rect.left - g_scroll.x;
        g_layout.Draw(dc, line, t, lineLeft, y, rect.left, rect.right);
        marked = DrawMatchMarks(dc, g_layout, line, t, lineLeft, y, y + lineHeight, rect.left,
                                rect.right, deadline) && marked;
    }
    if (g_selected != kNoRecord) FrameSelectedRows(dc, selectedRows);
    // The marks left out come with the next painting, after what waits.
    if (!marked && ResultsView()) InvalidateRect(ResultsView(), nullptr, FALSE);
}

void RedrawResultsView() {
    HWND view = ResultsView();
    if (!view) return;
    RECT rect{};
    GetClientRect(view, &rect);
    WindowDC dc(view);
    DrawResultsText(dc.get(), rect);
}

void ScrollResultsByWheel(UINT message, WPARAM wParam) {
    HWND view = ResultsView();
    if (!view) return;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(PageLines(view));
    LONG delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (message == WM_MOUSEWHEEL) {
        // Wheel forward (positive) moves the text down, showing earlier lines.
        LONG step = -delta * static_cast<LONG>(lines) / WHEEL_DELTA;
        ScrollTo(view, g_scroll.x, g_scroll.top + step);
    } else {
        LONG step = delta * 3 * g_scroll.step.cx / WHEEL_DELTA;  // tilt right: further right
        ScrollTo(view, g_scroll.x + step, g_scroll.top);
    }
}

bool ScrollResultsByKey(WPARAM virtualKey) {
    HWND view = ResultsView();
    if (!view) return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (virtualKey) {
    case VK_UP: ScrollByBar(view, SB_VERT, SB_LINEUP); return true;
    case VK_DOWN: ScrollByBar(view, SB_VERT, SB_LINEDOWN); return true;
    case VK_PRIOR: ScrollByBar(view, SB_VERT, SB_PAGEUP); return true;
    case VK_NEXT: ScrollByBar(view, SB_VERT, SB_PAGEDOWN); return true;
    case VK_LEFT: ScrollByBar(view, SB_HORZ, SB_LINEUP); return true;
    case VK_RIGHT: ScrollByBar(view, SB_HORZ, SB_LINEDOWN); return true;
    case VK_HOME:
        if (ctrl)
            ScrollTo(view, 0, 0);
        else
            ScrollByBar(view, SB_HORZ, SB_TOP);
        return true;
    case VK_END:
        if (ctrl)
            ScrollTo(view, 0, LineCountOf());  // clamped to the last page
        else
            ScrollByBar(view, SB_HORZ, SB_BOTTOM);
        return true;
    }
    return false;
}

void ShowSelectedRecordMenu() {
    HWND view = ResultsView();
    ResultRecord record;
    if (!view || !SelectedRecord(&record)) return;
    ScrollRecordIntoView(view, static_cast<LONG>(record.pathLine));
    // Below the record's hit line, as a list shows the menu of its item.
    const LONG row = static_cast<LONG>(record.pathLine) - g_scroll.top + 2;
    POINT screen{g_scroll.step.cx, row * g_scroll.step.cy};
    ClientToScreen(view, &screen);
    ShowRecordMenu(GetParent(view), screen, record.path, record.number);
}

void OpenSelectedRecord() {
    HWND view = ResultsView();
    ResultRecord record;
    if (view && SelectedRecord(&record)) OpenRecordFile(GetParent(view), record.path, record.number);
}

bool ActOnRecordByKey(WPARAM virtualKey) {
    HWND view = ResultsView();
    if (!view) return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (virtualKey == VK_RETURN) {
        OpenSelectedRecord();
        return true;
    }
    if (!ctrl || (virtualKey != VK_DOWN && virtualKey != VK_UP)) return false;
    MoveRecordSelection(virtualKey == VK_DOWN, GetKeyState(VK_SHIFT) < 0);
    return true;
}

void MoveRecordSelection(bool forward, bool extend) {
    HWND view = ResultsView();
    if (!view) return;
    ResultRecord record;
    // With none selected, the search starts just outside the lines in view.
    LONG from = g_selected;
    if (from == kNoRecord) from = forward ? g_scroll.top - 1 : g_scroll.top + PageLines(view);
    bool found = false;
    if (from < 0) {
        found = RecordAt(g_lines, g_visible.units, 0, &record) && record.pathLine == 0;
        if (!found) from = 0;
    }
    if (!found)
        found = AdjacentRecord(g_lines, g_visible.units, static_cast<size_t>(from), forward,
                               LineCount(g_lines), &record);
    if (!found) return;
    Select(static_cast<LONG>(record.pathLine), extend);
    ScrollRecordIntoView(view, static_cast<LONG>(record.pathLine));
}

std::vector<HitRecord> SelectedHitRecords() {
    if (g_selected == kNoRecord) return {};
    const LONG first = g_anchor == kNoRecord ? g_selected : std::min(g_anchor, g_selected);
    const LONG last = g_anchor == kNoRecord ? g_selected : std::max(g_anchor, g_selected);
    return HitRecordsIn(g_lines, g_visible.units, static_cast<size_t>(first),
                        static_cast<size_t>(last));
}

std::vector<HitRecord> AllHitRecords() {
    return HitRecordsIn(g_lines, g_visible.units, 0, LineCount(g_lines));
}
void UseResultsFontAndColors(HFONT font, const ViewColors& colors) {
    g_font = font;
    g_colors = colors;
    HWND view = ResultsView();
    if (!view) return;
    MeasureText(view);
    UpdateScrollBars(view);
    WidenToLinesInView(view);
    InvalidateRect(view, nullptr, FALSE);
}

int ResultsLineHeight() { return g_scroll.step.cy; }

HFONT ResultsFont() { return g_font; }
