// big_file START RESULTS PATTERN2 [STOP_AFTER_SECONDS [THREADS]]
// One search run through Tessumi.dll, as lookfor makes it, for the big-file
// benchmarks (bench/big_file.sh, bench/many_hits.sh): prints the run's
// result, its seconds, its records, the process's peak private memory
// (PeakPagefileUsage) and peak working set, and the longest gap between two
// progress calls. With STOP_AFTER_SECONDS (a negative number for none),
// another thread asks for a stop that long after the start, as a Stop
// button or Ctrl+C does, and the milliseconds from the request to the run's
// return are printed. THREADS is TessumiOptions::threads (default 0).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Tessumi.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
using Clock = std::chrono::steady_clock;

std::atomic<bool> stopAsked{false};
Clock::time_point askedAt;
Clock::time_point seenAt;  // the callback's first answer of 0
Clock::time_point lastCall;
double longestGapMs = 0;   // between two calls of the callback
long long records = 0;     // as the last call told

int CALLBACK OnProgress(long long, long long hits, const wchar_t*, void*) {
    const Clock::time_point now = Clock::now();
    records = hits;
    if (lastCall != Clock::time_point())
        longestGapMs = std::max(longestGapMs,
                                std::chrono::duration<double, std::milli>(now - lastCall).count());
    lastCall = now;
    if (!stopAsked.load()) return 1;
    if (seenAt == Clock::time_point()) seenAt = now;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc > 6) {
        fputs("usage: big_file START RESULTS PATTERN2 [STOP_AFTER_SECONDS [THREADS]]\n", stderr);
        return 2;
    }
    const double stopAfter = argc >= 5 ? _wtof(argv[4]) : -1;
    TessumiOptions options = {};
    options.size = sizeof options;
    options.threads = argc == 6 ? _wtoi(argv[5]) : 0;
    wchar_t status[1024] = L"";
    const Clock::time_point start = Clock::now();
    std::thread stopper;
    if (stopAfter >= 0) {
        stopper = std::thread([&] {
            std::this_thread::sleep_until(start + std::chrono::duration<double>(stopAfter));
            askedAt = Clock::now();
            stopAsked = true;
        });
    }
    const int result = FnLookForOptions(argv[1], argv[2], L"", argv[3], &options, OnProgress,
                                        nullptr, nullptr, status);
    const Clock::time_point end = Clock::now();
    if (stopper.joinable()) stopper.join();

    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                         sizeof(pmc));
    printf("result: %d\nrecords: %lld\n", result, records);
    printf("seconds: %.3f\n", std::chrono::duration<double>(end - start).count());
    printf("peak_private_mb: %.1f\npeak_working_set_mb: %.1f\n", pmc.PeakPagefileUsage / kMiB,
           pmc.PeakWorkingSetSize / kMiB);
    if (stopAfter >= 0) {
        printf("stop_asked_at: %.3f\n", std::chrono::duration<double>(askedAt - start).count());
        printf("stop_latency_ms: %.1f\n",
               stopAsked ? std::chrono::duration<double, std::milli>(end - askedAt).count() : -1.0);
        printf("stop_seen_after_ms: %.1f\n",
               std::chrono::duration<double, std::milli>(seenAt - askedAt).count());
    }
    printf("longest_gap_ms: %.1f\n", longestGapMs);
    return 0;
}
