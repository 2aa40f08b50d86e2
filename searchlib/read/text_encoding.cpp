// Encoding detection and decoding for the loader's text mode; Japanese
// double-byte code pages are judged by the platform's own conversion tables.
#include "text_encoding.h"

#include <windows.h>

#include <bitset>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "simd.h"

namespace {

constexpr UINT kShiftJisCodePage = 932;
constexpr UINT kEucJpCodePage = 20932;
constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kKanaShift = 0x8E;  // EUC-JP: a half-width katakana follows

// ---- runs of 7-bit bytes ---------------------------------------------------

// Index of the first byte at or after i that has its top bit set, or that is
// ESC when escapes count, or n. Thirty-two bytes a step with SSE2.
size_t SkipSevenBit(const unsigned char* p, size_t i, size_t n, bool escapes) {
#ifdef TESSUMI_SSE2
    const __m128i escape = _mm_set1_epi8(static_cast<char>(kEscape));
    while (n - i >= 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(a)) |
                        static_cast<unsigned>(_mm_movemask_epi8(b)) << 16;
        if (escapes) {
            mask |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, escape))) |
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, escape))) << 16;
        }
        if (mask != 0) return i + CountTrailingZeros(mask);
        i += 32;
    }
#endif
    while (i < n && p[i] < 0x80 && !(escapes && p[i] == kEscape)) ++i;
    return i;
}

// ---- UTF-8 -----------------------------------------------------------------

bool Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed sequence of two to four bytes at p (p[0] >= 0x80),
// or 0 when there is none.
size_t Utf8Sequence(const unsigned char* p, size_t left) {
    const unsigned char b = p[0];
    // Most of Japanese text: E1..EC or EE..EF and two continuation bytes.
    if (left >= 3 && static_cast<unsigned char>(b - 0xE1) < 0x0F && b != 0xED &&
        Continuation(p[1]) && Continuation(p[2]))
        return 3;
    if (b < 0xC2) return 0;  // a stray continuation byte or an overlong lead
    if (b < 0xE0) return left >= 2 && Continuation(p[1]) ? 2 : 0;
    if (b < 0xF0) {
        if (left < 3) return 0;
        const unsigned char low = b == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        const unsigned char high = b == 0xED ? 0x9F : 0xBF;  // no surrogate
        return p[1] >= low && p[1] <= high && Continuation(p[2]) ? 3 : 0;
    }
    if (b < 0xF5) {
        if (left < 4) return 0;
        const unsigned char low = b == 0xF0 ? 0x90 : 0x80;   // no overlong form
        const unsigned char high = b == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
        return p[1] >= low && p[1] <= high && Continuation(p[2]) && Continuation(p[3]) ? 4 : 0;
    }
    return 0;
}

struct Utf8Scan {
    bool wellFormed = true;
    bool multiByte = false;   // at least one sequence of two or more bytes
    bool jisEscape = false;   // ESC $ B or ESC $ @ before any byte above 0x7F
};

// One pass: well-formed UTF-8 or not, and, while every byte so far is 7-bit,
// whether an escape into JIS X 0208 occurs. Stops at the first malformed byte.
Utf8Scan ScanUtf8(const unsigned char* p, size_t n) {
    Utf8Scan scan;
    size_t i = 0;
    for (;;) {
        i = SkipSevenBit(p, i, n, !scan.multiByte && !scan.jisEscape);
        if (i == n) return scan;
        if (p[i] == kEscape) {
            if (n - i >= 3 && p[i + 1] == '$' && (p[i + 2] == 'B' || p[i + 2] == '@'))
                scan.jisEscape = true;
            ++i;
            continue;
        }
        scan.multiByte = true;
        // Text in a script beyond ASCII is mostly sequences back to back.
        do {
            const size_t length = Utf8Sequence(p + i, n - i);
            if (length == 0) {
                scan.wellFormed = false;
                return scan;
            }
            i += length;
        } while (i < n && p[i] >= 0x80);
    }
}

// Decodes well-formed UTF-8 and fails at the first malformed byte, with the
// same rule as the scan. out holds at least n units: no sequence gives more
// units than it has bytes, so the output never runs ahead of the input, and
// sixteen units may be stored wherever sixteen bytes are left.
bool DecodeUtf8(const unsigned char* p, size_t n, wchar_t* out, size_t& written) {
    size_t i = 0, o = 0;
    for (;;) {
#ifdef TESSUMI_SSE2
        const __m128i zero = _mm_setzero_si128();
        while (n - i >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + 8), _mm_unpackhi_epi8(v, zero));
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
            const size_t run = mask == 0 ? 16 : CountTrailingZeros(mask);
            i += run;
            o += run;
            if (run < 16) break;
        }
