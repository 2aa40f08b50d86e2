#include "writer.h"

#include "status_text.h"

int FnWriteOut(HANDLE file, const wchar_t* fileName, const void* data, int byteCount,
               wchar_t* statusText) {
    SetLastError(0);
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(byteCount), &written, nullptr)) {
        status::SystemFailure(statusText, fileName, status::kWriteOut, GetLastError());
        return 0;
    }
    // A short write reported as success would lose results without a word;
    // in practice it means the volume ran full.
    if (written != static_cast<DWORD>(byteCount)) {
        status::SystemFailure(statusText, fileName, status::kWriteOut, ERROR_HANDLE_DISK_FULL);
        return 0;
    }
    status::Ok(statusText);
    return 1;
}
