#include "document_source.h"

#include <algorithm>
#include <cstring>

#include "status_text.h"

namespace {

constexpr size_t kMadeUnits = size_t(32) << 10;  // made at a time
constexpr size_t kPassPiece = size_t(64) << 10;
constexpr wchar_t kByteOrderMark = 0xFEFF;

}  // namespace

bool DocumentSource::Open(std::wstring& reason) {
    text_ = std::make_unique<DocumentText>();
    made_.assign(1, kByteOrderMark);
    used_ = 0;
    ended_ = false;
    at_ = 0;
    return text_->Open(package_, kind_, reason);
}

// The next n bytes at most, got < n only at the text's end.
bool DocumentSource::Give(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
    got = 0;
    while (got < n) {
        const size_t madeBytes = made_.size() * 2;
        if (used_ == madeBytes) {
            if (ended_) break;
            made_.clear();
            used_ = 0;
            std::wstring reason;
            if (!text_->Read(made_, kMadeUnits, ended_, reason)) {
                status::Compose(statusText, path_, status::kReadIn, reason.c_str());
                return false;
            }
            continue;
        }
        const size_t take = std::min(n - got, madeBytes - used_);
        memcpy(out + got, reinterpret_cast<const unsigned char*>(made_.data()) + used_, take);
        used_ += take;
        got += take;
    }
    at_ += got;
    return true;
}

bool DocumentSource::ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                            wchar_t* statusText) {
    got = 0;
    if (offset < at_) {
        std::wstring reason;
        if (!Open(reason)) {
            status::Compose(statusText, path_, status::kReadIn, reason.c_str());
            return false;
        }
    }
    while (at_ < offset) {
        if (passed_.empty()) passed_.resize(kPassPiece);
        size_t step = 0;
        const size_t ask = static_cast<size_t>(std::min<uint64_t>(passed_.size(), offset - at_));
        if (!Give(passed_.data(), ask, step, statusText)) return false;
        if (step == 0) return true;
    }
    return Give(out, n, got, statusText);
}
