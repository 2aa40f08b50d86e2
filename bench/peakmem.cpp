// peakmem PROGRAM [ARGS...]
// Runs one command, waits for it and prints its peak working set and peak
// committed private memory; exits with the command's own exit code.
// The counters are read while the child runs as well as after it ends:
// Wine answers for a live process only, Windows for an ended one too.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr DWORD kPollMs = 10;

void TakeLarger(PROCESS_MEMORY_COUNTERS& peak, HANDLE process) {
    PROCESS_MEMORY_COUNTERS now = {};
    now.cb = sizeof(now);
    if (!GetProcessMemoryInfo(process, &now, sizeof(now))) return;
    if (now.PeakWorkingSetSize > peak.PeakWorkingSetSize)
        peak.PeakWorkingSetSize = now.PeakWorkingSetSize;
    if (now.PeakPagefileUsage > peak.PeakPagefileUsage)
        peak.PeakPagefileUsage = now.PeakPagefileUsage;
}

// Quotes one argument so that the child's argument parser gets it back whole
// (backslashes double only where they precede a quote).
void AppendQuoted(std::wstring& line, const wchar_t* arg) {
    std::wstring a(arg);
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) {
        line += a;
        return;
    }
    line += L'"';
    size_t slashes = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        if (c == L'"') slashes = slashes * 2 + 1;
        line.append(slashes, L'\\');
        slashes = 0;
        line += c;
    }
    line.append(slashes * 2, L'\\');
    line += L'"';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fputs("usage: peakmem PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    std::wstring line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += L' ';
        AppendQuoted(line, argv[i]);
    }
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi)) {
        fwprintf(stderr, L"peakmem: cannot start %ls (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    CloseHandle(pi.hThread);
    PROCESS_MEMORY_COUNTERS pmc = {};
    while (WaitForSingleObject(pi.hProcess, kPollMs) == WAIT_TIMEOUT) TakeLarger(pmc, pi.hProcess);
    TakeLarger(pmc, pi.hProcess);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    fflush(stdout);
    if (pmc.PeakWorkingSetSize == 0) {
        fputs("peakmem: no memory counters for the command\n", stderr);
        return 2;
    }
    printf("peak_working_set_mb: %.1f\npeak_pagefile_mb: %.1f\n", pmc.PeakWorkingSetSize / kMiB,
           pmc.PeakPagefileUsage / kMiB);
    return static_cast<int>(code);
}
