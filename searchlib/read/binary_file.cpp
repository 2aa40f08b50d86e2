#include "binary_file.h"

#include <cstring>

bool LooksBinary(const unsigned char* bytes, size_t n) {
    if (n >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return false;
    return std::memchr(bytes, 0, n < kBinaryProbeBytes ? n : kBinaryProbeBytes) != nullptr;
}
