#include "forward_source.h"

#include <algorithm>

namespace {

constexpr size_t kPassPiece = size_t(64) << 10;

}  // namespace

bool ForwardSource::Take(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) {
    got = 0;
    if (!Next(out, n, got, statusText)) return false;
    at_ += got;
    return true;
}

bool ForwardSource::ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                           wchar_t* statusText) {
    got = 0;
    if (offset < at_) {
        if (!Restart(statusText)) return false;
        at_ = 0;
    }
    while (at_ < offset) {
        if (passed_.empty()) passed_.resize(kPassPiece);
        size_t step = 0;
        const size_t ask = static_cast<size_t>(std::min<uint64_t>(passed_.size(), offset - at_));
        if (!Take(passed_.data(), ask, step, statusText)) return false;
        if (step == 0) return true;  // the source ends before offset
    }
    return Take(out, n, got, statusText);
}
