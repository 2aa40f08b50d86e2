#include "results_tail.h"

bool ResultsTail::Open(const std::wstring& path) {
    Close();
    // Shared with the run's writing handle, and with anyone who deletes or
    // renames the file meanwhile.
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.valid();
}

void ResultsTail::Close() {
    file_.reset();
    taken_ = 0;
    bytes_.clear();
    count_ = 0;
}

bool ResultsTail::ReadMore(size_t maxBytes, bool wholeLines) {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count_ * 2));
    count_ = 0;
    const size_t kept = bytes_.size();  // read before, not handed over
    if (!file_.valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) return false;
    const unsigned long long held = taken_ + kept;
    if (static_cast<unsigned long long>(size.QuadPart) < held) return false;
    unsigned long long want = static_cast<unsigned long long>(size.QuadPart) - held;
    if (want > maxBytes) want = maxBytes;
    bytes_.resize(kept + static_cast<size_t>(want));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(held);
    DWORD read = 0;
    if (want > 0 && (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
                     !ReadFile(file_.get(), bytes_.data() + kept, static_cast<DWORD>(want), &read,
                               nullptr)))
        return false;
    bytes_.resize(kept + read);
    size_t whole = bytes_.size() / 2;
    if (wholeLines)
        while (whole > 0 && units()[whole - 1] != L'\n' && units()[whole - 1] != L'\r') --whole;
    count_ = whole;
    taken_ += whole * 2;
    return true;
}
