// document_text MODE [FILE [REPEATS]]
// The document benchmark's two sides and its baseline, each in a process of
// its own (bench/documents.sh runs them side by side):
//   floor FILE  inflates every XML part of the document FILE with zlib into
//               a buffer thrown away: the least work reading its text needs;
//   text FILE   reads the document's text as lines, a block of 1 Mi units at
//               a time, as a search takes it;
//   empty       does nothing: the memory of a run that reads nothing.
// Does it REPEATS times (default 1) and prints the shortest time, wall-clock
// and the thread's CPU seconds, what was read (bytes inflated, or lines),
// and the process's peak working set and peak private bytes in MiB.
#include <windows.h>
#include <psapi.h>

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "content_kind.h"
#include "document/document_text.h"
#include "zip/zip_directory.h"

namespace {

constexpr size_t kBlockUnits = size_t(1) << 20;
constexpr size_t kPiece = size_t(1) << 20;

bool EndsWith(const std::wstring& s, const wchar_t* end) {
    const size_t n = wcslen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

// Inflates every .xml and .rels member; false on any failure.
bool Floor(RandomSource& source, unsigned long long& inflated) {
    ZipDirectory directory;
    ZipEntry entry;
    std::wstring reason;
    if (!directory.Open(source, reason)) return false;
    std::vector<unsigned char> in(kPiece), out(kPiece);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    int next;
    while ((next = directory.Next(entry, reason)) > 0) {
        if (!EndsWith(entry.name, L".xml") && !EndsWith(entry.name, L".rels")) continue;
        unsigned char local[30];
        if (!source.ReadAt(entry.headerOffset, local, sizeof local, reason)) return false;
        uint64_t at = entry.headerOffset + 30 + (local[26] | local[27] << 8) + (local[28] | local[29] << 8);
        uint64_t left = entry.packedSize;
        inflateReset(&z);
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            if (z.avail_in == 0) {
                const size_t take = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
                if (take == 0 || !source.ReadAt(at, in.data(), take, reason)) return false;
                at += take;
                left -= take;
                z.next_in = in.data();
                z.avail_in = static_cast<uInt>(take);
            }
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) return false;
            inflated += out.size() - z.avail_out;
        }
        z.avail_in = 0;
    }
    inflateEnd(&z);
    return next == 0;
}

// Reads the text block by block, counting its lines; false on a failure.
bool Text(RandomSource& source, const std::wstring& path, unsigned long long& lines) {
    DocumentText document;
    std::wstring reason, block;
    bool end = false;
    if (!document.Open(source, ContentKindOf(path.c_str(), path.size()), reason)) {
        fwprintf(stderr, L"%ls\n", reason.c_str());
        return false;
    }
    while (!end) {
        block.clear();
        if (!document.Read(block, kBlockUnits, end, reason)) {
            fwprintf(stderr, L"%ls\n", reason.c_str());
            return false;
        }
        for (wchar_t c : block) lines += c == L'\n';
    }
    return true;
}

}  // namespace

// The main thread's CPU seconds so far.
double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME t) { return ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: document_text floor|text|empty [FILE [REPEATS]]\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    const int repeats = argc > 3 ? _wtoi(argv[3]) : 1;
    unsigned long long count = 0;
    double best = 1e9, bestCpu = 1e9;
    for (int i = 0; i < repeats && mode != L"empty"; ++i) {
        FileSource source;
        wchar_t statusText[256];
        if (argc < 3 || !source.Open(argv[2], statusText)) {
            fwprintf(stderr, L"%ls\n", argc < 3 ? L"no file" : statusText);
            return 1;
        }
        count = 0;
        const auto start = std::chrono::steady_clock::now();
        const double cpu = ThreadSeconds();
        const bool ok = mode == L"floor" ? Floor(source, count) : Text(source, argv[2], count);
        if (!ok) return 1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        bestCpu = std::min(bestCpu, ThreadSeconds() - cpu);
    }
    if (mode == L"empty") best = bestCpu = 0;
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    printf("%.3f %.3f %llu %.1f %.1f\n", best, bestCpu, count, memory.PeakWorkingSetSize / 1048576.0,
           memory.PeakPagefileUsage / 1048576.0);
    return 0;
}
