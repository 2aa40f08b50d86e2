#include "block_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "byte_scan.h"
#include "file_read.h"
#include "status_text.h"

size_t readBlockSize = kReadBlockSize;
size_t longestLineBytes = kLongestLineBytes;

namespace {

// A line longer than a block is held by growing the buffer up to this many
// blocks; a longer one is first measured without being held, and read again
// whole only when it is within longestLineBytes.
constexpr size_t kHeldBlocks = 8;

// How far back from a kept line start's end a byte below 0x80 is looked
// for, so that the start ends between two characters in every byte encoding.
constexpr size_t kKeptStartSlack = 4096;

bool IsBreak(unsigned c) { return c == '\r' || c == '\n'; }

unsigned UnitAt(const unsigned char* p, size_t at, const BlockCut& cut) {
    if (cut.unitBytes == 1) return p[at];
    return cut.bigEndian ? p[at] << 8 | p[at + 1] : p[at] | p[at + 1] << 8;
}

// A block is never longer than the longest line, so that every line of a
// block is within the bound.
size_t BlockBytes() { return std::max<size_t>(std::min(readBlockSize, longestLineBytes), 1); }

}  // namespace

int FileBlockSource::Open(const wchar_t* path, wchar_t* statusText) {
    path_ = path;
    if (!OpenForReading(path, file_, statusText)) return 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) {
        status::SystemFailure(statusText, path, status::kReadIn, GetLastError());
        return 0;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
    return 1;
}

bool FileBlockSource::ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                             wchar_t* statusText) {
    DWORD code = 0;
    if (ReadFileAt(file_.get(), offset, out, n, got, code)) return true;
    status::SystemFailure(statusText, path_, status::kReadIn, code);
    return false;
}

int BlockReader::Open(const wchar_t* path, wchar_t* statusText) {
    DropReadAhead();
    if (!file_.Open(path, statusText)) return 0;
    if (!Open(file_, path, statusText)) return 0;
    if (file_.size() >= readAheadFrom) {
        // Without a thread or the memory, the file is read where it is searched.
        try {
            spare_.assign(buffer_.size(), 0);
            if (!ahead_.Start()) spare_.clear();
        } catch (const std::bad_alloc&) {
            spare_.clear();
        }
    }
    return 1;
}

int BlockReader::Open(BlockSource& source, const wchar_t* path, wchar_t* statusText) {
    DropReadAhead();
    source_ = &source;
    path_ = path;
    eof_ = source.size() == 0;
    if (buffer_.size() != BlockBytes()) {
        try {
            buffer_.assign(BlockBytes(), 0);
            buffer_.shrink_to_fit();
        } catch (const std::bad_alloc&) {
            return RefuseNoMemory(path, statusText);
        }
    }
    status::Ok(statusText);
    return 1;
}

size_t BlockReader::CutAt(const BlockCut& cut) const {
    const unsigned char* p = buffer_.data();
    const size_t w = cut.unitBytes;
    // The last unit start q after a break unit that is followed by a unit
    // wholly read and not a break.
    size_t q = filled_ / w * w;
    if (q < 2 * w) return 0;
    q -= w;
    for (; q >= w; q -= w)
        if (IsBreak(UnitAt(p, q - w, cut)) && !IsBreak(UnitAt(p, q, cut))) return q;
    return 0;
}

size_t BlockReader::FirstBreak(const BlockCut& cut, size_t from, size_t to) const {
    const unsigned char* p = buffer_.data();
    const size_t w = cut.unitBytes;
    // Most of a long line is passed over here.
    if (w == 1) return FindBreakByte(p, from, to);
    for (size_t k = from; k + w <= to; k += w)
        if (IsBreak(UnitAt(p, k, cut))) return k;
    return to;
}

