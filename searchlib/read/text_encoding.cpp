// Encoding detection and decoding for the loader's text mode; Japanese
// double-byte code pages are judged by the platform's own conversion tables.
#include "text_encoding.h"

#include <windows.h>

#include <bitset>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "byte_scan.h"
#include "fallback_code_page.h"
#include "iso2022jp.h"
#include "reading_weight.h"
#include "simd.h"

namespace {

constexpr UINT kShiftJisCodePage = 932;
constexpr UINT kEucJpCodePage = 20932;
constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kKanaShift = 0x8E;     // EUC-JP: a half-width katakana follows
constexpr unsigned char kJis0212Shift = 0x8F;  // EUC-JP: a JIS X 0212 pair follows
constexpr wchar_t kReplacement = 0xFFFD;
constexpr size_t kLongestCut = 3;  // bytes of a UTF-8 sequence cut at a file's end

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

// True when p[0, left) (one to three bytes) begins a well-formed sequence
// that needs more bytes than that.
bool CutSequence(const unsigned char* p, size_t left) {
    const unsigned char b = p[0];
    const size_t need = b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
    if (left >= need) return false;
    // The missing bytes as the smallest that the lead byte allows.
    const unsigned char second = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    unsigned char whole[4] = {b, second, 0x80, 0x80};
    for (size_t k = 1; k < left; ++k) whole[k] = p[k];
    return Utf8Sequence(whole, need) == need;
}

// The character of a well-formed sequence of two to four bytes; above
// U+FFFF for four.
unsigned CodePoint(const unsigned char* s, size_t length) {
    if (length == 2) return (s[0] & 0x1Fu) << 6 | (s[1] & 0x3Fu);
    if (length == 3) return (s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
    return (s[0] & 0x07u) << 18 | (s[1] & 0x3Fu) << 12 | (s[2] & 0x3Fu) << 6 | (s[3] & 0x3Fu);
}

struct Utf8Scan {
    size_t firstHigh;    // the first byte above 0x7F, or n
    size_t firstEscape;  // the first ESC before it, when asked for, or n
};

// One pass over p[0, n), tallied on from tally: well-formed UTF-8 but for
// the allowance of ill-formed bytes, where the first byte above 0x7F is and,
// when findEscape, the first ESC before it. Stops once the allowance is
// spent; at the end of the file (last) a cut sequence passes.
Utf8Scan ScanUtf8(const unsigned char* p, size_t n, bool findEscape, bool last, Utf8Tally& tally) {
    Utf8Scan scan{n, n};
    uint64_t sequences = tally.sequences;  // in a register: the bytes may alias the tally
    size_t i = 0;
    for (;;) {
        i = SkipSevenBit(p, i, n, findEscape);
        if (i == n) break;
        if (p[i] == kEscape) {
            scan.firstEscape = i;
            findEscape = false;
            ++i;
            continue;
        }
        findEscape = false;
        if (scan.firstHigh == n) scan.firstHigh = i;
        // Text in a script beyond ASCII is mostly sequences back to back.
        do {
            const size_t length = Utf8Sequence(p + i, n - i);
            if (length == 0) {
                if (last && n - i <= kLongestCut && CutSequence(p + i, n - i)) {
                    tally.cutAtEnd = true;
                    i = n;
                    break;
                }
                if (++tally.flaws > 1 + sequences / kSequencesPerFlaw) {
                    tally.holds = false;
                    tally.sequences = sequences;
                    return scan;
                }
                ++i;
                continue;
            }
            ++sequences;
            i += length;
        } while (i < n && p[i] >= 0x80);
    }
    tally.sequences = sequences;
    return scan;
}

// Decodes UTF-8; each byte that begins no well-formed sequence (the scan's
// rule) becomes U+FFFD. out holds at least n units: no sequence gives more
// units than it has bytes, so the output never runs ahead of the input, and
// sixteen units may be stored wherever sixteen bytes are left.
void DecodeUtf8(const unsigned char* p, size_t n, wchar_t* out, size_t& written) {
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
            if (length == 2 || length == 3) {
                out[o++] = static_cast<wchar_t>(CodePoint(p + i, length));
            } else if (length == 4) {
                const unsigned c = CodePoint(p + i, length) - 0x10000;
                out[o++] = static_cast<wchar_t>(0xD800 | c >> 10);
                out[o++] = static_cast<wchar_t>(0xDC00 | (c & 0x3FF));
            } else {
                out[o++] = kReplacement;
                ++i;
                continue;
            }
            i += length;
        } while (i < n && p[i] >= 0x80);
    }
    written = o;
}

