// SubReadText: loads one whole file with a single read, raw or as UTF-16 text
// that starts with U+FEFF.
#include <climits>
#include <new>

#include "Tessumi.h"
#include "handle_owner.h"
#include "long_path.h"
#include "status_text.h"
#include "text_encoding.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

// Allocation failure gets a text in the usual form: subject, lead-in and the
// system's words for running out of memory.
int RefuseNoMemory(const wchar_t* path, wchar_t* statusText) {
    status::SystemFailure(statusText, path, status::kNoMemory, ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

}  // namespace

extern "C" TESSUMI_API int SubReadText(const wchar_t* path, wchar_t** text, int* length,
                                       int convert, wchar_t* statusText) {
    try {
        // Shared with writers and deleters as well: a file that another
        // program keeps open for writing, a live log, is still read.
        const std::wstring platformPath = PlatformPath(path);
        SetLastError(0);
        FileHandle file(CreateFileW(platformPath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            status::SystemFailure(statusText, path, status::kCreateReadHandle, GetLastError());
            return 0;
        }

        status::Ok(statusText);
        SetLastError(0);
        DWORD high = 0;
        DWORD size = GetFileSize(file.get(), &high);
        if (size == INVALID_FILE_SIZE) {
            status::SystemReasonOnly(statusText, GetLastError());
            return 0;
        }

        status::Ok(statusText);
        // The length is a signed 32-bit count: raw mode counts bytes, text mode
        // counts units plus the leading U+FEFF, so both must stay below INT_MAX.
        const DWORD limit = convert ? DWORD(INT_MAX) - 1 : DWORD(INT_MAX);
        if (high != 0 || size > limit) {
            status::FileTooLarge(statusText, path);
            return 0;
        }

        *length = static_cast<int>(size);
        // Held as UTF-16 units so that the caller's delete[] matches; an odd
        // last byte gets a unit of its own.
        wchar_t* raw = new (std::nothrow) wchar_t[(size_t(size) + 1) / 2];
        if (raw == nullptr) return RefuseNoMemory(path, statusText);

        SetLastError(0);
        DWORD bytesRead = 0;
        if (!ReadFile(file.get(), raw, size, &bytesRead, nullptr)) {
            DWORD code = GetLastError();
            delete[] raw;
            status::SystemFailure(statusText, path, status::kReadIn, code);
            return 0;
        }
        *length = static_cast<int>(bytesRead);
        status::Ok(statusText);
        file.reset();

        if (!convert) {
            *text = raw;
            return 1;
        }

        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(raw);
        const DetectedEncoding detected = DetectEncoding(bytes, bytesRead);
        if (detected.encoding == TextEncoding::Utf16Le) {
            *length = static_cast<int>(bytesRead / 2);
            *text = raw;
            return 1;
        }

        // An empty file is an empty text, not a conversion error: a search
        // over a tree holding one must go on.
        if (bytesRead == 0) {
            delete[] raw;
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
        const size_t n = bytesRead;
        wchar_t* converted = new (std::nothrow) wchar_t[n + 1];
        if (converted == nullptr) {
            delete[] raw;
            return RefuseNoMemory(path, statusText);
        }
        size_t k = 0;
        const bool decoded = DecodeFile(bytes, n, detected, converted + 1, k);
        *length = static_cast<int>(k);
        if (!decoded) {
            DWORD code = GetLastError();
            delete[] raw;
            delete[] converted;
            status::SystemFailure(statusText, nullptr, status::kConversion, code);
            return 0;
        }
        status::Ok(statusText);
        delete[] raw;
        converted[0] = kByteOrderMark;
        *length = static_cast<int>(k + 1);
        *text = converted;
        return 1;
    } catch (...) {
        // Nothing here throws by design; no exception may cross the export.
        return RefuseNoMemory(path, statusText);
    }
}
