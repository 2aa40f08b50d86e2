// Which files TESSUMI_SKIP_BINARY passes by: those with a NUL byte in their
// first kBinaryProbeBytes that are not read as UTF-16 (marked or not), whose
// text holds NUL bytes as a matter of course. The encoding is decided first:
// a UTF-16 file without a mark is text however many NUL bytes it holds.
#pragma once

#include <cstddef>

// How far into a file a NUL byte is looked for.
constexpr size_t kBinaryProbeBytes = 8192;

// Looks at a file's start block by block, as the reader gives it.
class BinaryProbe {
public:
    // Takes the file's next block.
    void Feed(const unsigned char* bytes, size_t n);
    // A NUL byte was seen in the first kBinaryProbeBytes.
    bool Found() const { return found_; }
    // The first kBinaryProbeBytes were seen, or a NUL byte.
    bool Done() const { return found_ || probed_ >= kBinaryProbeBytes; }

private:
    size_t probed_ = 0;
    bool found_ = false;
};
