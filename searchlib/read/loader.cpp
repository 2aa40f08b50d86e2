// SubReadText: loads one whole file with a single read, raw or as UTF-16 text
// that starts with U+FEFF.
#include "loader.h"

#include <climits>
#include <new>

#include "Tessumi.h"
#include "arguments.h"
#include "status_text.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

}  // namespace

int ToLoadedText(const wchar_t* path, FileBytes& file, const DetectedEncoding& detected,
                 wchar_t** text, int* length, wchar_t* statusText) {
    // A marked UTF-16LE file is its own text, mark and all.
    if (detected.encoding == TextEncoding::Utf16Le && detected.markLength > 0) {
        *length = static_cast<int>(file.size / 2);
        *text = file.buffer.release();
        return 1;
    }

    // An empty file is an empty text, not a conversion error: a search
    // over a tree holding one must go on.
    if (file.size == 0) {
        file.buffer.reset();
        wchar_t* empty = new (std::nothrow) wchar_t[1];
        if (empty == nullptr) return RefuseNoMemory(path, statusText);
        empty[0] = kByteOrderMark;
        *length = 1;
        *text = empty;
        return 1;
    }

    // No encoding here gives more units than it has bytes. A mark becomes
    // the U+FEFF at unit 0; text that can't be decoded as detected is read
    // whole, mark included, in the ANSI code page.
    const size_t n = file.size;
    const unsigned char* bytes = file.bytes();
    wchar_t* converted = new (std::nothrow) wchar_t[n + 1];
    if (converted == nullptr) {
        file.buffer.reset();
        return RefuseNoMemory(path, statusText);
    }
    size_t k = 0;
    const bool decoded = DecodeFile(bytes, n, detected, converted + 1, k);
    *length = static_cast<int>(k);
    if (!decoded) {
        DWORD code = GetLastError();
        file.buffer.reset();
        delete[] converted;
        status::SystemFailure(statusText, nullptr, status::kConversion, code);
        return 0;
    }
    status::Ok(statusText);
    file.buffer.reset();
    converted[0] = kByteOrderMark;
    *length = static_cast<int>(k + 1);
    *text = converted;
    return 1;
}

extern "C" TESSUMI_API int SubReadText(const wchar_t* path, wchar_t** text, int* length,
                                       int convert, wchar_t* statusText) {
    if (!ArgumentsGiven({{path, L"path"}, {text, L"text"}, {length, L"length"}}, statusText))
        return 0;
    try {
        // The length is a signed 32-bit count: raw mode counts bytes, text mode
        // counts units plus the leading U+FEFF, so both must stay below INT_MAX.
        const DWORD limit = convert ? DWORD(INT_MAX) - 1 : DWORD(INT_MAX);
        FileBytes file;
        if (!ReadWholeFile(path, limit, file, length, statusText)) return 0;
        if (!convert) {
            *text = file.buffer.release();
            return 1;
        }
        return ToLoadedText(path, file, DetectEncoding(file.bytes(), file.size), text, length,
                            statusText);
    } catch (...) {
        // Nothing here throws by design; no exception may cross the export.
        return RefuseNoMemory(path, statusText);
    }
}
