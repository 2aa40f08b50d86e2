// One source read in blocks of about readBlockSize bytes, each cut where a
// line starts, so that a file of any size is searched in bounded memory. A
// line longer than a block is held whole up to longestLineBytes; a longer
// one is never held: its block gives only its start, and the rest of it is
// passed over, block by block, with a pause between two reads where the
// caller may stop. A big file's next block is read on a thread of its own
// while the current one is searched (read_ahead.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "handle_owner.h"
#include "read_ahead.h"

constexpr size_t kReadBlockSize = size_t(1) << 20;
constexpr size_t kLongestLineBytes = size_t(64) << 20;

// The bytes read at a time; tests set a tiny size so that blocks end
// everywhere a line can.
extern size_t readBlockSize;
// The longest line held whole; tests set a few bytes.
extern size_t longestLineBytes;

// Where a block may end: right after a CR or LF that neither another CR or
// LF nor the end of the bytes read so far follows, so that a run of breaks
// (CR LF among them) is never split and the next block starts a line. A
// break is never part of a character (text_encoding.h), so any CR or LF
// byte of a byte encoding will do. Only a run of breaks longer than the
// buffer is cut inside, never between CR and LF (startsInBreaks).
struct BlockCut {
    unsigned unitBytes = 1;  // 2: the breaks are UTF-16 units
    bool bigEndian = false;  // of those units
};

// What a block reader reads: a file, or anything else that can give its
// bytes from an offset (an archive's member: a stored one from its range, an
// inflated one by inflating again from its start to go back).
class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The bytes it holds, as sized when it was opened: no more are read.
    virtual uint64_t size() const = 0;
    // Up to n bytes from offset into out; got < n only where the source
    // ends. False with the failure text.
    virtual bool ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                        wchar_t* statusText) = 0;
};

// A file opened as the loader opens files.
class FileBlockSource : public BlockSource {
public:
    // 1, or 0 with the loader's text for a file that can't be opened or sized.
    int Open(const wchar_t* path, wchar_t* statusText);
    uint64_t size() const override { return size_; }
    bool ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                wchar_t* statusText) override;
    HANDLE handle() const { return file_.get(); }

private:
    const wchar_t* path_ = nullptr;
    FileHandle file_;
    uint64_t size_ = 0;
};

class BlockReader {
public:
    // buffer: the run's, kept from file to file.
    explicit BlockReader(std::vector<unsigned char>& buffer) : buffer_(buffer) {}

    // 1, or 0 with the loader's text for a file that can't be opened.
    int Open(const wchar_t* path, wchar_t* statusText);
    // Reads source, named path in failure texts, which outlives the reader.
    int Open(BlockSource& source, const wchar_t* path, wchar_t* statusText);

    // Asked between two reads of a line longer than the buffer; its false
    // (with the stop's text) ends Next with 0.
    using Pause = bool (*)(void* argument, wchar_t* statusText);
    void PauseWith(Pause pause, void* argument) {
        pause_ = pause;
        pauseArgument_ = argument;
    }

    // Drops the current block and makes the next one: 1, or 0 with the
    // read's failure text (or, when a line outgrows memory, the loader's),
    // or the pause's.
    int Next(const BlockCut& cut, wchar_t* statusText);

    // Where the current block starts, for a later Seek.
    struct Place {
        uint64_t offset = 0;
        bool inBreaks = false;
    };
    Place Here() const { return {start_, inBreaks_}; }
    Place After() const { return {start_ + cut_ + passed_, nextInBreaks_}; }
    // Back to a place where a block began (Place(): the source's start), or
    // on to one; the next block starts there. Nothing is read again when
    // the current block starts there.
    void Seek(const Place& place);

    const unsigned char* data() const { return buffer_.data(); }
    size_t size() const { return cut_; }
    uint64_t sourceSize() const { return source_->size(); }
    uint64_t offset() const { return start_; }  // of the block's first byte
    bool first() const { return start_ == 0; }  // the block starts the source
    bool last() const { return eof_ && cut_ == filled_; }
    // The block starts inside a run of breaks that the block before began:
    // the line those breaks end is in the block before.
    bool startsInBreaks() const { return inBreaks_; }
    // Not 0 when the block's first line is longer than longestLineBytes:
    // the block holds its first cutLine() bytes, then the breaks after it
    // and the lines that follow, as a block does.
    size_t cutLine() const { return cutLine_; }

private:
    size_t CutAt(const BlockCut& cut) const;
    int Fill(wchar_t* statusText);
    int Grow(size_t bytes, wchar_t* statusText);
    size_t FirstBreak(const BlockCut& cut, size_t from, size_t to) const;
    int TakeLongLine(const BlockCut& cut, wchar_t* statusText);
    void ReadAheadOfSearch();
    int TakeReadAhead(wchar_t* statusText);
    void DropReadAhead();

    std::vector<unsigned char>& buffer_;
    FileBlockSource file_;
    BlockSource* source_ = &file_;
    const wchar_t* path_ = nullptr;
    Pause pause_ = nullptr;
    void* pauseArgument_ = nullptr;
    uint64_t start_ = 0;      // source offset of buffer_[0]
    uint64_t next_ = 0;       // source offset of the next byte to read
    size_t filled_ = 0;       // bytes held in buffer_
    size_t cut_ = 0;          // the current block: buffer_[0, cut_)
    size_t cutLine_ = 0;      // the current block's first line was cut there
    uint64_t passed_ = 0;     // bytes of that line passed over, after cutLine_
    bool eof_ = false;
    bool inBreaks_ = false;     // the current block starts inside a run of breaks
    bool nextInBreaks_ = false;  // the next one does
    // A big file's next bytes are read into spare_, after the current
    // block's last line, while the block is searched; the two buffers then
    // change places. Last: stopped before the buffers and the file go.
    std::vector<unsigned char> spare_;
    size_t aheadAsked_ = 0;
    ReadAhead ahead_;
};
