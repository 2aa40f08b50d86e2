// detection [--list] FOLDER
// The loader's encoding detection and decoding measured in memory, without
// file input: every file below FOLDER is read first, then DetectEncoding
// runs over all of them, and DetectEncoding with DecodeFile, in 30 rounds
// (the best round's time, and the mean processor time). Files of 8 MB and
// more are timed alone as well, and so are forms made from them in memory:
// the Shift_JIS one as EUC-JP and as UTF-8, the UTF-16LE one without its
// mark. Uses only DetectEncoding and DecodeFile, so that the same source
// measures an earlier revision too.
// --list: each file's reading instead, one a line ("utf16le-nomark PATH"),
// to check which files of a folder are taken for what.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "text_encoding.h"

namespace {

struct File {
    std::wstring path;
    std::string bytes;
};

// Reads every file below folder and hands it to take.
void ReadTree(const std::wstring& folder, const std::function<void(File&&)>& take) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ReadTree(path, take);
            continue;
        }
        HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (f == INVALID_HANDLE_VALUE) continue;
        DWORD high = 0, read = 0;
        const DWORD size = GetFileSize(f, &high);
        if (high == 0 && size != INVALID_FILE_SIZE) {
            File file{path, std::string(size, '\0')};
            if (ReadFile(f, &file.bytes[0], size, &read, nullptr) && read == size)
                take(std::move(file));
        }
        CloseHandle(f);
    } while (FindNextFileW(h, &data));
    FindClose(h);
}

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

const char* Name(const DetectedEncoding& d) {
    switch (d.encoding) {
    case TextEncoding::Utf16Le: return d.markLength ? "utf16le" : "utf16le-nomark";
    case TextEncoding::Utf16Be: return d.markLength ? "utf16be" : "utf16be-nomark";
    case TextEncoding::Utf8: return d.markLength ? "utf8" : "utf8-nomark";
    case TextEncoding::Iso2022Jp: return "iso2022jp";
    case TextEncoding::EucJp: return "eucjp";
    case TextEncoding::Ansi: return "ansi";
    }
    return "?";
}

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

constexpr int kRounds = 30;

// The thread's processor time in milliseconds (Wine counts it in 10 ms steps).
double ThreadTime() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// kRounds rounds over files, detection alone or with decoding: the best
// round's wall-clock milliseconds, and the mean round's processor time, which
// a busy machine disturbs less.
struct Timing {
    double best, cpu;
};

Timing Time(const std::vector<const std::string*>& files, bool decode) {
    std::vector<wchar_t> out;
    double best = 1e30;
    const double cpu = ThreadTime();
    for (int round = 0; round < kRounds; ++round) {
        const double start = Now();
        for (const std::string* b : files) {
            const DetectedEncoding d = DetectEncoding(Bytes(*b), b->size());
            if (!decode || b->empty()) continue;
            if (out.size() < b->size() + 1) out.resize(b->size() + 1);
            size_t k = 0;
            DecodeFile(Bytes(*b), b->size(), d, out.data(), k);
        }
        best = std::min(best, Now() - start);
    }
    return {best, (ThreadTime() - cpu) / kRounds};
}

std::string Recode(const std::string& bytes, UINT from, UINT to) {
    const int n = static_cast<int>(bytes.size());
    std::wstring units(bytes.size(), L'\0');
    units.resize(static_cast<size_t>(MultiByteToWideChar(from, 0, bytes.data(), n, &units[0], n)));
    const int m = WideCharToMultiByte(to, 0, units.data(), static_cast<int>(units.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(to, 0, units.data(), static_cast<int>(units.size()), &out[0], m, nullptr,
                        nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool list = argc == 3 && std::wstring(argv[1]) == L"--list";
    if (argc != 2 && !list) {
        fwprintf(stderr, L"usage: detection [--list] FOLDER\n");
        return 2;
    }
    std::vector<File> files;
    ReadTree(argv[argc - 1], [&](File&& f) {
        if (list)
            printf("%s %ls\n", Name(DetectEncoding(Bytes(f.bytes), f.bytes.size())), f.path.c_str());
        else
            files.push_back(std::move(f));
    });
    if (list) return 0;
    std::vector<const std::string*> all;
    unsigned long long bytes = 0;
    std::vector<std::pair<std::string, std::string>> big;  // label, bytes
    for (const File& f : files) {
        all.push_back(&f.bytes);
        bytes += f.bytes.size();
        if (f.bytes.size() < (8u << 20)) continue;
        const DetectedEncoding d = DetectEncoding(Bytes(f.bytes), f.bytes.size());
        big.push_back({Name(d), f.bytes});
        if (d.encoding == TextEncoding::Ansi && f.bytes.find('\x82') != std::string::npos) {
            big.push_back({"eucjp (made from the Shift_JIS file)", Recode(f.bytes, 932, 20932)});
            big.push_back({"utf8-nomark (made from the Shift_JIS file)", Recode(f.bytes, 932, CP_UTF8)});
        }
        if (d.encoding == TextEncoding::Utf16Le && d.markLength == 2)
            big.push_back({"utf16le-nomark (the UTF-16LE file without its mark)", f.bytes.substr(2)});
    }
    printf("%zu files, %.1f MB\n", files.size(), bytes / 1e6);
    const Timing detect = Time(all, false), decode = Time(all, true);
    printf("all files: detection %.1f ms (processor %.1f), detection and decoding %.1f ms "
           "(processor %.1f)\n", detect.best, detect.cpu, decode.best, decode.cpu);
    for (const auto& b : big) {
        const std::vector<const std::string*> one = {&b.second};
        const Timing t = Time(one, false);
        printf("%.1f MB %s (read as %s): detection %.2f ms (processor %.2f)\n",
               b.second.size() / 1e6, b.first.c_str(),
               Name(DetectEncoding(Bytes(b.second), b.second.size())), t.best, t.cpu);
    }
    return 0;
}
