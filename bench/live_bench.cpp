// What showing records as they come costs a search, and how it feels: the
// main window's own code, linked in, runs the search as its command does
// (the view following the results file as it grows), in rounds with the
// same search and no view (FnLookForOptions on a thread of its own, with a
// callback that keeps the counts, the window idle meanwhile) and with no
// window at all (lookfor.exe, a whole process, with the window's default
// options), the order turning from round to round, so all share the
// machine's pace and a warm cache. While the window runs, another thread
// looks every 5 ms at the results file (its first record written) and at
// the view (its first record shown), and sends the window WM_NULL every
// 10 ms, timing the answer.
//
// usage: live_bench START RESULTS PATTERN1 PATTERN2 LOOKFOR [ROUNDS]
// Prints one line a round and the medians: seconds of each, the ratios of
// the window's run to the others, the first record's delay and the longest
// WM_NULL.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "thread_time.h"
#include "main_window.h"
#include "results_view.h"
#include "search_command.h"
#include "search_conditions.h"
#include "search_worker.h"
#include "settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

int CALLBACK KeepCounts(long long files, long long hits, const wchar_t*, void* context) {
    auto* counts = static_cast<long long*>(context);
    counts[0] = files;
    counts[1] = hits;
    return 1;
}

struct BareJob {
    const SearchConditions* c;
    long long counts[2] = {};
};

DWORD WINAPI BareSearch(void* parameter) {
    auto* job = static_cast<BareJob*>(parameter);
    const SearchConditions& c = *job->c;
    TessumiOptions options{};
    options.size = sizeof(options);
    options.flags = OptionFlags(c.options);
    options.excludedFolders = c.options.excludedFolders.c_str();
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!FnLookForOptions(c.startFolder.c_str(), c.resultsFile.c_str(), c.pattern1.c_str(),
                          c.pattern2.c_str(), &options, KeepCounts, nullptr, job->counts, status))
        std::fwprintf(stderr, L"bare run failed: %ls\n", status);
    return 0;
}

// Waits for a handle while the window's messages are handled.
void WaitPumping(HANDLE h) {
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

double BareRun(const SearchConditions& c) {
    BareJob job{&c};
    const auto t0 = Clock::now();
    HANDLE thread = CreateThread(nullptr, 0, BareSearch, &job, 0, nullptr);
    WaitPumping(thread);
    CloseHandle(thread);
    return Since(t0);
}

double LookforRun(const std::wstring& lookfor, const SearchConditions& c) {
    std::wstring command = L"\"" + lookfor + L"\" \"" + c.startFolder + L"\" \"" + c.resultsFile +
                           L"\" \"" + c.pattern1 + L"\" \"" + c.pattern2 +
                           L"\" --binary-skip --keep-going \"--exclude=" + c.options.excludedFolders + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const auto t0 = Clock::now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "lookfor did not start\n");
        return 0;
    }
    WaitPumping(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return Since(t0);
}

// The watcher's findings over one window run.
struct Watch {
    HWND window = nullptr;
    HWND view = nullptr;
    std::wstring results;
    Clock::time_point start;
    std::atomic<bool> done{false};
    double written = -1;  // seconds from the start: a record in the file
    double shown = -1;    // and in the view
    double longestNull = 0;
    int lateNulls = 0;  // answers later than 50 ms
    double windowThreadSeconds = 0;  // processor time of the window's thread in the run
};

DWORD WINAPI Watcher(void* parameter) {
    auto* w = static_cast<Watch*>(parameter);
    auto nextNull = Clock::now();
    while (!w->done.load()) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (w->written < 0 && GetFileAttributesExW(w->results.c_str(), GetFileExInfoStandard, &data) &&
            (data.nFileSizeHigh > 0 || data.nFileSizeLow > 2))
            w->written = Since(w->start);
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE;
        if (w->shown < 0 && GetScrollInfo(w->view, SB_VERT, &si) && si.nMax >= 1)
            w->shown = Since(w->start);
        if (Clock::now() >= nextNull) {
            const auto t0 = Clock::now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(w->window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            const double ms = 1000 * Since(t0);
            w->longestNull = std::max(w->longestNull, ms);
            w->lateNulls += ms > 50;
            nextNull = Clock::now() + std::chrono::milliseconds(10);
        }
        Sleep(5);
    }
    return 0;
}

