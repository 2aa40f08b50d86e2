// Tiny owners for the kernel handles the library opens, so that every
// CloseHandle and FindClose happens on every path by construction.
#pragma once

#include <windows.h>

template <typename Traits>
class HandleOwner {
public:
    HandleOwner() = default;
    explicit HandleOwner(HANDLE h) : h_(h) {}
    ~HandleOwner() { reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) Traits::close(h_);
        h_ = h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

struct FileHandleTraits {
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static void close(HANDLE h) { FindClose(h); }
};

using FileHandle = HandleOwner<FileHandleTraits>;
using FindHandle = HandleOwner<FindHandleTraits>;
