#include "utf16_probe.h"

#include <algorithm>
#include <cstdint>

#include "simd.h"

namespace {

struct UnitRange {
    uint16_t first, last;
};

// Text beyond ASCII that a Japanese PC's files hold.
constexpr UnitRange kTextRanges[] = {
    {0x00A0, 0x052F},  // Latin-1, Latin Extended, IPA, Greek, Cyrillic
    {0x2000, 0x2BFF},  // punctuation, symbols, arrows, box drawing, shapes
    {0x3000, 0x30FF},  // CJK punctuation, hiragana, katakana
    {0x3200, 0x33FF},  // ㈱, ㍉ and the like
    {0x4E00, 0x9FFF},  // kanji
    {0xAC00, 0xD7A3},  // Hangul
    {0xE000, 0xFAFF},  // user-defined characters, compatibility kanji
    {0xFF01, 0xFFEF},  // full-width forms, half-width katakana
};

bool TextUnit(unsigned u) {
    if (u < 0x80) return u >= 0x20 ? u != 0x7F : u == '\t' || u == '\n' || u == '\r' || u == '\f';
    for (const UnitRange& r : kTextRanges)
        if (u >= r.first && u <= r.last) return true;
    return false;
}

bool HighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool LowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The units of p[0, n) (n even) in one order read as text.
bool ReadsAsText(const unsigned char* p, size_t n, bool bigEndian) {
    const size_t units = n / 2;
    auto unit = [&](size_t k) -> unsigned {
        return bigEndian ? p[2 * k] << 8 | p[2 * k + 1] : p[2 * k] | p[2 * k + 1] << 8;
    };
    size_t other = 0;
    // Two units in a row of U+0001 to U+00FF, CR LF among them.
    auto latin = [&](size_t k) { return unit(k) - 1 < 0xFF; };
    bool asciiPair = false;
    for (size_t k = 0; k < units; ++k) {
        const unsigned u = unit(k);
        asciiPair = asciiPair || (k > 0 && latin(k) && latin(k - 1));
        if (HighSurrogate(u)) {
            if (k + 1 == units) break;  // its pair is cut by the prefix's end
            if (!LowSurrogate(unit(k + 1))) return false;
            ++k;
        } else if (LowSurrogate(u)) {
            return false;
        } else if (!TextUnit(u)) {
            ++other;
        }
    }
    return asciiPair && other * kUnitsPerOther <= units;
}

// Most files hold no NUL byte: sixteen bytes a step tell so.
bool HasNul(const unsigned char* p, size_t n) {
    size_t i = 0;
#ifdef TESSUMI_SSE2
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) != 0) return true;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == 0) return true;
    return false;
}

}  // namespace

Utf16Order JudgeUtf16(const unsigned char* p, size_t n) {
    n &= ~size_t(1);
    if (!HasNul(p, n)) return Utf16Order::None;
    size_t nul[2] = {0, 0};  // NUL bytes at even and at odd offsets
    for (size_t i = 0; i < n; i += 2) {
        nul[0] += p[i] == 0;
        nul[1] += p[i + 1] == 0;
    }
    const size_t units = n / 2;
    for (const bool bigEndian : {false, true}) {
        const size_t high = nul[bigEndian ? 0 : 1], low = nul[bigEndian ? 1 : 0];
        if (high < kFewestNulBytes || high * kUnitsPerNul < units || high <= low) continue;
        if (ReadsAsText(p, n, bigEndian))
            return bigEndian ? Utf16Order::BigEndian : Utf16Order::LittleEndian;
    }
    return Utf16Order::None;
}

void Utf16Probe::Feed(const unsigned char* p, size_t n, bool last) {
    if (order_ != Utf16Order::Unknown) return;
    if (prefix_.empty() && (n >= kUtf16ProbeBytes || last)) {
        order_ = JudgeUtf16(p, std::min(n, kUtf16ProbeBytes));
        return;
    }
    prefix_.insert(prefix_.end(), p, p + std::min(n, kUtf16ProbeBytes - prefix_.size()));
    if (prefix_.size() == kUtf16ProbeBytes || last) {
        order_ = JudgeUtf16(prefix_.data(), prefix_.size());
        prefix_.clear();
        prefix_.shrink_to_fit();
    }
}
