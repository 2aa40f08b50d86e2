#include "binary_file.h"

#include <cstring>

void BinaryProbe::Feed(const unsigned char* bytes, size_t n) {
    if (Done()) return;
    const size_t look = n < kBinaryProbeBytes - probed_ ? n : kBinaryProbeBytes - probed_;
    probed_ += n;
    found_ = std::memchr(bytes, 0, look) != nullptr;
}
