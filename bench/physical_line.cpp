// Times FnPhysicalLine, the work behind opening a hit at its line, for the
// last record of a big file: the whole file is read, decoded and walked.
//
// usage: physical_line FILE RECORD_LINE
// Prints "physical_line: N" and "ms: T" for each of three runs.
#include <windows.h>

#include <cstdio>
#include <cwchar>

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
    return 0;
}
