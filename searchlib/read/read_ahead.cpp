#include "read_ahead.h"

#include <algorithm>

uint64_t readAheadFrom = kReadAheadFrom;

namespace {

constexpr DWORD kLargestRead = DWORD(1) << 30;

}  // namespace

bool ReadFileAt(HANDLE file, uint64_t offset, unsigned char* out, size_t n, size_t& got,
                DWORD& code) {
    got = 0;
    while (got < n) {
        // A synchronous handle reads at the offset the OVERLAPPED names.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + got);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(n - got, kLargestRead));
        DWORD read = 0;
        SetLastError(0);
        if (!ReadFile(file, out + got, ask, &read, &at)) {
            code = GetLastError();
            if (code == ERROR_HANDLE_EOF) break;  // the file shrank since it was sized
            return false;
        }
        got += read;
        if (read == 0) break;
    }
    return true;
}

bool ReadAhead::Start() {
    if (running()) return true;
    quit_ = false;
    posted_ = false;
    thread_.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
    return running();
}

void ReadAhead::Stop() {
    if (!running()) return;
    AcquireSRWLockExclusive(&lock_);
    quit_ = true;
    WakeConditionVariable(&postCame_);
    ReleaseSRWLockExclusive(&lock_);
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    posted_ = false;
}

DWORD WINAPI ReadAhead::Main(void* self) {
    static_cast<ReadAhead*>(self)->Loop();
    return 0;
}

void ReadAhead::Loop() {
    AcquireSRWLockExclusive(&lock_);
    for (;;) {
        while (!quit_ && (!posted_ || done_))
            SleepConditionVariableSRW(&postCame_, &lock_, INFINITE, 0);
        if (quit_) break;
        const HANDLE file = file_;
        const uint64_t offset = offset_;
        unsigned char* const out = out_;
        const size_t n = n_;
        size_t got = 0;
        DWORD code = 0;
        ReleaseSRWLockExclusive(&lock_);
        const bool read = ReadFileAt(file, offset, out, n, got, code);
        AcquireSRWLockExclusive(&lock_);
        read_ = read;
        got_ = got;
        code_ = code;
        done_ = true;
        WakeConditionVariable(&readDone_);
    }
    ReleaseSRWLockExclusive(&lock_);
}

void ReadAhead::Post(HANDLE file, uint64_t offset, unsigned char* out, size_t n) {
    AcquireSRWLockExclusive(&lock_);
    file_ = file;
    offset_ = offset;
    out_ = out;
    n_ = n;
    posted_ = true;
    done_ = false;
    WakeConditionVariable(&postCame_);
    ReleaseSRWLockExclusive(&lock_);
}

bool ReadAhead::Wait(size_t& got, DWORD& code) {
    AcquireSRWLockExclusive(&lock_);
    while (!done_) SleepConditionVariableSRW(&readDone_, &lock_, INFINITE, 0);
    posted_ = false;
    got = got_;
    code = code_;
    const bool read = read_;
    ReleaseSRWLockExclusive(&lock_);
    return read;
}