double WindowRun(HWND window, Watch& watch) {
    ReplaceResultsText(nullptr, 0);  // the view starts empty, as after a first start
    const double cpu = ThreadSeconds();
    watch.start = Clock::now();
    HANDLE watcher = CreateThread(nullptr, 0, Watcher, &watch, 0, nullptr);
    if (!StartSearchRun(window)) std::fprintf(stderr, "the window's run did not start\n");
    MSG msg;
    while (SearchWorkerRunning() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const double seconds = Since(watch.start);  // the end handled: the view holds the file
    watch.windowThreadSeconds = ThreadSeconds() - cpu;
    watch.done.store(true);
    WaitPumping(watcher);  // it may be waiting for an answer to its WM_NULL
    CloseHandle(watcher);
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: live_bench START RESULTS PATTERN1 PATTERN2 LOOKFOR [ROUNDS]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int rounds = argc > 6 ? std::max(1, _wtoi(argv[6])) : 6;
    settings::UseIniFile(std::wstring(argv[2]) + L".ini");  // not the program's own
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterMainWindowClass(instance)) return 3;
    HWND window = CreateMainWindow(instance);
    if (!window) return 4;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SearchConditions& c = TheSearchConditions();
    c.startFolder = argv[1];
    c.resultsFile = argv[2];
    c.pattern1 = argv[3];
    c.pattern2 = argv[4];
    c.options = SearchOptions{};
    const std::wstring lookfor = argv[5];

    std::vector<double> toBare, toLookfor, windowed, bare, whole, firsts, nulls;
    for (int round = 0; round < rounds; ++round) {
        Watch watch;
        watch.window = window;
        watch.view = ResultsView();
        watch.results = c.resultsFile;
        double w = 0, b = 0, l = 0;
        for (int turn = 0; turn < 3; ++turn) {
            DeleteFileW(c.resultsFile.c_str());
            switch ((turn + round) % 3) {
            case 0: w = WindowRun(window, watch); break;
            case 1: b = BareRun(c); break;
            default: l = LookforRun(lookfor, c); break;
            }
        }
        const double first = 1000 * (watch.shown - watch.written);
        std::printf("round %d: window %.3f s, no view %.3f s, lookfor %.3f s; first record shown "
                    "%.0f ms after written, longest WM_NULL %.1f ms (%d over 50 ms), window's thread busy "
                    "%.3f s\n",
                    round + 1, w, b, l, first, watch.longestNull, watch.lateNulls,
                    watch.windowThreadSeconds);
        toBare.push_back(w / b);
        toLookfor.push_back(w / l);
        windowed.push_back(w);
        bare.push_back(b);
        whole.push_back(l);
        firsts.push_back(first);
        nulls.push_back(watch.longestNull);
    }
    std::printf("window_seconds_median: %.3f\nno_view_seconds_median: %.3f\n"
                "lookfor_seconds_median: %.3f\nwindow_to_no_view_median_ratio: %.3f\n"
                "window_to_lookfor_median_ratio: %.3f\nfirst_record_delay_ms_median: %.0f\n"
                "first_record_delay_ms_max: %.0f\nlongest_null_ms_median: %.1f\n"
                "longest_null_ms_max: %.1f\n",
                Median(windowed), Median(bare), Median(whole), Median(toBare), Median(toLookfor),
                Median(firsts), *std::max_element(firsts.begin(), firsts.end()), Median(nulls),
                *std::max_element(nulls.begin(), nulls.end()));
    DestroyWindow(window);
    return 0;
}