#endif
        while (i < n && p[i] < 0x80) out[o++] = p[i++];
        if (i == n) break;
        do {
            const size_t length = Utf8Sequence(p + i, n - i);
            const unsigned char* s = p + i;
            if (length == 2) {
                out[o++] = static_cast<wchar_t>((s[0] & 0x1Fu) << 6 | (s[1] & 0x3Fu));
            } else if (length == 3) {
                out[o++] = static_cast<wchar_t>((s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 |
                                                (s[2] & 0x3Fu));
            } else if (length == 4) {
                const unsigned c = ((s[0] & 0x07u) << 18 | (s[1] & 0x3Fu) << 12 |
                                    (s[2] & 0x3Fu) << 6 | (s[3] & 0x3Fu)) - 0x10000;
                out[o++] = static_cast<wchar_t>(0xD800 | c >> 10);
                out[o++] = static_cast<wchar_t>(0xDC00 | (c & 0x3FF));
            } else {
                written = 0;
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return false;
            }
            i += length;
        } while (i < n && p[i] >= 0x80);
    }
    written = o;
    return true;
}

// ---- double-byte code pages, as the platform converts them -----------------

// Which single bytes and byte pairs a code page converts without error, as
// the platform itself answers for MB_ERR_INVALID_CHARS. Asked once per
// process, when a file first needs it.
struct DoubleByteTable {
    enum Kind : unsigned char { kInvalid, kSingle, kLead };
    Kind kind[256] = {};
    std::bitset<65536> pair;  // lead * 256 + trail
};

// One character of one or two bytes that the code page converts without error.
bool ConvertsStrictly(UINT codePage, const unsigned char* bytes, int count) {
    wchar_t out[2];
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                               reinterpret_cast<const char*>(bytes), count, out, 2) == 1;
}

DoubleByteTable BuildShiftJisTable() {
    DoubleByteTable t;
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned char one[1] = {static_cast<unsigned char>(b)};
        if (IsDBCSLeadByteEx(kShiftJisCodePage, one[0])) {
            t.kind[b] = DoubleByteTable::kLead;
            for (unsigned trail = 0; trail < 256; ++trail) {
                const unsigned char two[2] = {one[0], static_cast<unsigned char>(trail)};
                t.pair[b * 256 + trail] = ConvertsStrictly(kShiftJisCodePage, two, 2);
            }
        } else if (b < 0x80 || ConvertsStrictly(kShiftJisCodePage, one, 1)) {
            t.kind[b] = DoubleByteTable::kSingle;
        }
    }
    return t;
}

// EUC-JP as its form allows: 7-bit bytes alone, 8E + A1..DF (half-width
// katakana), A1..FE + A1..FE (JIS X 0208). The platform decides which of
// those pairs it converts. JIS X 0212 (8F + two bytes) is not taken: the
// platform's code page has no three-byte form.
DoubleByteTable BuildEucJpTable() {
    DoubleByteTable t;
    for (unsigned b = 0; b < 0x80; ++b) t.kind[b] = DoubleByteTable::kSingle;
    for (unsigned lead = 0x8E; lead <= 0xFE; ++lead) {
        if (lead != kKanaShift && lead < 0xA1) continue;
        t.kind[lead] = DoubleByteTable::kLead;
        const unsigned last = lead == kKanaShift ? 0xDF : 0xFE;
        for (unsigned trail = 0xA1; trail <= last; ++trail) {
            const unsigned char two[2] = {static_cast<unsigned char>(lead),
                                          static_cast<unsigned char>(trail)};
            t.pair[lead * 256 + trail] = ConvertsStrictly(kEucJpCodePage, two, 2);
        }
    }
    return t;
}

const DoubleByteTable& ShiftJisTable() {
    static const DoubleByteTable table = BuildShiftJisTable();
    return table;
}

const DoubleByteTable& EucJpTable() {
    static const DoubleByteTable table = BuildEucJpTable();
    return table;
}

// True when every character of p[0, n) converts without error.
bool ValidIn(const DoubleByteTable& t, const unsigned char* p, size_t n) {
    size_t i = 0;
    for (;;) {
        i = SkipSevenBit(p, i, n, false);
        if (i == n) return true;
        do {
            const unsigned char b = p[i];
            if (t.kind[b] == DoubleByteTable::kSingle) {
                ++i;
            } else if (t.kind[b] == DoubleByteTable::kLead && n - i >= 2 &&
                       t.pair[b * 256u + p[i + 1]]) {
                i += 2;
            } else {
                return false;
            }
        } while (i < n && p[i] >= 0x80);
    }
}

// ---- ISO-2022-JP -----------------------------------------------------------

