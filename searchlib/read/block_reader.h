// One file read in blocks of about readBlockSize bytes, each cut where a line
// starts, so that a file of any size is searched in bounded memory. A line
// longer than a block grows the buffer for that line only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "handle_owner.h"

constexpr size_t kReadBlockSize = size_t(1) << 20;

// The bytes read at a time; tests set a tiny size so that blocks end
// everywhere a line can.
extern size_t readBlockSize;

// Where a block may end: right after a CR or LF that neither another CR or
// LF nor the end of the bytes read so far follows, so that a run of breaks
// (CR LF among them) is never split and the next block starts a line. A
// break is never part of a character (text_encoding.h), so any CR or LF
// byte of a byte encoding will do.
struct BlockCut {
    unsigned unitBytes = 1;  // 2: the breaks are UTF-16 units
    bool bigEndian = false;  // of those units
};

class BlockReader {
public:
    // buffer: the run's, kept from file to file.
    explicit BlockReader(std::vector<unsigned char>& buffer) : buffer_(buffer) {}

    // 1, or 0 with the loader's text for a file that can't be opened.
    int Open(const wchar_t* path, wchar_t* statusText);

    // Drops the current block and makes the next one: 1, or 0 with the
    // read's failure text (or, when a line outgrows memory, the loader's).
    int Next(const BlockCut& cut, wchar_t* statusText);

    // Back to the file's start for a second pass, which ends where this
    // one ended if it reached the end: a file that grows meanwhile is read
    // as the first pass saw it. Nothing is read again when the first block
    // is all that was read.
    int Rewind(wchar_t* statusText);

    const unsigned char* data() const { return buffer_.data(); }
    size_t size() const { return cut_; }
    bool first() const { return start_ == 0; }  // the block starts the file
    bool last() const { return eof_ && cut_ == filled_; }

private:
    size_t CutAt(const BlockCut& cut) const;
    int Fill(wchar_t* statusText);

    std::vector<unsigned char>& buffer_;
    const wchar_t* path_ = nullptr;
    FileHandle file_;
    uint64_t start_ = 0;          // file offset of buffer_[0]
    uint64_t read_ = 0;           // bytes read from the file
    uint64_t limit_ = UINT64_MAX;  // bytes this pass may read
    size_t filled_ = 0;           // bytes held in buffer_
    size_t cut_ = 0;              // the current block: buffer_[0, cut_)
    bool eof_ = false;
};
