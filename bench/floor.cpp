// floor [--raw] START
// The least work any search run over START must do: list every folder, and
// open, size, read and convert every file with the very calls the library's
// walk and text loader make (the loader's own encoding detection and
// decoding included), and nothing else. Prints the file count, the
// bytes read, the largest file, the wall-clock seconds and its own peak memory.
// --raw: the raw floor, which walks, opens and reads every file (in blocks of
// 1 MiB, as the line search reads) but neither detects an encoding nor
// converts: pure I/O.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "text_encoding.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct FileCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using FileOwner = std::unique_ptr<void, FileCloser>;
using FindOwner = std::unique_ptr<void, FindCloser>;

struct Totals {
    unsigned long long files = 0;
    unsigned long long bytes = 0;
    unsigned long long units = 0;
    DWORD largest = 0;
};

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool rawOnly = false;

// The raw floor reads as the line search does, a block at a time, so that
// a file of any size takes a block's memory.
bool ReadInBlocks(HANDLE h, Totals& totals) {
    static char block[1 << 20];
    unsigned long long size = 0;
    DWORD read = 0;
    do {
        if (!ReadFile(h, block, sizeof block, &read, nullptr)) return false;
        size += read;
    } while (read == sizeof block);
    totals.files++;
    totals.bytes += size;
    if (size > totals.largest) totals.largest = static_cast<DWORD>(std::min<unsigned long long>(size, MAXDWORD));
    return true;
}

bool LoadFile(const std::wstring& path, Totals& totals) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FileOwner file(h);
    if (rawOnly) return ReadInBlocks(h, totals);
    DWORD high = 0;
    DWORD size = GetFileSize(h, &high);
    if (size == INVALID_FILE_SIZE || high != 0) return false;
    std::unique_ptr<char[]> raw(new char[size]);
    DWORD read = 0;
    if (!ReadFile(h, raw.get(), size, &read, nullptr)) return false;
    file.reset();

    totals.files++;
    totals.bytes += read;
    if (size > totals.largest) totals.largest = size;
    const auto* b = reinterpret_cast<const unsigned char*>(raw.get());
    const DetectedEncoding detected = DetectEncoding(b, read);
    if (detected.encoding == TextEncoding::Utf16Le) {
        totals.units += read / 2;
        return true;
    }
    if (read == 0) return true;
    std::unique_ptr<wchar_t[]> converted(new wchar_t[size_t(read) + 1]);
    size_t k = 0;
    if (!DecodeFile(b, read, detected, converted.get() + 1, k)) return false;
    totals.units += k + 1;
    return true;
}

bool Walk(const std::wstring& folder, Totals& totals) {
    std::wstring entry = folder + L"\\*.*";
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(entry.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"floor: cannot list %ls (error %lu)\n", folder.c_str(), GetLastError());
        return false;
    }
    FindOwner listing(h);
    const size_t base = folder.size() + 1;
    do {
        entry.resize(base);
        entry += data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsDotOrDotDot(data.cFileName) && !Walk(entry, totals)) return false;
        } else if (!LoadFile(entry, totals)) {
            fwprintf(stderr, L"floor: cannot load %ls (error %lu)\n", entry.c_str(),
                     GetLastError());
            return false;
        }
    } while (FindNextFileW(h, &data));
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    rawOnly = argc == 3 && wcscmp(argv[1], L"--raw") == 0;
    if (argc != 2 + rawOnly) {
        fputs("usage: floor [--raw] START\n", stderr);
        return 2;
    }
    Totals totals;
    auto start = std::chrono::steady_clock::now();
    bool ok = Walk(argv[argc - 1], totals);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) return 1;

    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    printf("files: %llu\nbytes: %llu\nunits: %llu\nlargest: %lu\n", totals.files, totals.bytes,
           totals.units, totals.largest);
    printf("seconds: %.3f\n", seconds);
    printf("peak_working_set_mb: %.1f\npeak_pagefile_mb: %.1f\n", pmc.PeakWorkingSetSize / kMiB,
           pmc.PeakPagefileUsage / kMiB);
    return 0;
}
