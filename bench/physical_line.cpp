// Times FnPhysicalLine, the work behind opening a hit at its line, for the
// last record of a big file: the whole file is read, decoded and walked;
// then FnLinesAround, the preview pane's read of the lines around it, with
// the pane's own sizes, and the peak working set after both.
//
// usage: physical_line FILE RECORD_LINE
// Prints "physical_line: N" and "ms: T" for each of three runs, then
// "lines_around_ms: T" for each of three more, and "peak_working_set_mb".
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "Tessumi.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: physical_line FILE RECORD_LINE\n");
        return 2;
    }
    LARGE_INTEGER frequency{}, t0{}, t1{};
    QueryPerformanceFrequency(&frequency);
    const int record = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    for (int run = 0; run < 3; ++run) {
        int line = 0;
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        QueryPerformanceCounter(&t0);
        const int ok = FnPhysicalLine(argv[1], record, &line, status);
        QueryPerformanceCounter(&t1);
        if (!ok) {
            std::fwprintf(stderr, L"failed: %ls\n", status);
            return 3;
        }
        std::printf("physical_line: %d\nms: %.0f\n", line,
                    1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    // As the pane asks: 3 lines either side, 501 units of each.
    const int context = 3, lineUnits = 501;
    std::vector<wchar_t> text(static_cast<size_t>(2 * context + 1) * (lineUnits + 2) + 1);
    for (int run = 0; run < 3; ++run) {
        int first = 0, hit = 0;
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        QueryPerformanceCounter(&t0);
        const int ok = FnLinesAround(argv[1], record, context, context, 0, lineUnits, text.data(),
                                     static_cast<int>(text.size()), &first, &hit, status);
        QueryPerformanceCounter(&t1);
        if (!ok) {
            std::fwprintf(stderr, L"failed: %ls\n", status);
            return 3;
        }
        std::printf("lines_around_hit_line: %d\nlines_around_ms: %.0f\n", hit,
                    1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
        std::printf("peak_working_set_mb: %.1f\n", memory.PeakWorkingSetSize / 1048576.0);
    return 0;
}
