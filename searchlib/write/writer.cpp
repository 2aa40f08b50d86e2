#include "writer.h"

#include "status_text.h"

WriteFileFunction writeFileCall = WriteFile;

namespace {

// A record that can never fit a block leaves in pieces, each at most this many
// bytes, so that no byte count overflows and no copy of a huge line is made.
constexpr size_t kPieceUnits = 1u << 24;

}  // namespace

LONGLONG WriteOffset(HANDLE file) {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER at = {};
    return SetFilePointerEx(file, zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
}

bool CutBackTo(HANDLE file, LONGLONG offset) {
    if (offset < 0) return false;
    DWORD code = GetLastError();
    LARGE_INTEGER at = {};
    at.QuadPart = offset;
    bool cut = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    SetLastError(code);
    return cut;
}

int FnWriteOut(HANDLE file, const wchar_t* fileName, const void* data, int byteCount,
               wchar_t* statusText) {
    if (byteCount == 0) {
        status::Ok(statusText);
        return 1;
    }
    const LONGLONG start = WriteOffset(file);
    SetLastError(0);
    DWORD written = 0;
    BOOL ok = writeFileCall(file, data, static_cast<DWORD>(byteCount), &written, nullptr);
    if (ok && written == static_cast<DWORD>(byteCount)) {
        status::Ok(statusText);
        return 1;
    }
    // A short write reported as success would lose results without a word;
    // in practice it means the volume ran full.
    DWORD code = ok ? ERROR_HANDLE_DISK_FULL : GetLastError();
    status::SystemFailure(statusText, fileName, status::kWriteOut, code);
    CutBackTo(file, start);
    return 0;
}

int FnWriteRecord(HANDLE file, const wchar_t* fileName, const RecordPiece* pieces, size_t count,
                  wchar_t* statusText) {
    const LONGLONG start = WriteOffset(file);
    for (size_t i = 0; i < count; ++i) {
        const wchar_t* data = pieces[i].text;
        size_t units = pieces[i].units;
        while (units > 0) {
            size_t n = units < kPieceUnits ? units : kPieceUnits;
            if (!FnWriteOut(file, fileName, data, static_cast<int>(n * 2), statusText)) {
                CutBackTo(file, start);
                return 0;
            }
            data += n;
            units -= n;
        }
    }
    return 1;
}
