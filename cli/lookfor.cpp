// lookfor [OPTIONS] START RESULTS PATTERN1 PATTERN2
// Runs one search (FnLookForOptions) and exits as grep does: 0 when a line
// was found, 1 when none was, 2 on failure or wrong usage (and when Ctrl+C
// stopped the run). The status text of a run that went through goes to
// stdout, a failure text to stderr, where a person can read them
// (console_out.h); each folder, file or line passed by under --keep-going
// goes to stderr as it happens. While it runs, its progress shows on one
// line of stderr if that is a console. --time adds the seconds the search
// took, the process's peak working set, as bench/floor.exe reports its own,
// and its processor time. --help prints the usage (command_line.cpp).
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cwchar>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "command_line.h"
#include "console_out.h"
#include "console_progress.h"

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNothing = 1;
constexpr int kExitFailure = 2;

long long g_hits = 0;  // the run's records, as its last progress call told

int CALLBACK CountAndShowProgress(long long files, long long hits, const wchar_t* folder,
                                  void* context) {
    g_hits = hits;
    return ShowConsoleProgress(files, hits, folder, context);
}

// Room for any status text whole, the longest path's too.
constexpr int kStatusTextUnits = 32768;

// The reason comes alone: the place goes first.
int CALLBACK ShowSkipped(const wchar_t* path, const wchar_t* reason, void*) {
    EndConsoleProgress();
    WriteOut(STD_ERROR_HANDLE, std::wstring(path) + L": " + reason + L"\n");
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const CommandLine line = ReadCommandLine(argc, argv);
    if (line.help) {
        WriteOut(STD_OUTPUT_HANDLE, UsageText());
        return kExitFound;
    }
    if (!line.error.empty()) {
        WriteOut(STD_ERROR_HANDLE, line.error + L"\n" + UsageText());
        return kExitFailure;
    }
    const std::vector<const wchar_t*>& args = line.positional;
    TessumiOptions options = {sizeof(TessumiOptions), line.flags,
                              line.excludedFolders.c_str(), line.threads, kStatusTextUnits};
    std::vector<wchar_t> statusText(kStatusTextUnits, L'\0');
    auto start = std::chrono::steady_clock::now();
    WatchForCtrlC();
    int ok = FnLookForOptions(args[0], args[1], args[2], args[3], &options,
                              CountAndShowProgress, ShowSkipped, nullptr, statusText.data());
    EndConsoleProgress();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::wstring out = statusText.data();
    out += L"\n";
    if (!ok) {
        WriteOut(STD_ERROR_HANDLE, out);
        return kExitFailure;
    }
    if (line.timed) {
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof(pmc);
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
        wchar_t figures[128];
        // The process's own processor time, which a busy machine moves less.
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ticks = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        const double cpu = (ticks(kernel) + ticks(user)) / 1e7;
        swprintf(figures, 128, L"seconds: %.3f\npeak_working_set_mb: %.1f\ncpu_seconds: %.3f\n",
                 seconds, pmc.PeakWorkingSetSize / (1024.0 * 1024.0), cpu);
        out += figures;
    }
    WriteOut(STD_OUTPUT_HANDLE, out);
    return g_hits > 0 ? kExitFound : kExitNothing;
}
