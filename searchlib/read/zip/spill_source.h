// A member of an outer archive made readable at any offset, for an archive
// or a document inside an archive, whose directory is at its end: held in
// memory when small, otherwise copied to a temporary file of its own (a
// name the system makes, never the member's) that is deleted when closed.
// Memory stays bounded at any size and any depth.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_sources.h"

constexpr uint64_t kHeldInMemory = uint64_t(4) << 20;

// The most bytes held in memory; tests set 0 so that every member spills.
extern uint64_t spillHeldBytes;

class SpillSource : public RandomSource {
public:
    // Reads member, which holds size bytes, to its end: true, or false with
    // the reason.
    bool Fill(ByteStream& member, uint64_t size, std::wstring& reason);
    uint64_t size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t n, std::wstring& reason) override;

private:
    bool CreateSpillFile(std::wstring& reason);

    std::vector<unsigned char> held_;
    FileSource file_;
    bool inFile_ = false;
    uint64_t size_ = 0;
};
