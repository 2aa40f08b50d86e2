#include "member_block_source.h"

#include <algorithm>

#include "status_text.h"

namespace {

constexpr size_t kPassPiece = size_t(64) << 10;

}  // namespace

bool MemberBlockSource::Fail(const std::wstring& reason, wchar_t* statusText) const {
    status::Compose(statusText, path_, status::kReadIn, reason.c_str());
    return false;
}

bool MemberBlockSource::ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                               wchar_t* statusText) {
    got = 0;
    std::wstring reason;
    if (offset < at_) {
        member_.Restart();
        at_ = 0;
    }
    while (at_ < offset) {
        if (passed_.empty()) passed_.resize(kPassPiece);
        size_t step = 0;
        const size_t ask = static_cast<size_t>(std::min<uint64_t>(passed_.size(), offset - at_));
        if (!member_.Read(passed_.data(), ask, step, reason)) return Fail(reason, statusText);
        if (step == 0) return true;  // the member ends before offset
        at_ += step;
    }
    while (got < n) {
        size_t step = 0;
        if (!member_.Read(out + got, n - got, step, reason)) return Fail(reason, statusText);
        if (step == 0) break;
        got += step;
    }
    at_ += got;
    // The reader asks for no more than the directory's size: one more read
    // makes the member end there, with its CRC checked, or be too long.
    if (at_ == size()) {
        unsigned char past;
        size_t step = 0;
        if (!member_.Read(&past, 1, step, reason)) return Fail(reason, statusText);
    }
    return true;
}
