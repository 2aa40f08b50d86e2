#include "binary_file.h"

#include <cstring>

bool BinaryProbe::Feed(const unsigned char* bytes, size_t n) {
    if (probed_ == 0 && n >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        marked_ = true;
    if (Done()) return true;
    const size_t look = n < kBinaryProbeBytes - probed_ ? n : kBinaryProbeBytes - probed_;
    probed_ += n;
    return std::memchr(bytes, 0, look) == nullptr;
}
