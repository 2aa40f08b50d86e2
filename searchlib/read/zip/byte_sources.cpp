#include "byte_sources.h"

#include <algorithm>

#include "file_read.h"
#include "status_text.h"

namespace {

constexpr DWORD kLargestRead = DWORD(1) << 30;

}  // namespace

int FileSource::Open(const wchar_t* path, wchar_t* statusText) {
    if (!OpenForReading(path, file_, statusText)) return 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) {
        status::SystemFailure(statusText, path, status::kReadIn, GetLastError());
        file_.reset();
        return 0;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
    return 1;
}

void FileSource::Adopt(HANDLE file) {
    file_.reset(file);
    size_ = 0;
}

bool FileSource::Append(const void* bytes, size_t n, std::wstring& reason) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size_);
    at.OffsetHigh = static_cast<DWORD>(size_ >> 32);
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes, static_cast<DWORD>(n), &written, &at) || written != n) {
        reason = status::SystemReason(GetLastError());
        return false;
    }
    size_ += n;
    return true;
}

bool FileSource::ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) {
    if (offset > size_ || n > size_ - offset) {
        reason = status::InsideReason(status::InsideFault::Truncated);
        return false;
    }
    auto* to = static_cast<unsigned char*>(out);
    while (n > 0) {
        // A synchronous handle reads at the offset the OVERLAPPED names.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(n, kLargestRead));
        DWORD got = 0;
        if (!ReadFile(file_.get(), to, ask, &got, &at)) {
            const DWORD code = GetLastError();
            reason = code == ERROR_HANDLE_EOF ? status::InsideReason(status::InsideFault::Truncated)
                                              : status::SystemReason(code);
            return false;
        }
        if (got == 0) {  // the file shrank since it was sized
            reason = status::InsideReason(status::InsideFault::Truncated);
            return false;
        }
        to += got;
        offset += got;
        n -= got;
    }
    return true;
}

bool RangeSource::ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) {
    if (offset > length_ || n > length_ - offset) {
        reason = status::InsideReason(status::InsideFault::Truncated);
        return false;
    }
    return outer_.ReadAt(start_ + offset, out, n, reason);
}
