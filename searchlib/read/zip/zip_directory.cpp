#include "zip_directory.h"

#include <windows.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "status_text.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kEnd64Signature = 0x06064B50;
constexpr uint32_t kLocator64Signature = 0x07064B50;
constexpr uint32_t kEntrySignature = 0x02014B50;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64Size = 56;
constexpr size_t kLocator64Size = 20;
constexpr size_t kEntrySize = 46;
constexpr size_t kLongestComment = 0xFFFF;
constexpr size_t kPiece = size_t(64) << 10;
constexpr uint16_t kZip64Extra = 0x0001;
constexpr uint16_t kUnicodePathExtra = 0x7075;  // Info-ZIP's UTF-8 name
constexpr UINT kNameCodePage = 932;

uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const unsigned char* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }
uint64_t Get64(const unsigned char* p) { return Get32(p) | static_cast<uint64_t>(Get32(p + 4)) << 32; }

std::wstring Reason(status::InsideFault fault) { return status::InsideReason(fault); }

std::wstring DecodeName(const unsigned char* bytes, size_t n, UINT codePage) {
    if (n == 0) return std::wstring();
    const char* s = reinterpret_cast<const char*>(bytes);
    const int units = MultiByteToWideChar(codePage, 0, s, static_cast<int>(n), nullptr, 0);
    std::wstring name(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, s, static_cast<int>(n), &name[0], units);
    return name;
}

// The ZIP64 extra field's values replace those of the entry's fields that
// hold all ones, in the order size, packed size, offset; the Unicode path
// field replaces the name when it was made from these very name bytes.
bool ReadExtras(const unsigned char* p, size_t n, const unsigned char* rawName, size_t rawLength,
                ZipEntry& entry, bool fullSize, bool fullPacked, bool fullOffset) {
    while (n >= 4) {
        const uint16_t id = Get16(p);
        const size_t length = Get16(p + 2);
        if (length > n - 4) break;  // a short last field is ignored, as unzip does
        const unsigned char* v = p + 4;
        if (id == kZip64Extra) {
            size_t at = 0;
            for (auto [wanted, field] : {std::pair<bool, uint64_t*>{fullSize, &entry.size},
                                         {fullPacked, &entry.packedSize},
                                         {fullOffset, &entry.headerOffset}}) {
                if (!wanted) continue;
                if (at + 8 > length) return false;
                *field = Get64(v + at);
                at += 8;
            }
        } else if (id == kUnicodePathExtra && length > 5 && v[0] == 1 &&
                   Get32(v + 1) == crc32(0, rawName, static_cast<uInt>(rawLength))) {
            entry.name = DecodeName(v + 5, length - 5, CP_UTF8);
        }
        p += 4 + length;
        n -= 4 + length;
    }
    return true;
}

}  // namespace

bool ZipDirectory::FindEnd(uint64_t& cdOffset, uint64_t& cdSize, uint64_t& cdEnd,
                           std::wstring& reason) {
    const uint64_t size = source_->size();
    if (size < kEndSize) {
        reason = Reason(status::InsideFault::NoDirectory);
        return false;
    }
    // The end record sits before a comment of at most 64 KiB; the last
    // signature whose comment reaches exactly to the end is taken.
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + kLongestComment));
    std::vector<unsigned char> bytes(tail);
    if (!source_->ReadAt(size - tail, bytes.data(), tail, reason)) return false;
    size_t found = SIZE_MAX;
    for (size_t at = tail - kEndSize + 1; at-- > 0;) {
        if (Get32(&bytes[at]) != kEndSignature) continue;
        if (found == SIZE_MAX) found = at;  // a damaged comment length still finds it
        if (at + kEndSize + Get16(&bytes[at + 20]) == tail) {
            found = at;
            break;
        }
    }
    if (found == SIZE_MAX) {
        reason = Reason(status::InsideFault::NoDirectory);
        return false;
    }
    const unsigned char* end = &bytes[found];
    const uint64_t endAt = size - tail + found;
    uint32_t disk = Get16(end + 4), cdDisk = Get16(end + 6);
    cdSize = Get32(end + 12);
    cdOffset = Get32(end + 16);
    cdEnd = endAt;

    // ZIP64: a locator right before the end record points to the larger one.
    if (endAt >= kLocator64Size + kEnd64Size) {
        unsigned char locator[kLocator64Size];
        if (!source_->ReadAt(endAt - kLocator64Size, locator, kLocator64Size, reason)) return false;
        if (Get32(locator) == kLocator64Signature) {
            // Where the record is said to be, or else right before the
            // locator (an archive with leading bytes).
            uint64_t recordAt = Get64(locator + 8);
            unsigned char record[kEnd64Size];
            bool read = recordAt <= size - kEnd64Size &&
                        source_->ReadAt(recordAt, record, kEnd64Size, reason) &&
                        Get32(record) == kEnd64Signature;
            if (!read) {
                recordAt = endAt - kLocator64Size - kEnd64Size;
                if (!source_->ReadAt(recordAt, record, kEnd64Size, reason)) return false;
                if (Get32(record) != kEnd64Signature) {
                    reason = Reason(status::InsideFault::BadDirectory);
                    return false;
                }
            }
            disk = Get32(record + 16);
            cdDisk = Get32(record + 20);
            cdSize = Get64(record + 40);
            cdOffset = Get64(record + 48);
            cdEnd = recordAt;
            if (Get32(locator + 16) > 1) disk = 1;  // more than one disk in all
        }
    }
    if (disk != 0 || cdDisk != 0) {
        reason = Reason(status::InsideFault::Split);
        return false;
    }
    return true;
}

