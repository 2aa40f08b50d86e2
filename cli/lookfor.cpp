// lookfor START RESULTS PATTERN1 PATTERN2 [--time]
// Runs one search with FnLookFor, prints its status text where a person can
// read it (console_out.h) and exits with 0 on success, 1 on failure (2 on
// wrong usage). --time adds the seconds FnLookFor took and the process's
// peak working set, as bench/floor.exe reports its own.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cwchar>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "console_out.h"

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
        WriteOut(STD_ERROR_HANDLE, L"usage: lookfor [--time] START RESULTS PATTERN1 PATTERN2\n");
        return 2;
    }
    wchar_t statusText[TESSUMI_STATUS_TEXT_UNITS];
    auto start = std::chrono::steady_clock::now();
    int ok = FnLookFor(args[0], args[1], args[2], args[3], statusText);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::wstring out = statusText;
    out += L"\n";
    if (timed) {
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof(pmc);
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
        wchar_t figures[96];
        swprintf(figures, 96, L"seconds: %.3f\npeak_working_set_mb: %.1f\n", seconds,
                 pmc.PeakWorkingSetSize / (1024.0 * 1024.0));
        out += figures;
    }
    WriteOut(STD_OUTPUT_HANDLE, out);
    return ok ? 0 : 1;
}