int BlockReader::Fill(wchar_t* statusText) {
    const uint64_t left = source_->size() - std::min(next_, source_->size());
    const size_t ask = static_cast<size_t>(std::min<uint64_t>(buffer_.size() - filled_, left));
    size_t got = 0;
    if (ask > 0 && !source_->ReadAt(next_, buffer_.data() + filled_, ask, got, statusText))
        return 0;
    filled_ += got;
    next_ += got;
    // A short read is the end of the source.
    if (got < ask || next_ >= source_->size()) eof_ = true;
    return 1;
}

int BlockReader::Grow(size_t bytes, wchar_t* statusText) {
    try {
        buffer_.resize(bytes);
    } catch (const std::bad_alloc&) {
        return RefuseNoMemory(path_, statusText);
    }
    return 1;
}

// The line at buffer_[0] fills the whole buffer, and the buffer may grow no
// more: its end is looked for without holding it. A line within
// longestLineBytes is then read again whole; a longer one leaves its start in
// the buffer, followed by what comes after it.
int BlockReader::TakeLongLine(const BlockCut& cut, wchar_t* statusText) {
    const size_t w = cut.unitBytes;
    unsigned char* p = buffer_.data();
    const uint64_t lineStart = start_;
    // The start kept: at most a block and half the buffer, ending after a
    // byte below 0x80 where one is near (between two characters in every
    // byte encoding), and never after the first half of a surrogate pair.
    size_t keep = std::min(BlockBytes(), buffer_.size() / 2) / w * w;
    if (keep == 0) keep = w;
    if (w == 1) {
        for (size_t k = keep; k > 0 && keep - k < kKeptStartSlack; --k)
            if (p[k - 1] < 0x80) {
                keep = k;
                break;
            }
    } else if (keep >= 2 * w && (UnitAt(p, keep - w, cut) & 0xFC00) == 0xD800) {
        keep -= w;
    }
    // Read on after the buffer into its rest, until a break ends the line.
    const size_t room = (buffer_.size() - keep) / w * w;
    uint64_t at = next_;
    size_t got = 0;
    size_t brk = 0;  // in the bytes last read, at buffer_[keep]
    for (;;) {
        if (pause_ && !pause_(pauseArgument_, statusText)) return 0;
        const uint64_t left = source_->size() - std::min(at, source_->size());
        const size_t ask = static_cast<size_t>(std::min<uint64_t>(room, left));
        if (ask > 0 && !source_->ReadAt(at, p + keep, ask, got, statusText)) return 0;
        if (ask == 0) got = 0;
        brk = FirstBreak(cut, keep, keep + got / w * w) - keep;
        if (brk < got / w * w || got < ask || ask == 0) break;
        at += got;
    }
    const uint64_t lineEnd = at + std::min(brk, got);
    const uint64_t length = lineEnd - lineStart;
    if (length <= longestLineBytes) {
        // Within the bound: the line again, whole, and a block after it.
        if (!Grow(static_cast<size_t>(length) + BlockBytes(), statusText)) return 0;
        filled_ = 0;
        next_ = lineStart;
        eof_ = false;
        return Fill(statusText);
    }
    // Too long: its start, then what follows it.
    const size_t tail = got - std::min(brk, got);
    memmove(p + keep, p + keep + brk, tail);
    filled_ = keep + tail;
    next_ = at + got;
    eof_ = got < room || next_ >= source_->size();
    cutLine_ = keep;
    passed_ = lineEnd - (lineStart + keep);
    return 1;
}

