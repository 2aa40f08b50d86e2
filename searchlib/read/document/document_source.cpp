#include "document_source.h"

#include <algorithm>
#include <cstring>

#include "status_text.h"

namespace {

constexpr size_t kMadeUnits = size_t(32) << 10;  // made at a time
constexpr wchar_t kByteOrderMark = 0xFEFF;

}  // namespace

bool DocumentSource::Open(std::wstring& reason) {
    text_ = std::make_unique<DocumentText>();
    made_.assign(1, kByteOrderMark);
    used_ = 0;
    ended_ = false;
    return text_->Open(package_, kind_, reason);
}

bool DocumentSource::Restart(wchar_t* statusText) {
    std::wstring reason;
    if (Open(reason)) return true;
    status::Compose(statusText, path_, status::kReadIn, reason.c_str());
    return false;
}

bool DocumentSource::Next(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
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
    return true;
}
