#include "results_text.h"

#include <cstring>

namespace {

// As much as a results file SubReadText can load: 2 GiB of bytes.
const size_t kReservedBytes = size_t(1) << 31;
const size_t kCommitStep = size_t(1) << 20;

}  // namespace

void ResultsText::Release() {
    if (reserved_)
        VirtualFree(data_, 0, MEM_RELEASE);
    else
        delete[] data_;
    data_ = nullptr;
    bytes_ = 0;
    reserved_ = false;
    committed_ = 0;
}

void ResultsText::Adopt(wchar_t* text, int bytes) {
    Release();
    data_ = text;
    bytes_ = text && bytes > 0 ? static_cast<size_t>(bytes) : 0;
}

bool ResultsText::StartGrowing() {
    Release();
    void* range = VirtualAlloc(nullptr, kReservedBytes, MEM_RESERVE, PAGE_NOACCESS);
    if (!range) return false;
    data_ = static_cast<wchar_t*>(range);
    reserved_ = true;
    return true;
}

bool ResultsText::Append(const wchar_t* units, size_t count) {
    const size_t adding = count * sizeof(wchar_t);
    if (!reserved_ || adding > kReservedBytes - bytes_) return false;
    const size_t needed = bytes_ + adding;
    if (needed > committed_) {
        size_t commit = (needed + kCommitStep - 1) / kCommitStep * kCommitStep;
        if (commit > kReservedBytes) commit = kReservedBytes;
        if (!VirtualAlloc(reinterpret_cast<char*>(data_) + committed_, commit - committed_,
                          MEM_COMMIT, PAGE_READWRITE))
            return false;
        committed_ = commit;
    }
    std::memcpy(reinterpret_cast<char*>(data_) + bytes_, units, adding);
    bytes_ = needed;
    return true;
}