// ---- double-byte code pages, as the platform converts them -----------------

// Which single bytes and byte pairs a code page converts without error, as
// the platform itself answers for MB_ERR_INVALID_CHARS. Asked once per
// process, when a file first needs it.
struct DoubleByteTable {
    enum Kind : unsigned char { kInvalid, kSingle, kLead, kJis0212Lead };
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
// katakana), A1..FE + A1..FE (JIS X 0208), 8F + A1..FE + A1..FE (JIS X
// 0212). The platform decides which of the pairs it converts.
DoubleByteTable BuildEucJpTable() {
    DoubleByteTable t;
    for (unsigned b = 0; b < 0x80; ++b) t.kind[b] = DoubleByteTable::kSingle;
    t.kind[kJis0212Shift] = DoubleByteTable::kJis0212Lead;
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

bool EucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }

// True when every character of p[0, n) converts without error; JIS X 0212
// characters are taken by their form alone (Jis0212Character).
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
            } else if (t.kind[b] == DoubleByteTable::kJis0212Lead && n - i >= 3 &&
                       EucByte(p[i + 1]) && EucByte(p[i + 2])) {
                i += 3;
            } else {
                return false;
            }
        } while (i < n && p[i] >= 0x80);
    }
}

// ---- breaks after a lead byte ---------------------------------------------------

struct LeadBytes {
    bool any = false;
    bool lead[256] = {};
};

LeadBytes AskLeadBytes(UINT codePage) {
    LeadBytes t;
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 2) return t;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) t.lead[b] = t.any = true;
    return t;
}

// The first CR or LF byte in p[from, n) that a conversion of p[0, n) takes
// as the second byte of a double-byte character, or n. A byte that is no
// lead byte ends a character, so the one after it starts one; from there
// lead bytes pair off, and a break after an odd run of them is taken.
size_t FirstBreakTaken(const bool* lead, const unsigned char* p, size_t from, size_t n) {
    auto taken = [&](size_t at) {
        size_t q = at;
        while (q > 0 && lead[p[q - 1]]) --q;
        return (at - q) % 2 == 1;
    };
    size_t i = from + 1;  // the byte at from starts a character
#ifdef TESSUMI_SSE2
    // Only a break right after a byte of 0x80 or above needs a closer look:
    // every lead byte of a code page is one. Thirty-two bytes a step; the
    // top bits of the bytes, moved up by one, are those of the bytes before.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    auto breaksIn = [&](__m128i v) {
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    };
    auto highIn = [](__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); };
    unsigned carry = p[i - 1] >> 7;
    for (; n >= 32 && i <= n - 32; i += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
        const unsigned high = highIn(a) | highIn(b) << 16;
        const unsigned before = high << 1 | carry;
        carry = high >> 31;
        if (before == 0) continue;  // ASCII
        for (unsigned mask = (breaksIn(a) | breaksIn(b) << 16) & before; mask != 0; mask &= mask - 1) {
            const size_t at = i + CountTrailingZeros(mask);
            if (lead[p[at - 1]] && taken(at)) return at;
        }
    }
#endif
    for (; i < n; ++i)
        if ((p[i] == '\r' || p[i] == '\n') && lead[p[i - 1]] && taken(i)) return i;
    return n;
}

// ---- the weight of each reading (reading_weight.h) ----------------------------

bool AsciiLetterOrDigit(unsigned char b) {
    return (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z');
}

// p[from, n) read as UTF-8, from the first byte above 0x7F.
int64_t WeighUtf8(const unsigned char* p, size_t from, size_t n) {
    int64_t weight = 0;
    for (size_t i = from; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t length = Utf8Sequence(p + i, n - i);
        const bool inWord = (i > 0 && AsciiLetterOrDigit(p[i - 1])) ||
                            (length > 0 && i + length < n && AsciiLetterOrDigit(p[i + length]));
        weight += Utf8Weight(length ? CodePoint(p + i, length) : 0,
                             static_cast<unsigned>(length), inWord);
        i += length ? length : 1;
    }
    return weight;
}

// p[0, n) read in code page 932 (lead bytes 81-9F and E0-FC pair with the
// next byte, whether the platform has the pair or not), up to the first
// character that counts against it, where doubt is set.
int64_t WeighShiftJis(const unsigned char* p, size_t n, bool& doubt) {
    int64_t weight = 0;
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const bool pair = (p[i] >= 0x81 && p[i] <= 0x9F) || (p[i] >= 0xE0 && p[i] <= 0xFC);
        const int w = ShiftJisWeight(p[i], pair);
        if (w < 0) {
            doubt = true;
            break;
        }
        weight += w;
        i += pair ? 2 : 1;
    }
    return weight;
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

// EUC-JP as code page 20932 converts it, but for its JIS X 0212 characters,
// which go one by one (Jis0212Character).
bool DecodeEucJp(const unsigned char* p, size_t n, wchar_t* out, size_t& written) {
    size_t i = 0, o = 0;
    for (;;) {
        const void* shift = memchr(p + i, kJis0212Shift, n - i);
        const size_t end = shift ? static_cast<size_t>(static_cast<const unsigned char*>(shift) - p) : n;
        size_t k = 0;
        if (!Convert(kEucJpCodePage, MB_ERR_INVALID_CHARS, p + i, end - i, out + o, end - i, k)) {
            written = 0;
            return false;
        }
        o += k;
        if (end == n) break;
        if (n - end < 3 || !EucByte(p[end + 1]) || !EucByte(p[end + 2])) {
            written = 0;
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return false;
        }
        out[o++] = Jis0212Character(p[end + 1], p[end + 2]);
        i = end + 3;
    }
    written = o;
    return true;
}

}  // namespace

