#include "file_read.h"

#include <new>
#include <string>

#include "handle_owner.h"
#include "long_path.h"
#include "open_delay.h"
#include "status_text.h"

int RefuseNoMemory(const wchar_t* path, wchar_t* statusText) {
    status::SystemFailure(statusText, path, status::kNoMemory, ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

int OpenForReading(const wchar_t* path, FileHandle& file, wchar_t* statusText) {
    // Shared with writers and deleters as well: a file that another
    // program keeps open for writing, a live log, is still read.
    const std::wstring platformPath = PlatformPath(path);
    WaitAsAScannerWould();
    SetLastError(0);
    file.reset(CreateFileW(platformPath.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        status::SystemFailure(statusText, path, status::kCreateReadHandle, GetLastError());
        return 0;
    }
    status::Ok(statusText);
    return 1;
}

int ReadWholeFile(const wchar_t* path, DWORD limit, FileBytes& out, int* length,
                  wchar_t* statusText) {
    FileHandle file;
    if (!OpenForReading(path, file, statusText)) return 0;
    SetLastError(0);
    DWORD high = 0;
    DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE) {
        status::SystemReasonOnly(statusText, GetLastError());
        return 0;
    }

    status::Ok(statusText);
    if (high != 0 || size > limit) {
        status::FileTooLarge(statusText, path);
        return 0;
    }

    *length = static_cast<int>(size);
    std::unique_ptr<wchar_t[]> raw(new (std::nothrow) wchar_t[(size_t(size) + 1) / 2]);
    if (raw == nullptr) return RefuseNoMemory(path, statusText);

    SetLastError(0);
    DWORD bytesRead = 0;
    if (!ReadFile(file.get(), raw.get(), size, &bytesRead, nullptr)) {
        DWORD code = GetLastError();
        raw.reset();
        status::SystemFailure(statusText, path, status::kReadIn, code);
        return 0;
    }
    *length = static_cast<int>(bytesRead);
    status::Ok(statusText);
    out.buffer = std::move(raw);
    out.size = bytesRead;
    return 1;
}
