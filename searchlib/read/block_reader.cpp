#include "block_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "file_read.h"
#include "status_text.h"

size_t readBlockSize = kReadBlockSize;

namespace {

constexpr DWORD kLargestRead = DWORD(1) << 30;

bool IsBreak(unsigned c) { return c == '\r' || c == '\n'; }

unsigned UnitAt(const unsigned char* p, size_t at, const BlockCut& cut) {
    if (cut.unitBytes == 1) return p[at];
    return cut.bigEndian ? p[at] << 8 | p[at + 1] : p[at] | p[at + 1] << 8;
}

}  // namespace

int BlockReader::Open(const wchar_t* path, wchar_t* statusText) {
    path_ = path;
    if (!OpenForReading(path, file_, statusText)) return 0;
    if (buffer_.size() != readBlockSize) {
        try {
            buffer_.assign(readBlockSize, 0);
            buffer_.shrink_to_fit();
        } catch (const std::bad_alloc&) {
            return RefuseNoMemory(path, statusText);
        }
    }
    return 1;
}

size_t BlockReader::CutAt(const BlockCut& cut) const {
    const unsigned char* p = buffer_.data();
    const size_t w = cut.unitBytes;
    // The last unit start q after a break unit that is followed by a unit
    // wholly read and not a break.
    size_t q = filled_ / w * w;
    if (q < 2 * w) return 0;
    q -= w;
    for (; q >= w; q -= w)
        if (IsBreak(UnitAt(p, q - w, cut)) && !IsBreak(UnitAt(p, q, cut))) return q;
    return 0;
}

int BlockReader::Fill(wchar_t* statusText) {
    const size_t room = buffer_.size() - filled_;
    const DWORD ask = static_cast<DWORD>(std::min<uint64_t>({room, limit_ - read_, kLargestRead}));
    DWORD got = 0;
    SetLastError(0);
    if (ask > 0 && !ReadFile(file_.get(), buffer_.data() + filled_, ask, &got, nullptr)) {
        status::SystemFailure(statusText, path_, status::kReadIn, GetLastError());
        return 0;
    }
    filled_ += got;
    read_ += got;
    // A short read is the end of the file.
    if (got < ask || ask == 0 || read_ == limit_) eof_ = true;
    return 1;
}

int BlockReader::Next(const BlockCut& cut, wchar_t* statusText) {
    if (cut_ > 0) {
        memmove(buffer_.data(), buffer_.data() + cut_, filled_ - cut_);
        filled_ -= cut_;
        start_ += cut_;
        cut_ = 0;
    }
    try {
        // A buffer grown for a long line goes back to a block's size.
        if (buffer_.size() > readBlockSize && filled_ <= readBlockSize / 2) {
            buffer_.resize(readBlockSize);
            buffer_.shrink_to_fit();
        }
        for (;;) {
            if (!eof_ && filled_ < buffer_.size() && !Fill(statusText)) return 0;
            if (eof_) {
                cut_ = filled_;
                break;
            }
            if (filled_ < buffer_.size()) continue;
            cut_ = CutAt(cut);
            if (cut_ > 0) break;
            buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
        }
    } catch (const std::bad_alloc&) {
        return RefuseNoMemory(path_, statusText);
    }
    status::Ok(statusText);
    return 1;
}

int BlockReader::Rewind(wchar_t* statusText) {
    if (eof_) limit_ = read_;
    cut_ = 0;
    if (start_ == 0) return 1;
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN)) {
        status::SystemFailure(statusText, path_, status::kReadIn, GetLastError());
        return 0;
    }
    start_ = 0;
    read_ = 0;
    filled_ = 0;
    eof_ = false;
    return 1;
}
