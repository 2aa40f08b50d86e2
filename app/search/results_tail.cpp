#include "results_tail.h"

#include <cstring>

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
}

bool ResultsTail::ReadMore(size_t maxBytes, std::vector<wchar_t>& units) {
    units.clear();
    if (!file_.valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) return false;
    const unsigned long long held = taken_ + bytes_.size();
    if (static_cast<unsigned long long>(size.QuadPart) < held) return false;
    unsigned long long want = static_cast<unsigned long long>(size.QuadPart) - held;
    if (want > maxBytes) want = maxBytes;
    const size_t odd = bytes_.size();  // 0 or 1: a byte read before, waiting
    bytes_.resize(odd + static_cast<size_t>(want));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(held);
    DWORD read = 0;
    if (want > 0 && (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
                     !ReadFile(file_.get(), bytes_.data() + odd, static_cast<DWORD>(want), &read,
                               nullptr)))
        return false;
    bytes_.resize(odd + read);
    const size_t whole = bytes_.size() / 2;
    units.resize(whole);
    if (whole > 0) std::memcpy(units.data(), bytes_.data(), whole * 2);
    taken_ += whole * 2;
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(whole * 2));
    return true;
}
