// Times the results view on a big results file: the main window's own code,
// linked into this program, loads the file as the search command does and
// draws it, then scrolls it step by step.
//
// usage: view_bench RESULTS_FILE [--whole] [--mark=PATTERN]
// Prints "name: value" lines (milliseconds unless named otherwise). With
// --whole it also times one measuring of the whole text by the platform's
// text drawing, which every take and every draw cost when the whole text
// was drawn. With --mark the steps are timed twice more, side by side, the
// view marking PATTERN's match in each line it draws (as after the search
// that wrote the file) and not, in turns (A B B A); the ratio of the medians
// of all steps is printed. Last, a text of its own with a 3,000,000-character
// line (a minified script) in view, PATTERN marked in it: the first drawing,
// which measures the line and finds its matches once, then 20 steps each of
// a line down and up, a character across and the line's end and start.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "main_window.h"
#include "record_marks.h"

namespace {

const int kSteps = 100;
const int kRawBytes = 0;

double Now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One scroll request handled to its end, the drawing flushed to the screen.
double TimedStep(HWND view, UINT message, WPARAM request) {
    double t0 = Now();
    SendMessageW(view, message, request, 0);
    GdiFlush();
    return Now() - t0;
}

void Report(const char* name, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s_median: %.2f\n%s_max: %.2f\n", name, ms[ms.size() / 2], name, ms.back());
}

// The view on a text with one 3,000,000-character hit line among short
// records, the line in view all along.
void LongLineSteps(HWND view, const std::wstring& mark) {
    const std::wstring shortRecord = L"C:\\src\\a.js\r\n\t(1)===>var a = 1; #define\r\n";
    std::wstring text = L"\xFEFF";
    for (int i = 0; i < 2; ++i) text += shortRecord;
    text += L"C:\\src\\bundle.min.js\r\n\t(1)===>";
    const std::wstring piece = L"function f(a){return a+1};var s=\"#define\";\t";
    while (text.size() < 3000000) text += piece;
    text += L"\r\n";
    for (int i = 0; i < 40; ++i) text += shortRecord;
    wchar_t* buffer = new wchar_t[text.size()];
    std::copy(text.begin(), text.end(), buffer);
    SetMarkedPattern(mark.empty() ? L"#define" : mark, 0);
    double t0 = Now();
    ReplaceResultsText(buffer, static_cast<int>(text.size() * 2));
    GdiFlush();
    std::printf("long_line_first_draw: %.1f\n", Now() - t0);
    std::vector<double> downUp, across, ends;
    for (int i = 0; i < 10; ++i) {
        downUp.push_back(TimedStep(view, WM_VSCROLL, SB_LINEDOWN));
        downUp.push_back(TimedStep(view, WM_VSCROLL, SB_LINEUP));
    }
    for (int i = 0; i < 20; ++i) across.push_back(TimedStep(view, WM_HSCROLL, SB_LINEDOWN));
    for (int i = 0; i < 10; ++i) {
        ends.push_back(TimedStep(view, WM_HSCROLL, SB_BOTTOM));
        ends.push_back(TimedStep(view, WM_HSCROLL, SB_TOP));
    }
    Report("long_line_down_up_step", downUp);
    Report("long_line_across_step", across);
    Report("long_line_end_start_step", ends);
    SetMarkedPattern(L"", 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: view_bench RESULTS_FILE\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // every figure out at once
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterMainWindowClass(instance)) return 3;
    HWND window = CreateMainWindow(instance);
    if (!window) return 4;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    Pump();
    HWND view = ResultsView();
    const wchar_t kMark[] = L"--mark=";
    std::wstring mark;
    for (int i = 2; i < argc; ++i)
        if (std::wcsncmp(argv[i], kMark, std::wcslen(kMark)) == 0) mark = argv[i] + std::wcslen(kMark);

    // From the end of the run to the first screen: load, index, draw.
    double t0 = Now();
    wchar_t* text = nullptr;
    int bytes = 0;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!SubReadText(argv[1], &text, &bytes, kRawBytes, status)) {
        std::fwprintf(stderr, L"load failed: %ls\n", status);
        return 5;
    }
    double loaded = Now();
    ReplaceResultsText(text, bytes);  // indexes and draws at once
    GdiFlush();
    double drawn = Now();
    Pump();  // the paints the new text caused
    GdiFlush();
    double painted = Now();

    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(view, SB_VERT, &si);
    std::printf("bytes: %d\nlines: %d\nlines_in_view: %u\n", bytes, si.nMax + 1, si.nPage);
    std::printf("load: %.1f\nindex_and_first_draw: %.1f\nfirst_screen: %.1f\n", loaded - t0,
                drawn - loaded, painted - t0);

    std::vector<double> lines, pages, ends, across;
    for (int i = 0; i < kSteps; ++i) lines.push_back(TimedStep(view, WM_VSCROLL, SB_LINEDOWN));
    for (int i = 0; i < kSteps; ++i) pages.push_back(TimedStep(view, WM_VSCROLL, SB_PAGEDOWN));
    for (int i = 0; i < kSteps / 2; ++i) {
        ends.push_back(TimedStep(view, WM_VSCROLL, SB_BOTTOM));
        ends.push_back(TimedStep(view, WM_VSCROLL, SB_TOP));
    }
    for (int i = 0; i < kSteps; ++i) across.push_back(TimedStep(view, WM_HSCROLL, SB_LINEDOWN));
    Report("line_step", lines);
    Report("page_step", pages);
    Report("top_bottom_step", ends);
    Report("across_step", across);

    if (!mark.empty()) {
        std::vector<double> plain, marked;
        for (int turn = 0; turn < 4; ++turn) {
            const bool marking = turn == 1 || turn == 2;
            SetMarkedPattern(marking ? mark : L"", 0);
            std::vector<double>& into = marking ? marked : plain;
            SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
            for (int i = 0; i < kSteps; ++i) into.push_back(TimedStep(view, WM_VSCROLL, SB_LINEDOWN));
            for (int i = 0; i < kSteps; ++i) into.push_back(TimedStep(view, WM_VSCROLL, SB_PAGEDOWN));
        }
        Report("plain_step", plain);
        Report("marked_step", marked);
        std::sort(plain.begin(), plain.end());
        std::sort(marked.begin(), marked.end());
        std::printf("marked_to_plain_median_ratio: %.2f\n",
                    marked[marked.size() / 2] / plain[plain.size() / 2]);
    }

    bool whole = false;
    for (int i = 2; i < argc; ++i) whole = whole || std::wcscmp(argv[i], L"--whole") == 0;
    if (whole) {
        HDC dc = GetDC(view);
        RECT r{0, 0, 0, 0};
        const wchar_t* units = text + 1;  // after the byte-order mark
        double w0 = Now();
        DrawTextW(dc, units, bytes / 2 - 1, &r,
                  DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
        std::printf("whole_text_measure: %.1f\n", Now() - w0);
        ReleaseDC(view, dc);
    }
    LongLineSteps(view, mark);  // the results file's text is let go here
    DestroyWindow(window);
    Pump();
    return 0;
}
