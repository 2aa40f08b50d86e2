#include "spill_source.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "status_text.h"

uint64_t spillHeldBytes = kHeldInMemory;

namespace {

constexpr size_t kCopyPiece = size_t(256) << 10;

bool Fail(std::wstring& reason, DWORD code) {
    reason = status::SystemReason(code);
    return false;
}

}  // namespace

bool SpillSource::CreateSpillFile(std::wstring& reason) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return Fail(reason, n == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW);
    if (GetTempFileNameW(folder, L"tsm", 0, name) == 0) return Fail(reason, GetLastError());
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        DeleteFileW(name);
        return Fail(reason, code);
    }
    file_.Adopt(file);
    return true;
}

bool SpillSource::Fill(ByteStream& member, uint64_t size, std::wstring& reason) {
    inFile_ = size > spillHeldBytes;
    size_ = 0;
    std::vector<unsigned char> piece;
    try {
        held_.assign(inFile_ ? 0 : static_cast<size_t>(size), 0);
        if (inFile_) piece.resize(kCopyPiece);
    } catch (const std::bad_alloc&) {
        return Fail(reason, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (inFile_ && !CreateSpillFile(reason)) return false;
    for (;;) {
        // With the memory full, one more byte of room still reads the
        // member's end, where its size and CRC are checked.
        unsigned char past;
        unsigned char* to = inFile_ ? piece.data() : held_.data() + size_;
        size_t room = inFile_ ? piece.size() : held_.size() - static_cast<size_t>(size_);
        if (room == 0) {
            to = &past;
            room = 1;
        }
        size_t got = 0;
        if (!member.Read(to, room, got, reason)) return false;
        if (got == 0) break;
        if (to == &past) {
            reason = status::InsideReason(status::InsideFault::BadSize);
            return false;
        }
        if (inFile_ && !file_.Append(to, got, reason)) return false;
        size_ += got;
    }
    return true;
}

bool SpillSource::ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) {
    if (inFile_) return file_.ReadAt(offset, out, n, reason);
    if (offset > size_ || n > size_ - offset) {
        reason = status::InsideReason(status::InsideFault::Truncated);
        return false;
    }
    memcpy(out, held_.data() + offset, n);
    return true;
}
