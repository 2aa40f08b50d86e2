// An archive's member read by the block reader, one piece after another as
// it inflates, its CRC checked at its end; going back inflates it again
// from its start.
#pragma once

#include <cstdint>
#include <string>

#include "forward_source.h"
#include "member_stream.h"

class MemberBlockSource : public ForwardSource {
public:
    // member: opened, read from its start; path names it in failure texts.
    MemberBlockSource(MemberStream& member, const wchar_t* path) : member_(member), path_(path) {}
    uint64_t size() const override { return member_.size(); }

private:
    bool Restart(wchar_t* statusText) override;
    bool Next(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) override;
    bool Fail(const std::wstring& reason, wchar_t* statusText) const;

    MemberStream& member_;
    const wchar_t* path_;
};