// ISO-2022-JP as mail carries it, turned into EUC-JP: ESC ( B and ESC ( J
// select ASCII (JIS-Roman is kept as ASCII), ESC $ B and ESC $ @ select
// JIS X 0208, whose pairs get their high bits set, ESC ( I selects
// half-width katakana, which become 8E and the byte with its high bit set.
// Control characters and spaces pass in every mode. Returns false at
// anything else; out (at most 2 * n bytes) may be null to check only.
bool Iso2022JpToEucJp(const unsigned char* p, size_t n, unsigned char* out, size_t& outLength) {
    enum class Mode { Ascii, Jis0208, Kana } mode = Mode::Ascii;
    const DoubleByteTable& euc = EucJpTable();
    size_t o = 0;
    auto put = [&](unsigned char b) {
        if (out != nullptr) out[o] = b;
        ++o;
    };
    size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b == kEscape) {
            if (n - i < 3) return false;
            const unsigned char middle = p[i + 1], last = p[i + 2];
            if (middle == '(' && (last == 'B' || last == 'J')) {
                mode = Mode::Ascii;
            } else if (middle == '(' && last == 'I') {
                mode = Mode::Kana;
            } else if (middle == '$' && (last == 'B' || last == '@')) {
                mode = Mode::Jis0208;
            } else {
                return false;
            }
            i += 3;
            continue;
        }
        if (b >= 0x80) return false;
        if (b <= 0x20 || mode == Mode::Ascii) {
            put(b);
            ++i;
        } else if (mode == Mode::Kana) {
            if (b > 0x5F) return false;
            put(kKanaShift);
            put(static_cast<unsigned char>(b | 0x80));
            ++i;
        } else {
            if (n - i < 2) return false;
            const unsigned lead = b | 0x80u, trail = p[i + 1] | 0x80u;
            if (p[i + 1] >= 0x80 || !euc.pair[lead * 256 + trail]) return false;
            put(static_cast<unsigned char>(lead));
            put(static_cast<unsigned char>(trail));
            i += 2;
        }
    }
    outLength = o;
    return true;
}

// ---- decoding --------------------------------------------------------------

bool Convert(UINT codePage, DWORD flags, const unsigned char* bytes, size_t count, wchar_t* out,
             size_t capacity, size_t& written) {
    written = 0;
    if (count == 0) return true;
    if (count > INT_MAX || capacity > INT_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    SetLastError(0);
    const int k = MultiByteToWideChar(codePage, flags, reinterpret_cast<const char*>(bytes),
                                      static_cast<int>(count), out, static_cast<int>(capacity));
    written = static_cast<size_t>(k);
    return k != 0;
}

bool DecodeIso2022Jp(const unsigned char* bytes, size_t count, wchar_t* out, size_t& written) {
    written = 0;
    size_t eucLength = 0;
    if (!Iso2022JpToEucJp(bytes, count, nullptr, eucLength)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    std::vector<unsigned char> euc;
    try {
        euc.resize(eucLength);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    Iso2022JpToEucJp(bytes, count, euc.data(), eucLength);
    return Convert(kEucJpCodePage, MB_ERR_INVALID_CHARS, euc.data(), eucLength, out, count,
                   written);
}

}  // namespace

bool Utf8WellFormed(const unsigned char* bytes, size_t count) {
    return ScanUtf8(bytes, count).wellFormed;
}

DetectedEncoding DetectEncoding(const unsigned char* bytes, size_t count) {
    if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return {TextEncoding::Utf8, 3};
    if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {TextEncoding::Utf16Be, 2};

    const Utf8Scan scan = ScanUtf8(bytes, count);
    if (scan.wellFormed && !scan.multiByte) {
        size_t ignored = 0;
        if (scan.jisEscape && Iso2022JpToEucJp(bytes, count, nullptr, ignored))
            return {TextEncoding::Iso2022Jp, 0};
        return {TextEncoding::Ansi, 0};  // 7-bit text is the same in the ANSI code page
    }
    if (scan.wellFormed) return {TextEncoding::Utf8, 0};
    // EUC-JP is asked first: Shift_JIS text fails it within a few characters,
    // while EUC-JP text fails code page 932 just as soon.
    if (ValidIn(EucJpTable(), bytes, count) && !ValidIn(ShiftJisTable(), bytes, count))
        return {TextEncoding::EucJp, 0};
    return {TextEncoding::Ansi, 0};
}

bool DecodeText(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                size_t& written) {
    written = 0;
    switch (encoding) {
    case TextEncoding::Utf16Le:
        written = count / 2;
        memcpy(out, bytes, written * 2);
        return true;
    case TextEncoding::Utf16Be:
        written = count / 2;
        for (size_t k = 0; k < written; ++k)
            out[k] = static_cast<wchar_t>(bytes[2 * k] << 8 | bytes[2 * k + 1]);
        return true;
    case TextEncoding::Utf8:
        return DecodeUtf8(bytes, count, out, written);
    case TextEncoding::Iso2022Jp:
        return DecodeIso2022Jp(bytes, count, out, written);
    case TextEncoding::EucJp:
        return Convert(kEucJpCodePage, MB_ERR_INVALID_CHARS, bytes, count, out, count, written);
    case TextEncoding::Ansi:
        break;
    }
    // Bytes that are not valid in the ANSI code page come out as the platform
    // renders them; the conversion fails only when the platform refuses.
    return Convert(CP_ACP, MB_PRECOMPOSED, bytes, count, out, count, written);
}

bool DecodeFile(const unsigned char* bytes, size_t count, DetectedEncoding detected, wchar_t* out,
                size_t& written) {
    if (detected.encoding != TextEncoding::Ansi &&
        DecodeText(detected.encoding, bytes + detected.markLength, count - detected.markLength,
                   out, written))
        return true;
    return DecodeText(TextEncoding::Ansi, bytes, count, out, written);
}
