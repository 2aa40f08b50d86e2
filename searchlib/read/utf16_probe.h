// UTF-16 text without a byte-order mark, told from a file's first bytes.
// ASCII in UTF-16 puts a NUL byte beside every character, and so do line
// breaks in Japanese UTF-16 text, always on the same side of the unit:
// on odd offsets in little-endian, on even ones in big-endian. A program or
// a compressed file has NUL bytes on both sides, and its units read as
// NUL characters, controls and scattered scripts.
#pragma once

#include <cstddef>
#include <vector>

// The prefix judged: enough units for the shares below to mean something,
// and little enough to cost nothing beside the rest of a search.
constexpr size_t kUtf16ProbeBytes = 8192;

enum class Utf16Order { Unknown, None, LittleEndian, BigEndian };

// The rule over a file's first bytes p[0, n) (kUtf16ProbeBytes, or the whole
// file when shorter; an odd last byte is left out). An order fits when, in
// its units:
// - at least kFewestNulBytes bytes are NUL in the unit's high half, at least
//   one unit in kUnitsPerNul has it so, and more than have a NUL in the low
//   half;
// - two units in a row have it so (two ASCII characters, CR LF among them):
//   in 8-bit text with a few NUL bytes they stand apart;
// - no surrogate stands alone (a pair cut by the prefix's end passes);
// - at most one unit in kUnitsPerOther is outside the text of a Japanese PC
//   (TextUnit in utf16_probe.cpp: ASCII with tab and breaks, Latin, Greek,
//   Cyrillic, punctuation and symbols, kana, kanji, Hangul, private use,
//   full-width forms).
// None when neither fits. That the whole file is of even length is the
// caller's part.
Utf16Order JudgeUtf16(const unsigned char* p, size_t n);

constexpr size_t kFewestNulBytes = 2;
constexpr size_t kUnitsPerNul = 64;
constexpr size_t kUnitsPerOther = 20;

// JudgeUtf16 over a file fed in pieces of any size, from its start.
class Utf16Probe {
public:
    // last: the file ends with this piece.
    void Feed(const unsigned char* p, size_t n, bool last);
    // Unknown until the prefix was whole or the file ended.
    Utf16Order order() const { return order_; }

private:
    Utf16Order order_ = Utf16Order::Unknown;
    std::vector<unsigned char> prefix_;  // a prefix that spans pieces, until judged
};