bool ZipDirectory::Open(RandomSource& source, std::wstring& reason) {
    source_ = &source;
    piece_.clear();
    at_ = 0;
    uint64_t cdOffset = 0, cdSize = 0, cdEnd = 0;
    if (!FindEnd(cdOffset, cdSize, cdEnd, reason)) return false;
    // The directory ends where the end records begin; what lies before the
    // offset it names is a program or other bytes put in front.
    if (cdSize > cdEnd || cdOffset > cdEnd - cdSize) {
        reason = Reason(status::InsideFault::BadDirectory);
        return false;
    }
    bias_ = cdEnd - cdSize - cdOffset;
    next_ = cdEnd - cdSize;
    end_ = cdEnd;
    return true;
}

bool ZipDirectory::Load(size_t n, std::wstring& reason) {
    if (piece_.size() - at_ >= n) return true;
    piece_.erase(piece_.begin(), piece_.begin() + static_cast<ptrdiff_t>(at_));
    at_ = 0;
    const size_t want = std::max(n - piece_.size(), kPiece);
    const size_t take = static_cast<size_t>(std::min<uint64_t>(want, end_ - next_));
    if (piece_.size() + take < n) {
        reason = Reason(status::InsideFault::BadDirectory);
        return false;
    }
    const size_t held = piece_.size();
    piece_.resize(held + take);
    if (!source_->ReadAt(next_, piece_.data() + held, take, reason)) return false;
    next_ += take;
    return true;
}

int ZipDirectory::Next(ZipEntry& entry, std::wstring& reason) {
    if (at_ == piece_.size() && next_ == end_) return 0;
    if (!Load(kEntrySize, reason)) return -1;
    const unsigned char* p = &piece_[at_];
    if (Get32(p) != kEntrySignature) {
        reason = Reason(status::InsideFault::BadDirectory);
        return -1;
    }
    const size_t nameLength = Get16(p + 28), extraLength = Get16(p + 30),
                 commentLength = Get16(p + 32);
    const size_t whole = kEntrySize + nameLength + extraLength + commentLength;
    if (!Load(whole, reason)) return -1;
    p = &piece_[at_];
    entry.flags = Get16(p + 8);
    entry.method = Get16(p + 10);
    entry.crc = Get32(p + 16);
    entry.packedSize = Get32(p + 20);
    entry.size = Get32(p + 24);
    entry.headerOffset = Get32(p + 42);
    const unsigned char* name = p + kEntrySize;
    entry.name = DecodeName(name, nameLength,
                            (entry.flags & ZipEntry::kUtf8Name) ? CP_UTF8 : kNameCodePage);
    if (!ReadExtras(name + nameLength, extraLength, name, nameLength, entry,
                    entry.size == UINT32_MAX, entry.packedSize == UINT32_MAX,
                    entry.headerOffset == UINT32_MAX)) {
        reason = Reason(status::InsideFault::BadDirectory);
        return -1;
    }
    entry.headerOffset += bias_;
    at_ += whole;
    return 1;
}
