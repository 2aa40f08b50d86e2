#include "member_stream.h"

#include <algorithm>
#include <climits>

#include "status_text.h"

namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kLocalSize = 30;
constexpr size_t kInputPiece = size_t(64) << 10;

uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const unsigned char* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }

bool Refuse(std::wstring& reason, status::InsideFault fault) {
    reason = status::InsideReason(fault);
    return false;
}

}  // namespace

MemberStream::~MemberStream() {
    if (inflaterReady_) inflateEnd(&inflater_);
}

bool MemberStream::Open(RandomSource& source, const ZipEntry& entry, std::wstring& reason) {
    source_ = &source;
    entry_ = entry;
    if (entry.encrypted()) return Refuse(reason, status::InsideFault::Encrypted);
    if (entry.method != kStored && entry.method != kDeflated) {
        reason = status::MethodReason(entry.method);
        return false;
    }
    // The product can't overflow: the packed size is below the size, which
    // is within the limit.
    if (entry.size > kExpandedLimit ||
        (entry.size > kRatioFloor && entry.packedSize < entry.size &&
         entry.size > kExpansionRatio * entry.packedSize)) {
        reason = status::ExpansionReason(kExpandedLimit, kExpansionRatio);
        return false;
    }
    if (entry.method == kStored && entry.packedSize != entry.size)
        return Refuse(reason, status::InsideFault::BadDirectory);

    unsigned char local[kLocalSize];
    if (!source.ReadAt(entry.headerOffset, local, kLocalSize, reason)) return false;
    if (Get32(local) != kLocalSignature || Get16(local + 8) != entry.method)
        return Refuse(reason, status::InsideFault::BadHeader);
    dataStart_ = entry.headerOffset + kLocalSize + Get16(local + 26) + Get16(local + 28);
    if (dataStart_ > source.size() || entry.packedSize > source.size() - dataStart_)
        return Refuse(reason, status::InsideFault::Truncated);

    if (entry.method == kDeflated) {
        if (!inflaterReady_) {
            if (inflateInit2(&inflater_, -MAX_WBITS) != Z_OK) {
                reason = status::SystemReason(ERROR_NOT_ENOUGH_MEMORY);
                return false;
            }
            inflaterReady_ = true;
        }
        input_.resize(kInputPiece);
    }
    Restart();
    return true;
}

void MemberStream::Restart() {
    packedRead_ = 0;
    produced_ = 0;
    crc_ = 0;
    ended_ = false;
    if (inflaterReady_) {
        inflateReset(&inflater_);
        inflater_.avail_in = 0;
    }
}

bool MemberStream::Read(void* out, size_t n, size_t& got, std::wstring& reason) {
    got = 0;
    if (ended_ || n == 0) return true;
    auto* to = static_cast<unsigned char*>(out);
    const bool read = entry_.method == kStored ? ReadStored(to, n, got, reason)
                                               : ReadDeflated(to, n, got, reason);
    if (!read) return false;
    crc_ = crc32(crc_, to, static_cast<uInt>(got));
    produced_ += got;
    if (produced_ > entry_.size) return Refuse(reason, status::InsideFault::BadSize);
    return !ended_ || Finish(reason);
}

bool MemberStream::ReadStored(unsigned char* out, size_t n, size_t& got, std::wstring& reason) {
    const size_t take = static_cast<size_t>(std::min<uint64_t>({n, entry_.size - produced_, UINT_MAX}));
    if (take == 0) {
        ended_ = true;
        return true;
    }
    if (!source_->ReadAt(dataStart_ + produced_, out, take, reason)) return false;
    got = take;
    if (produced_ + take == entry_.size) ended_ = true;
    return true;
}

bool MemberStream::ReadDeflated(unsigned char* out, size_t n, size_t& got, std::wstring& reason) {
    const uInt room = static_cast<uInt>(std::min<size_t>(n, UINT_MAX));
    inflater_.next_out = out;
    inflater_.avail_out = room;
    // Until some bytes come out or the stream ends: a piece of input may
    // hold nothing but the next block's header.
    while (inflater_.avail_out == room) {
        if (inflater_.avail_in == 0) {
            const size_t take =
                static_cast<size_t>(std::min<uint64_t>(input_.size(), entry_.packedSize - packedRead_));
            if (take == 0) return Refuse(reason, status::InsideFault::BadData);  // cut short
            if (!source_->ReadAt(dataStart_ + packedRead_, input_.data(), take, reason)) return false;
            packedRead_ += take;
            inflater_.next_in = input_.data();
            inflater_.avail_in = static_cast<uInt>(take);
        }
        const int rc = inflate(&inflater_, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            ended_ = true;
            break;
        }
        if (rc == Z_MEM_ERROR) {
            reason = status::SystemReason(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) return Refuse(reason, status::InsideFault::BadData);
    }
    got = room - inflater_.avail_out;
    return true;
}

bool MemberStream::Finish(std::wstring& reason) {
    if (produced_ != entry_.size) return Refuse(reason, status::InsideFault::BadSize);
    if (crc_ != entry_.crc) return Refuse(reason, status::InsideFault::BadCrc);
    return true;
}
