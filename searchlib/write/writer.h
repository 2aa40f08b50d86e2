// FnWriteOut: the library's one writer of the results file. A write that
// fails never leaves part of itself behind, so the file always ends at the
// last whole record.
#pragma once

#include <windows.h>

#include <cstddef>

// Writes byteCount bytes with one synchronous WriteFile. 1 and "正常です。",
// or 0 and fileName + "を書き出すことができません\n理由：" + the reason, the
// file cut back to where the write began. An empty block needs no write.
int FnWriteOut(HANDLE file, const wchar_t* fileName, const void* data, int byteCount,
               wchar_t* statusText);

// One part of a record too long for any block.
struct RecordPiece {
    const wchar_t* text;
    size_t units;
};

// Writes the pieces of one record one after another, each in writes small
// enough for a byte count; when any of them fails, the file is cut back to
// where the record began. Results as FnWriteOut.
int FnWriteRecord(HANDLE file, const wchar_t* fileName, const RecordPiece* pieces, size_t count,
                  wchar_t* statusText);

// Where the next write to file begins; -1 when the platform can't tell.
LONGLONG WriteOffset(HANDLE file);

// Ends file at offset, the end of its last whole record, and makes the next
// write begin there: after a failed write, or when a run stops in the middle
// of a record. Keeps the thread's last-error code. False when the platform
// refuses, or offset is -1.
bool CutBackTo(HANDLE file, LONGLONG offset);

// The platform's WriteFile; tests replace it to make writes fail.
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern WriteFileFunction writeFileCall;
