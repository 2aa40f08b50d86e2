// Which files TESSUMI_SKIP_BINARY passes by.
#pragma once

#include <cstddef>

// How far into a file a NUL byte is looked for.
constexpr size_t kBinaryProbeBytes = 8192;

// True when bytes[0, n) (a file's start) holds a NUL byte within its first
// kBinaryProbeBytes and does not start with a UTF-16 byte-order mark
// (FF FE or FE FF), whose text holds NUL bytes as a matter of course.
bool LooksBinary(const unsigned char* bytes, size_t n);
