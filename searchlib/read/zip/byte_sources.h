// Where the bytes of archives and their members come from: read at any
// offset (an archive, which is read from its end) or one after another (a
// member as it inflates).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "handle_owner.h"

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual uint64_t size() const = 0;
    // Exactly n bytes at offset into out: true, or false with the reason.
    virtual bool ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) = 0;
};

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Up to n bytes into out, got 0 only at the end: true, or false with
    // the reason the rest can't be read.
    virtual bool Read(void* out, size_t n, size_t& got, std::wstring& reason) = 0;
};

// A file on disk, opened and shared as the loader opens files.
class FileSource : public RandomSource {
public:
    // 1, or 0 with the loader's text for the step that failed.
    int Open(const wchar_t* path, wchar_t* statusText);
    // Takes over an empty file opened for reading and writing, which
    // Append then fills (a spill file).
    void Adopt(HANDLE file);
    bool Append(const void* bytes, size_t n, std::wstring& reason);
    uint64_t size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) override;

private:
    FileHandle file_;
    uint64_t size_ = 0;
};

// A piece of another source: a stored member of an archive, read in place.
class RangeSource : public RandomSource {
public:
    RangeSource(RandomSource& outer, uint64_t start, uint64_t length)
        : outer_(outer), start_(start), length_(length) {}
    uint64_t size() const override { return length_; }
    bool ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) override;

private:
    RandomSource& outer_;
    uint64_t start_;
    uint64_t length_;
};
