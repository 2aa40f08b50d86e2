// One member of a zip archive read from its first byte to its last, stored
// or inflated in pieces, never whole: memory stays that of the pieces
// whatever the member's size. Its CRC and size are checked at its end.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "byte_sources.h"
#include "zip_directory.h"

// Bounds on what a member may expand to: a member that claims more is
// passed by, and one that inflates to more than it claims is damaged. The
// ratio counts from kRatioFloor on, so that a small member of one repeated
// byte is read.
constexpr uint64_t kExpandedLimit = uint64_t(1) << 30;
constexpr unsigned kExpansionRatio = 1000;
constexpr uint64_t kRatioFloor = uint64_t(1) << 20;

class MemberStream : public ByteStream {
public:
    MemberStream() = default;
    ~MemberStream() override;
    MemberStream(const MemberStream&) = delete;
    MemberStream& operator=(const MemberStream&) = delete;

    // Checks that entry can be read (method, encryption, its claimed size)
    // and finds its data: true, or false with the reason it is passed by.
    bool Open(RandomSource& source, const ZipEntry& entry, std::wstring& reason);
    bool Read(void* out, size_t n, size_t& got, std::wstring& reason) override;
    // Back to the member's first byte.
    void Restart();

    uint64_t size() const { return entry_.size; }
    bool stored() const { return entry_.method == kStored; }
    uint64_t dataStart() const { return dataStart_; }  // in the source

    static constexpr uint16_t kStored = 0;
    static constexpr uint16_t kDeflated = 8;

private:
    bool ReadStored(unsigned char* out, size_t n, size_t& got, std::wstring& reason);
    bool ReadDeflated(unsigned char* out, size_t n, size_t& got, std::wstring& reason);
    bool Finish(std::wstring& reason);

    RandomSource* source_ = nullptr;
    ZipEntry entry_;
    uint64_t dataStart_ = 0;
    uint64_t packedRead_ = 0;
    uint64_t produced_ = 0;
    uint32_t crc_ = 0;
    bool ended_ = false;
    z_stream inflater_{};
    bool inflaterReady_ = false;
    std::vector<unsigned char> input_;
};
