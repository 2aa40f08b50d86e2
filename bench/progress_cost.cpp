// What progress reporting costs a search run: FnLookFor (no callback)
// against FnLookForProgress with a callback that does what the window
// program's does (a lock, the counts and the folder copied) and composes a
// progress text as the status bar shows it. The two run in pairs, in
// alternating order, in one process, so both share the machine's pace and a
// warm cache; the cost is the median of the pairs' ratios, of wall-clock
// time and of this thread's processor time (which other work on a busy
// machine disturbs less). It also times the library's look at the clock,
// which a run makes at every folder entry and every 16 lines or 32,768 units
// of text.
//
// usage: progress_cost START RESULTS PATTERN2 [PAIRS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "thread_time.h"

namespace {

struct Shared {
    CRITICAL_SECTION lock;
    double inCallback = 0;  // seconds, all runs
    long long files = 0;
    long long hits = 0;
    std::wstring folder;
    std::wstring shown;
    long long calls = 0;
};

int CALLBACK OnProgress(long long files, long long hits, const wchar_t* folder, void* context) {
    auto t0 = std::chrono::steady_clock::now();
    auto* s = static_cast<Shared*>(context);
    EnterCriticalSection(&s->lock);
    s->files = files;
    s->hits = hits;
    s->folder = folder;
    LeaveCriticalSection(&s->lock);
    wchar_t lead[96];
    swprintf(lead, 96, L"検索中（%lld ファイル、%lld 件）", files, hits);
    s->shown = lead + s->folder;
    ++s->calls;
    s->inCallback += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return 1;
}

// Nanoseconds of one GetTickCount64 call, as the library makes it.
double ClockLookNs() {
    const int n = 10000000;
    volatile ULONGLONG sink = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) sink = sink + GetTickCount64();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() /
           n;
}

// Line feeds in a file: about its lines.
double LineFeeds(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    static char buffer[1 << 16];
    double n = 0;
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        n += static_cast<double>(std::count(buffer, buffer + got, '\n'));
    CloseHandle(h);
    return n;
}

// The most looks at the clock a run over folder can make: one for every
// entry of every folder listed, and inside a file one for every 16 lines or
// 32,768 units of text (a unit is at least one byte of the file).
void CountLooks(const std::wstring& folder, double& looks) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        looks += 1;
        std::wstring name = d.cFileName;
        std::wstring path = folder + L"\\" + name;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..") CountLooks(path, looks);
        } else {
            looks += (static_cast<double>(d.nFileSizeHigh) * 4294967296.0 + d.nFileSizeLow) /
                         32768.0 +
                     (LineFeeds(path) + 1) / 16.0 + 1;
        }
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        fputs("usage: progress_cost START RESULTS PATTERN2 [PAIRS]\n", stderr);
        return 2;
    }
    const int pairs = argc > 4 ? _wtoi(argv[4]) : 7;
    Shared shared;
    InitializeCriticalSection(&shared.lock);
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];

    double cpu = 0;  // the last run's processor time
    auto timed = [&](bool withProgress) {
        const double c0 = ThreadSeconds();
        auto t0 = std::chrono::steady_clock::now();
        int ok = withProgress ? FnLookForProgress(argv[1], argv[2], L"", argv[3], OnProgress,
                                                  &shared, status)
                              : FnLookFor(argv[1], argv[2], L"", argv[3], status);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu = ThreadSeconds() - c0;
        if (!ok) {
            fputs("progress_cost: a run failed\n", stderr);
            exit(1);
        }
        return s;
    };

    timed(false);  // warms the cache
    std::vector<double> plain, reported, ratios, cpuRatios;
    double cpuPlain = 0, cpuReported = 0;  // sums: 10 ms steps average out
    for (int i = 0; i < pairs; ++i) {
        // A B, then B A: a drift of the machine's pace within a pair falls
        // on both sides alike over two pairs.
        double a, b, ca, cb;
        if (i % 2 == 0) {
            a = timed(false);
            ca = cpu;
            b = timed(true);
            cb = cpu;
        } else {
            b = timed(true);
            cb = cpu;
            a = timed(false);
            ca = cpu;
        }
        cpuRatios.push_back(cb / ca);
        cpuPlain += ca;
        cpuReported += cb;
        plain.push_back(a);
        reported.push_back(b);
        ratios.push_back(b / a);
        fprintf(stderr, "pair %d: %.3f s plain, %.3f s with progress (processor %.3f, %.3f)\n",
                i + 1, a, b, ca, cb);
    }
    double looks = 0;
    CountLooks(argv[1], looks);
    const double lookNs = ClockLookNs();
    const double bound = (looks * lookNs * 1e-9 + shared.inCallback / (pairs + 0.0)) /
                         Median(plain) * 100;
    printf("most_looks_per_run: %.0f\ncallback_ms_per_run: %.3f\nbound_percent: %.4f\n", looks,
           shared.inCallback / pairs * 1000, bound);
    printf("pairs: %d\nplain_median_s: %.3f\nprogress_median_s: %.3f\n"
           "paired_ratio_median: %.4f\ncost_percent: %.2f\ncpu_cost_percent: %.2f\n"
           "cpu_total_cost_percent: %.2f\ncallbacks_per_run: %lld\nclock_look_ns: %.1f\n",
           pairs, Median(plain), Median(reported), Median(ratios), (Median(ratios) - 1) * 100,
           (Median(cpuRatios) - 1) * 100, (cpuReported / cpuPlain - 1) * 100, shared.calls / pairs,
           lookNs);
    DeleteCriticalSection(&shared.lock);
    return 0;
}
