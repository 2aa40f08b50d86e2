#include "iso2022jp.h"

#include <windows.h>

namespace {

constexpr UINT kShiftJisCodePage = 932;
constexpr UINT kEucJpCodePage = 20932;
constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kKanaShift = 0x8E;     // EUC-JP: a half-width katakana follows
constexpr unsigned char kJis0212Shift = 0x8F;  // EUC-JP: a JIS X 0212 pair follows
constexpr unsigned char kNecRow13 = 0x2D;      // ①, ㈱: in code page 932, not in 20932
constexpr unsigned kCells = 94;                // bytes 0x21..0x7E of a two-byte set
constexpr wchar_t kReplacement = 0xFFFD;

// One character of bytes[0, count) in codePage, or 0 when refused.
wchar_t ConvertOne(UINT codePage, const unsigned char* bytes, int count) {
    wchar_t out[2];
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                               reinterpret_cast<const char*>(bytes), count, out, 2) == 1
               ? out[0]
               : 0;
}

// Every character of both two-byte sets and of the kana, as the platform
// converts it, asked once per process when a text first needs it.
struct JisTables {
    wchar_t jis0208[kCells * kCells];
    wchar_t jis0212[kCells * kCells];
    wchar_t kana[0x60 - 0x21];
};

// JIS X 0208 row and cell to Shift_JIS's two bytes.
void ToShiftJis(unsigned j1, unsigned j2, unsigned char* out) {
    out[0] = static_cast<unsigned char>((j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0));
    out[1] = static_cast<unsigned char>(j1 % 2 ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E);
}

JisTables BuildJisTables() {
    JisTables t;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const size_t cell = (j1 - 0x21) * kCells + (j2 - 0x21);
            unsigned char bytes[3] = {static_cast<unsigned char>(j1 | 0x80),
                                      static_cast<unsigned char>(j2 | 0x80), 0};
            if (j1 == kNecRow13) {
                unsigned char sjis[2];
                ToShiftJis(j1, j2, sjis);
                t.jis0208[cell] = ConvertOne(kShiftJisCodePage, sjis, 2);
            } else {
                t.jis0208[cell] = ConvertOne(kEucJpCodePage, bytes, 2);
            }
            const unsigned char three[3] = {kJis0212Shift, bytes[0], bytes[1]};
            t.jis0212[cell] = ConvertOne(kEucJpCodePage, three, 3);
        }
    }
    for (unsigned b = 0x21; b < 0x60; ++b) {
        const unsigned char two[2] = {kKanaShift, static_cast<unsigned char>(b | 0x80)};
        t.kana[b - 0x21] = ConvertOne(kEucJpCodePage, two, 2);
    }
    return t;
}

const JisTables& Tables() {
    static const JisTables tables = BuildJisTables();
    return tables;
}

bool InSet(unsigned char b) { return b >= 0x21 && b <= 0x7E; }

bool IsBreak(unsigned char b) { return b == '\r' || b == '\n'; }

}  // namespace

bool WalkIso2022Jp(const unsigned char* p, size_t n, Iso2022Mode& mode, wchar_t* out,
                   size_t& written) {
    const JisTables* tables = out ? &Tables() : nullptr;
    size_t o = 0;
    auto put = [&](wchar_t c) {
        if (out) out[o] = c;
        ++o;
    };
    // A character the tables lack (0 there) is U+FFFD; a NUL byte is U+0000.
    auto mapped = [](wchar_t c) { return c ? c : kReplacement; };
    size_t i = 0;
    bool ok = true;
    while (i < n) {
        const unsigned char b = p[i];
        if (b == kEscape) {
            const size_t left = n - i;
            const unsigned char a = left > 1 ? p[i + 1] : 0, c = left > 2 ? p[i + 2] : 0;
            if (a == '(' && (c == 'B' || c == 'J')) {
                mode = Iso2022Mode::Ascii;
            } else if (a == '(' && c == 'I') {
                mode = Iso2022Mode::Kana;
            } else if (a == '$' && (c == 'B' || c == '@')) {
                mode = Iso2022Mode::Jis0208;
            } else if (a == '$' && c == '(' && left > 3 && p[i + 3] == 'D') {
                mode = Iso2022Mode::Jis0212;
                ++i;
            } else {
                ok = false;
                break;
            }
            i += 3;
            continue;
        }
        if (b >= 0x80) {
            ok = false;
            break;
        }
        if (b <= 0x20 || mode == Iso2022Mode::Ascii) {
            put(b);
            ++i;
        } else if (mode == Iso2022Mode::Kana) {
            if (b >= 0x60) {
                ok = false;
                break;
            }
            put(tables ? mapped(tables->kana[b - 0x21]) : 1);
            ++i;
        } else if (n - i >= 2 && InSet(b) && IsBreak(p[i + 1])) {
            // A line break is never part of a character: the first byte alone.
            put(kReplacement);
            ++i;
        } else {
            if (n - i < 2 || !InSet(b) || !InSet(p[i + 1])) {
                ok = false;
                break;
            }
            const size_t cell = (b - 0x21u) * kCells + (p[i + 1] - 0x21u);
            put(!tables                          ? 1
                : mode == Iso2022Mode::Jis0208 ? mapped(tables->jis0208[cell])
                                               : mapped(tables->jis0212[cell]));
            i += 2;
        }
    }
    written = o;
    return ok;
}

wchar_t Jis0212Character(unsigned char b1, unsigned char b2) {
    const wchar_t c = Tables().jis0212[(b1 - 0xA1u) * kCells + (b2 - 0xA1u)];
    return c ? c : kReplacement;
}
