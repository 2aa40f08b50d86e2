// A source whose bytes come only one after another (an archive's member as
// it inflates, a document's text as it is made), read by the block reader
// at any offset: going back starts it again, going on reads the bytes
// between and drops them. The reader goes back only to decide a file's
// encoding again or to take a long line whole.
#pragma once

#include <cstdint>
#include <vector>

#include "block_reader.h"

class ForwardSource : public BlockSource {
public:
    bool ReadAt(uint64_t offset, unsigned char* out, size_t n, size_t& got,
                wchar_t* statusText) final;

protected:
    // Back to the first byte: true, or false with the failure text.
    virtual bool Restart(wchar_t* statusText) = 0;
    // The next n bytes at most, got < n only at the end: true, or false
    // with the failure text.
    virtual bool Next(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) = 0;
    uint64_t at() const { return at_; }  // the next byte's offset

private:
    bool Take(unsigned char* out, size_t n, size_t& got, wchar_t* statusText);

    uint64_t at_ = 0;
    std::vector<unsigned char> passed_;  // where bytes passed over go
};
