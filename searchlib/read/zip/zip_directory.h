// The central directory of a zip archive: its entries one after another,
// read in bounded pieces, ZIP64 records and a self-extractor's leading
// program included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_sources.h"

struct ZipEntry {
    std::wstring name;  // "/" between folders; code page 932 unless flagged UTF-8
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t packedSize = 0;
    uint64_t size = 0;
    uint64_t headerOffset = 0;  // of its local header, in the source

    bool folder() const { return !name.empty() && (name.back() == L'/' || name.back() == L'\\'); }
    bool encrypted() const { return (flags & kEncrypted) != 0; }

    static constexpr uint16_t kEncrypted = 0x0001;
    static constexpr uint16_t kUtf8Name = 0x0800;
};

class ZipDirectory {
public:
    // Finds the archive's end records in source: true, or false with the
    // reason it can't be read as a zip archive.
    bool Open(RandomSource& source, std::wstring& reason);

    // The next entry: 1, 0 after the last, -1 with the reason when the
    // directory is damaged there.
    int Next(ZipEntry& entry, std::wstring& reason);

private:
    bool FindEnd(uint64_t& cdOffset, uint64_t& cdSize, uint64_t& cdEnd, std::wstring& reason);
    bool Load(size_t n, std::wstring& reason);

    RandomSource* source_ = nullptr;
    uint64_t bias_ = 0;  // bytes before the archive proper
    uint64_t next_ = 0;  // the directory's first byte not yet loaded
    uint64_t end_ = 0;   // and its end, in the source
    std::vector<unsigned char> piece_;
    size_t at_ = 0;  // the next entry in piece_
};
