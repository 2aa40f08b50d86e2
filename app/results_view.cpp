// The results view: holds the results text, draws it as it is and scrolls it
// with its scroll bars and the mouse wheel.
#include "results_view.h"

#include <algorithm>

#include "gdi_owners.h"
#include "main_window.h"
#include "resources/resource_ids.h"

namespace {

// WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL with SS_BLACKRECT |
// SS_REALSIZECONTROL | SS_NOPREFIX.
const DWORD kResultsViewStyle = 0x503000C4;
// Lines break at CR LF; no wrapping; "&" is an ordinary character; tabs go
// to the next tab stop.
const UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;
// The window-frame colour, which SS_BLACKRECT stands for.
const int kFillColour = COLOR_WINDOWFRAME;
const wchar_t kByteOrderMark = 0xFEFF;

// ResultsText: a SubReadText buffer in raw mode and its size in bytes.
wchar_t* g_text = nullptr;
int g_bytes = 0;

struct Scroll {
    POINT pos{};      // top-left corner of the text shown, in pixels
    SIZE extent{};    // the whole text, in pixels
    SIZE line{1, 1};  // one line down, one average character across
};
Scroll g_scroll;

WNDPROC g_staticProc = nullptr;

// What is drawn of the held text: its UTF-16 units without the byte-order
// mark; an odd last byte is no unit.
struct Visible {
    const wchar_t* units;
    int count;
};

Visible VisibleText() {
    if (!g_text) return {nullptr, 0};
    Visible v{g_text, g_bytes / 2};
    if (v.count > 0 && v.units[0] == kByteOrderMark) {
        ++v.units;
        --v.count;
    }
    return v;
}

// Measures the text and the scroll steps with the font the drawing uses: the
// device context's default.
void MeasureText(HWND view) {
    WindowDC dc(view);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    g_scroll.line = {std::max(1L, tm.tmAveCharWidth), std::max(1L, tm.tmHeight)};
    g_scroll.extent = {0, 0};
    Visible v = VisibleText();
    if (v.count == 0) return;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.get(), v.units, v.count, &r, kTextFormat | DT_CALCRECT);
    g_scroll.extent = {r.right - r.left, r.bottom - r.top};
}

SIZE ViewSize(HWND view) {
    RECT client{};
    GetClientRect(view, &client);
    return {client.right, client.bottom};
}

// Keeps the position inside the text and shows range, page and position on
// both bars; the bars stay visible, disabled, while everything fits.
void UpdateScrollBars(HWND view) {
    SIZE page = ViewSize(view);
    g_scroll.pos.x = std::clamp(g_scroll.pos.x, 0L, std::max(0L, g_scroll.extent.cx - page.cx));
    g_scroll.pos.y = std::clamp(g_scroll.pos.y, 0L, std::max(0L, g_scroll.extent.cy - page.cy));
    const struct {
        int bar;
        LONG extent, page, pos;
    } bars[] = {{SB_HORZ, g_scroll.extent.cx, page.cx, g_scroll.pos.x},
                {SB_VERT, g_scroll.extent.cy, page.cy, g_scroll.pos.y}};
    for (const auto& b : bars) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = std::max(0L, b.extent - 1);
        si.nPage = static_cast<UINT>(std::max(0L, b.page));
        si.nPos = b.pos;
        SetScrollInfo(view, b.bar, &si, TRUE);
    }
}

void ScrollTo(HWND view, LONG x, LONG y) {
    POINT before = g_scroll.pos;
    g_scroll.pos = {x, y};
    UpdateScrollBars(view);
    if (g_scroll.pos.x != before.x || g_scroll.pos.y != before.y) RedrawResultsView();
}

// New position on one bar for a WM_HSCROLL or WM_VSCROLL request.
LONG BarTarget(HWND view, int bar, WORD request) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(view, bar, &si);
    LONG line = bar == SB_VERT ? g_scroll.line.cy : g_scroll.line.cx;
    LONG pos = bar == SB_VERT ? g_scroll.pos.y : g_scroll.pos.x;
    LONG page = std::max(1L, static_cast<LONG>(si.nPage));
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
        ScrollTo(view, g_scroll.pos.x, target);
    else
        ScrollTo(view, target, g_scroll.pos.y);
}

LRESULT CALLBACK ResultsViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
    case WM_SIZE: {
        LRESULT result = CallWindowProcW(g_staticProc, hwnd, message, wParam, lParam);
        UpdateScrollBars(hwnd);
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
    UpdateScrollBars(view);
    return view;
}

bool HasResultsText() { return g_text != nullptr; }

void ReleaseResultsText() {
    delete[] g_text;
    g_text = nullptr;
    g_bytes = 0;
}

void ReplaceResultsText(wchar_t* text, int bytes) {
    ReleaseResultsText();
    g_text = text;
    g_bytes = text ? std::max(0, bytes) : 0;
    g_scroll.pos = {0, 0};
    g_scroll.extent = {0, 0};
    HWND view = ResultsView();
    if (!view) return;
    MeasureText(view);
    UpdateScrollBars(view);
    RedrawResultsView();
}

void DrawResultsText(HDC dc, const RECT& rect) {
    SavedDCState saved(dc);
    // A static control's device context may clip to its parent: keep to rect.
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    // The fill wipes out what the previous scroll position left.
    FillRect(dc, &rect, GetSysColorBrush(kFillColour));
    Visible v = VisibleText();
    if (v.count == 0) return;
    RECT textRect{-g_scroll.pos.x, -g_scroll.pos.y, rect.right, rect.bottom};
    DrawTextW(dc, v.units, v.count, &textRect, kTextFormat);
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
    if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(ViewSize(view).cy / g_scroll.line.cy);
    LONG delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (message == WM_MOUSEWHEEL) {
        // Wheel forward (positive) moves the text down, showing earlier lines.
        LONG step = -delta * static_cast<LONG>(lines) * g_scroll.line.cy / WHEEL_DELTA;
        ScrollTo(view, g_scroll.pos.x, g_scroll.pos.y + step);
    } else {
        LONG step = delta * 3 * g_scroll.line.cx / WHEEL_DELTA;  // tilt right: further right
        ScrollTo(view, g_scroll.pos.x + step, g_scroll.pos.y);
    }
}