EncodingDetector::EncodingDetector() {
    // Code page 932 is read where the system's is UTF-8 too (fallback_code_page.h).
    weigh_ = FallbackCodePage().codePage == kShiftJisCodePage ||
             systemAnsiCodePage() == kShiftJisCodePage;
}

void EncodingDetector::KnowSize(uint64_t bytes) {
    knownSize_ = bytes;
    sizeKnown_ = true;
}

void EncodingDetector::Feed(const unsigned char* p, size_t n, bool last) {
    if (!started_) {
        started_ = true;
        if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) mark_ = {TextEncoding::Utf16Le, 2};
        if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) mark_ = {TextEncoding::Utf8, 3};
        if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) mark_ = {TextEncoding::Utf16Be, 2};
        marked_ = mark_.markLength != 0;
    }
    if (marked_) return;
    size_ += n;
    utf16_.Feed(p, n, last);
    size_t firstHigh = 0;
    // Once the text is beyond 7-bit, a piece that is UTF-8 throughout is
    // taken at once (the checks below look past its 7-bit bytes anyway);
    // only one with a flaw is walked sequence by sequence.
    if (utf8_.holds && (sevenBit_ || !WellFormedUtf8(p, n, utf8_.sequences))) {
        const Utf8Scan scan = ScanUtf8(p, n, sevenBit_ && !isoStarted_, last, utf8_);
        firstHigh = scan.firstHigh;
        if (firstHigh < n) sevenBit_ = false;
        FeedIso2022Jp(p, n, scan.firstEscape);
    }
    const unsigned char* high = p + firstHigh;
    const size_t rest = n - firstHigh;
    // EUC-JP is asked only while UTF-8 might still fail, and first: Shift_JIS
    // text fails it within a few characters. Code page 932 is asked while the
    // EUC-JP rule or the weighing needs it; the readings are weighed while
    // both hold.
    // A character that counts against code page 932's reading settles the
    // weighing at once: for UTF-8 Japanese text its first kanji or kana.
    if (rest == 0) return;  // 7-bit: the same in every one of them
    const bool eucAsked = euc_ && !(last && Utf8Holds());
    if (eucAsked) euc_ = ValidIn(EucJpTable(), high, rest);
    if (weigh_ && utf8_.holds && !sjisDoubt_) sjisWeight_ += WeighShiftJis(high, rest, sjisDoubt_);
    const bool weighing = weigh_ && utf8_.holds && !sjisDoubt_;
    if (sjis_ && ((eucAsked && euc_) || weighing)) sjis_ = ValidIn(ShiftJisTable(), high, rest);
    if (sjis_ && weighing) utf8Weight_ += WeighUtf8(p, firstHigh, n);
}

// ISO-2022-JP only while every byte is 7-bit, checked from the first escape.
void EncodingDetector::FeedIso2022Jp(const unsigned char* p, size_t n, size_t firstEscape) {
    if (!sevenBit_) {
        iso_ = false;
        return;
    }
    if (!iso_ || (!isoStarted_ && firstEscape == n)) return;
    const size_t from = isoStarted_ ? 0 : firstEscape;
    isoStarted_ = true;
    size_t ignored = 0;
    iso_ = WalkIso2022Jp(p + from, n - from, isoMode_, nullptr, ignored);
    const unsigned char* end = p + n;
    const void* e = memchr(p + from, kEscape, n - from);
    while (iso_ && !jisEscape_ && e != nullptr) {
        const unsigned char* at = static_cast<const unsigned char*>(e);
        jisEscape_ = at + 1 < end && at[1] == '$';
        e = memchr(at + 1, kEscape, static_cast<size_t>(end - at - 1));
    }
}

