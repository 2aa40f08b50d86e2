// One read of a big file made on a thread of its own, so that the kernel
// copies a file's next bytes while the block before them is searched.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "handle_owner.h"

// Files from this size on are read ahead; smaller ones are read where they
// are searched, so that a tree of small files starts no thread. Tests set 0.
constexpr uint64_t kReadAheadFrom = uint64_t(16) << 20;
extern uint64_t readAheadFrom;

// Up to n bytes of file from offset into out, got < n only where the file
// ends; false with the system's code.
bool ReadFileAt(HANDLE file, uint64_t offset, unsigned char* out, size_t n, size_t& got,
                DWORD& code);

class ReadAhead {
public:
    ReadAhead() = default;
    ~ReadAhead() { Stop(); }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // False when no thread can be had: the caller then reads itself.
    bool Start();
    // Waits for the read in flight, if any, and ends the thread.
    void Stop();
    bool running() const { return thread_.valid(); }

    // ReadFileAt on the thread; out is the thread's until Wait returns.
    void Post(HANDLE file, uint64_t offset, unsigned char* out, size_t n);
    bool posted() const { return posted_; }
    // The posted read's outcome, once it is done.
    bool Wait(size_t& got, DWORD& code);

private:
    static DWORD WINAPI Main(void* self);
    void Loop();

    using ThreadHandle = HandleOwner<FileHandleTraits>;
    ThreadHandle thread_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE postCame_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE readDone_ = CONDITION_VARIABLE_INIT;
    // Guarded by lock_.
    HANDLE file_ = nullptr;
    uint64_t offset_ = 0;
    unsigned char* out_ = nullptr;
    size_t n_ = 0;
    bool posted_ = false;  // written by the caller's thread alone
    bool done_ = false;
    bool quit_ = false;
    bool read_ = false;
    size_t got_ = 0;
    DWORD code_ = 0;
};
