// lookfor START RESULTS PATTERN1 PATTERN2 [--time]
// Runs one search, prints its status text as UTF-8 and exits with 0 on
// success, 1 on failure or when Ctrl+C stopped it (2 on wrong usage). While
// it runs, its progress shows on one line of stderr if that is a console.
// --time adds the seconds the search took and the process's peak working
// set, as bench/floor.exe reports its own.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "console_progress.h"

namespace {

void PrintUtf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool timed = false;
    std::vector<const wchar_t*> args;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--time") == 0)
            timed = true;
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 4) {
        fputs("usage: lookfor [--time] START RESULTS PATTERN1 PATTERN2\n", stderr);
        return 2;
    }
    wchar_t statusText[TESSUMI_STATUS_TEXT_UNITS];
    auto start = std::chrono::steady_clock::now();
    WatchForCtrlC();
    int ok = FnLookForProgress(args[0], args[1], args[2], args[3], ShowConsoleProgress, nullptr,
                               statusText);
    EndConsoleProgress();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PrintUtf8(statusText);
    fputs("\n", stdout);
    if (timed) {
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof(pmc);
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
        printf("seconds: %.3f\npeak_working_set_mb: %.1f\n", seconds,
               pmc.PeakWorkingSetSize / (1024.0 * 1024.0));
    }
    fflush(stdout);
    return ok ? 0 : 1;
}
