// Which files TESSUMI_SKIP_BINARY passes by: those with a NUL byte in their
// first kBinaryProbeBytes, except UTF-16 files (a byte-order mark FF FE or
// FE FF), whose text holds NUL bytes as a matter of course.
#pragma once

#include <cstddef>

// How far into a file a NUL byte is looked for.
constexpr size_t kBinaryProbeBytes = 8192;

// Looks at a file's start block by block, as the reader gives it.
class BinaryProbe {
public:
    // Takes the file's next block; false once the file shows itself binary.
    bool Feed(const unsigned char* bytes, size_t n);
    // The first kBinaryProbeBytes were seen, or the file is UTF-16.
    bool Done() const { return marked_ || probed_ >= kBinaryProbeBytes; }

private:
    size_t probed_ = 0;
    bool marked_ = false;
};