int BlockReader::Next(const BlockCut& cut, wchar_t* statusText) {
    if (ahead_.posted()) {
        if (!TakeReadAhead(statusText)) return 0;
    } else if (cut_ > 0) {
        memmove(buffer_.data(), buffer_.data() + cut_, filled_ - cut_);
        filled_ -= cut_;
        start_ += cut_ + passed_;
        cut_ = 0;
    }
    inBreaks_ = nextInBreaks_;
    nextInBreaks_ = false;
    cutLine_ = 0;
    passed_ = 0;
    const size_t w = cut.unitBytes;
    // Grown for a line at most to a few blocks, and never beyond the bound
    // (but for room to cut a few units).
    const size_t heldLimit = std::max(std::min(kHeldBlocks * BlockBytes(), longestLineBytes), 4 * w);
    try {
        // A buffer grown for a long line goes back to a block's size.
        if (buffer_.size() > BlockBytes() && filled_ <= BlockBytes() / 2) {
            buffer_.resize(BlockBytes());
            buffer_.shrink_to_fit();
        }
    } catch (const std::bad_alloc&) {
        return RefuseNoMemory(path_, statusText);
    }
    for (;;) {
        if (!eof_ && filled_ < buffer_.size() && !Fill(statusText)) return 0;
        if (eof_) {
            cut_ = filled_;
            break;
        }
        cut_ = CutAt(cut);
        if (cut_ > 0) break;
        const size_t whole = filled_ / w * w;
        const size_t brk = FirstBreak(cut, 0, whole);
        if (brk < whole) {
            // The line ends here and a run of breaks fills the rest: the
            // block ends inside the run, but never between CR and LF.
            size_t end = whole;
            if (UnitAt(buffer_.data(), end - w, cut) == '\r') end -= w;
            if (end > brk) {
                cut_ = end;
                nextInBreaks_ = true;
                break;
            }
            // Only a CR ends the buffer: room for what follows it.
            if (!Grow(buffer_.size() + BlockBytes(), statusText)) return 0;
        } else if (buffer_.size() < heldLimit) {
            if (!Grow(std::min(buffer_.size() * 2, heldLimit), statusText)) return 0;
        } else if (!TakeLongLine(cut, statusText)) {
            return 0;
        }
    }
    ReadAheadOfSearch();
    status::Ok(statusText);
    return 1;
}

// After a block of the usual size is cut: its last line is what the next
// block starts with, so the bytes after it can be read now, into spare_
// after room for that line.
void BlockReader::ReadAheadOfSearch() {
    if (spare_.empty() || !ahead_.running() || source_ != &file_ || eof_ || cutLine_ != 0 ||
        buffer_.size() != spare_.size())
        return;
    const size_t tail = filled_ - cut_;
    const uint64_t left = source_->size() - std::min(next_, source_->size());
    aheadAsked_ = static_cast<size_t>(std::min<uint64_t>(spare_.size() - tail, left));
    if (aheadAsked_ == 0) return;
    ahead_.Post(file_.handle(), next_, spare_.data() + tail, aheadAsked_);
}

// Next's first step when the next bytes were read ahead: the current
// block's last line moves in front of them, and the buffers change places.
int BlockReader::TakeReadAhead(wchar_t* statusText) {
    size_t got = 0;
    DWORD code = 0;
    const bool read = ahead_.Wait(got, code);
    const size_t tail = filled_ - cut_;
    memcpy(spare_.data(), buffer_.data() + cut_, tail);
    buffer_.swap(spare_);
    filled_ = tail;
    start_ += cut_ + passed_;
    cut_ = 0;
    if (!read) {
        status::SystemFailure(statusText, path_, status::kReadIn, code);
        return 0;
    }
    filled_ += got;
    next_ += got;
    // A short read is the end of the source.
    if (got < aheadAsked_ || next_ >= source_->size()) eof_ = true;
    return 1;
}

// A read in flight is waited for and forgotten: the reader goes elsewhere.
void BlockReader::DropReadAhead() {
    size_t got = 0;
    DWORD code = 0;
    if (ahead_.posted()) ahead_.Wait(got, code);
}

void BlockReader::Seek(const Place& place) {
    DropReadAhead();
    nextInBreaks_ = place.inBreaks;
    if (place.offset == start_ && passed_ == 0 && cutLine_ == 0) {
        cut_ = 0;  // the block is cut again from the bytes held
        return;
    }
    start_ = next_ = place.offset;
    filled_ = cut_ = 0;
    passed_ = 0;
    cutLine_ = 0;
    eof_ = place.offset >= source_->size();
}
