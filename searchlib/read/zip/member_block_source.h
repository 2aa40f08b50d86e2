// An archive's member read by the block reader, one piece after another as
// it inflates, its CRC checked at its end; going back reads it again from
// its start (the reader goes back only to decide a file's encoding again or
// to take a long line whole).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "block_reader.h"
#include "member_stream.h"

class MemberBlockSource : public BlockSource {
public:
    // member: opened, read from its start; path names it in failure texts.
    MemberBlockSource(MemberStream& member, const wchar_t* path) : member_(member), path_(path) {}
    uint64_t size() const override { return member_.size(); }
    bool ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                wchar_t* statusText) override;

private:
    bool Fail(const std::wstring& reason, wchar_t* statusText) const;

    MemberStream& member_;
    const wchar_t* path_;
    uint64_t at_ = 0;  // the inflated member's next byte
    std::vector<unsigned char> passed_;  // where bytes passed over go
};