bool EncodingDetector::Utf8Holds() const {
    return utf8_.holds && utf8_.sequences > 0 &&
           (utf8_.flaws == 0 || utf8_.sequences >= kFewestSequences);
}

bool EncodingDetector::Utf16Decided() const {
    const Utf16Order order = utf16_.order();
    return marked_ || order == Utf16Order::None || (order != Utf16Order::Unknown && sizeKnown_);
}

bool EncodingDetector::Settled() const {
    if (marked_) return true;
    if (!Utf16Decided()) return false;
    return MayBeUtf16() || (!utf8_.holds && !euc_);
}

bool EncodingDetector::MayBeUtf16() const {
    if (marked_) return mark_.encoding != TextEncoding::Utf8;
    const Utf16Order order = utf16_.order();
    return order != Utf16Order::None && (!sizeKnown_ || EvenSize());
}

DetectedEncoding EncodingDetector::Result() const {
    if (marked_) return mark_;
    const Utf16Order order = utf16_.order();
    if (EvenSize() && order == Utf16Order::LittleEndian) return {TextEncoding::Utf16Le, 0};
    if (EvenSize() && order == Utf16Order::BigEndian) return {TextEncoding::Utf16Be, 0};
    if (sevenBit_) {
        if (iso_ && isoStarted_ && jisEscape_) return {TextEncoding::Iso2022Jp, 0};
        return {TextEncoding::Ansi, 0};  // 7-bit text is the same in the ANSI code page
    }
    if (Utf8Holds()) {
        const bool shiftJis = weigh_ && sjis_ && !sjisDoubt_ && sjisWeight_ > utf8Weight_;
        return {shiftJis ? TextEncoding::Ansi : TextEncoding::Utf8, 0};
    }
    // EUC-JP is asked first: Shift_JIS text fails it within a few characters,
    // while EUC-JP text fails code page 932 just as soon.
    if (euc_ && !sjis_) return {TextEncoding::EucJp, 0};
    return {TextEncoding::Ansi, 0};
}

const bool* AnsiLeadBytes() {
    // The system's code page, or Shift_JIS on a UTF-8 system; each asked once.
    const FallbackConversion fallback = FallbackCodePage();
    if (fallback.codePage == CP_ACP) {
        static const LeadBytes system = AskLeadBytes(CP_ACP);
        return system.any ? system.lead : nullptr;
    }
    static const LeadBytes shiftJis = AskLeadBytes(fallback.codePage);
    return shiftJis.any ? shiftJis.lead : nullptr;
}

DetectedEncoding DetectEncoding(const unsigned char* bytes, size_t count) {
    EncodingDetector detector;
    detector.Feed(bytes, count, true);
    return detector.Result();
}

bool DecodePiece(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                 size_t& written, Iso2022Mode& mode) {
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
        DecodeUtf8(bytes, count, out, written);
        return true;
    case TextEncoding::Iso2022Jp:
        if (WalkIso2022Jp(bytes, count, mode, out, written)) return true;
        written = 0;
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    case TextEncoding::EucJp:
        return DecodeEucJp(bytes, count, out, written);
    case TextEncoding::Ansi:
        break;
    }
    // Bytes that are not valid in the ANSI code page come out as the platform
    // renders them; the conversion fails only when the platform refuses. A
    // break that the conversion would take as a second byte starts a
    // conversion of its own: the lead byte before it ends the one before.
    const FallbackConversion fallback = FallbackCodePage();
    const bool* lead = AnsiLeadBytes();
    size_t from = 0;
    for (;;) {
        const size_t to = lead ? FirstBreakTaken(lead, bytes, from, count) : count;
        size_t k = 0;
        if (!Convert(fallback.codePage, fallback.flags, bytes + from, to - from, out + written,
                     to - from, k)) {
            written = 0;
            return false;
        }
        written += k;
        if (to == count) return true;
        from = to;
    }
}

bool DecodeText(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                size_t& written) {
    Iso2022Mode mode = Iso2022Mode::Ascii;
    return DecodePiece(encoding, bytes, count, out, written, mode);
}

bool DecodeFile(const unsigned char* bytes, size_t count, DetectedEncoding detected, wchar_t* out,
                size_t& written) {
    if (detected.encoding != TextEncoding::Ansi &&
        DecodeText(detected.encoding, bytes + detected.markLength, count - detected.markLength,
                   out, written))
        return true;
    return DecodeText(TextEncoding::Ansi, bytes, count, out, written);
}
