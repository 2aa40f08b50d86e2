#include "byte_text.h"

#include "byte_fold_search.h"
#include "byte_scan.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fallback_code_page.h"
#include "status_text.h"

namespace {

constexpr unsigned char kCR = '\r';
constexpr unsigned char kLF = '\n';
constexpr unsigned kMultipleSources = CodePageFacts::kNoSingleSource - 1;

bool IsBreak(unsigned char c) { return c == kCR || c == kLF; }

// Converts bytes[0, n) exactly as the loader converts a whole file.
int Convert(FallbackConversion fallback, const unsigned char* bytes, size_t n, wchar_t* out,
            size_t capacity) {
    return MultiByteToWideChar(fallback.codePage, fallback.flags,
                               reinterpret_cast<const char*>(bytes), static_cast<int>(n), out,
                               static_cast<int>(capacity));
}

// Notes that sequence converts to the units out[0, k).
void Note(CodePageFacts& cp, unsigned sequence, const wchar_t* out, int k) {
    for (int i = 0; i < k; ++i) {
        unsigned& s = cp.source[static_cast<uint16_t>(out[i])];
        s = s == CodePageFacts::kNoSingleSource && k == 1 ? sequence : kMultipleSources;
    }
}

CodePageFacts AskCodePage(FallbackConversion fallback) {
    CodePageFacts cp;
    CPINFO info;
    if (!GetCPInfo(fallback.codePage, &info) || info.MaxCharSize > 2) return cp;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) cp.lead[b] = true;
    // A code page whose lead bytes reach below 0x80 gives no literals to look
    // for in its bytes: its text is searched decoded.
    for (unsigned b = 0; b < 0x80; ++b)
        if (cp.lead[b]) return cp;
    cp.source.assign(0x10000, CodePageFacts::kNoSingleSource);
    wchar_t out[4];
    cp.asciiAsIs = true;
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned char one[1] = {static_cast<unsigned char>(b)};
        const int k = Convert(fallback, one, 1, out, 4);
        if (b < 0x80 && (cp.lead[b] || k != 1 || out[0] != static_cast<wchar_t>(b)))
            cp.asciiAsIs = false;
        // A lead byte converts alone only at the very end of a text: not a
        // sequence a literal can be found by.
        Note(cp, cp.lead[b] ? kMultipleSources : b, out, k);
        if (!cp.lead[b]) continue;
        for (unsigned t = 0; t < 256; ++t) {
            const unsigned char two[2] = {static_cast<unsigned char>(b),
                                          static_cast<unsigned char>(t)};
            Note(cp, b << 8 | t, out, Convert(fallback, two, 2, out, 4));
        }
    }
    for (unsigned& s : cp.source)
        if (s == kMultipleSources) s = CodePageFacts::kNoSingleSource;
    cp.usable = true;
    return cp;
}

}  // namespace

const CodePageFacts& AnsiCodePage() {
    // The system's code page, or Shift_JIS on a UTF-8 system; each asked once.
    const FallbackConversion fallback = FallbackCodePage();
    if (fallback.codePage == CP_ACP) {
        static const CodePageFacts system = AskCodePage(fallback);
        return system;
    }
    static const CodePageFacts shiftJis = AskCodePage(fallback);
    return shiftJis;
}

bool SevenBitReadsAlike() {
    static const bool alike = [] {
        if (!AnsiCodePage().asciiAsIs) return false;
        unsigned char bytes[0x80];
        wchar_t units[0x80];
        for (unsigned b = 0; b < 0x80; ++b) bytes[b] = static_cast<unsigned char>(b);
        size_t written = 0;
        if (!DecodeText(TextEncoding::EucJp, bytes, 0x80, units, written) || written != 0x80)
            return false;
        for (unsigned b = 0; b < 0x80; ++b)
            if (units[b] != static_cast<wchar_t>(b)) return false;
        return true;
    }();
    return alike;
}

namespace {

bool EncodeInCodePage(const CodePageFacts& cp, const std::wstring& literal, std::string& bytes) {
    if (!cp.usable) return false;
    for (wchar_t c : literal) {
        const unsigned s = cp.source[static_cast<uint16_t>(c)];
        if (s == CodePageFacts::kNoSingleSource) return false;
        if (s > 0xFF) bytes += static_cast<char>(s >> 8);
        bytes += static_cast<char>(s & 0xFF);
    }
    return true;
}

// Well-formed UTF-8 has one form for every character; a lone surrogate has
// none, and U+FFFD also stands for every ill-formed byte.
bool EncodeInUtf8(const std::wstring& literal, std::string& bytes) {
    for (size_t i = 0; i < literal.size(); ++i) {
        unsigned c = static_cast<uint16_t>(literal[i]);
        if (c == 0xFFFD) return false;
        if (c >= 0xD800 && c <= 0xDFFF) {
            const unsigned low = i + 1 < literal.size() ? static_cast<uint16_t>(literal[i + 1]) : 0;
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | c >> 18);
            bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

}  // namespace

bool EncodeLiteral(TextEncoding encoding, const std::wstring& literal, std::string& bytes) {
    bytes.clear();
    switch (encoding) {
    case TextEncoding::Ansi: return EncodeInCodePage(AnsiCodePage(), literal, bytes);
    case TextEncoding::Utf8: return EncodeInUtf8(literal, bytes);
    default: return false;
    }
}

LiteralProbes ChooseByteProbes(const std::string& literal) {
    // Bytes from 0x80 up are weighed as kana are: lead bytes and the bytes
    // of UTF-8 sequences fill Japanese text.
    std::wstring units(literal.size(), L'\0');
    for (size_t i = 0; i < literal.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(literal[i]);
        units[i] = b < 0x80 ? static_cast<wchar_t>(b) : L'\x3042';
    }
    return ChooseProbes(units.data(), units.size());
}

size_t FindBytes(const unsigned char* want, size_t m, LiteralProbes probes,
                 const unsigned char* text, size_t from, size_t n) {
    if (from > n) return n;
    if (m == 0) return from;
    return FindProbed(want, m, probes, text, from, n);
}

ByteText::ByteText(TextEncoding encoding, const unsigned char* bytes, size_t n, size_t markLength,
                   const std::vector<ByteLiteral>& literals, std::vector<wchar_t>& scratch)
    : encoding_(encoding),
      asciiAsIs_(encoding == TextEncoding::Utf8 || AnsiCodePage().asciiAsIs),
      bytes_(bytes), n_(n), first_(markLength), literals_(literals), next_(literals.size(), 0),
      scratch_(scratch) {}

size_t ByteText::NextCandidate(size_t from) {
    if (literals_.empty()) return from;
    size_t first = n_;
    for (size_t i = 0; i < literals_.size(); ++i) {
        if (!searched_ || next_[i] < from) {
            const ByteLiteral& lit = literals_[i];
            const auto* want = reinterpret_cast<const unsigned char*>(lit.bytes.data());
            next_[i] = lit.asciiCase ? FindBytesIgnoringAsciiCase(want, lit.bytes.size(),
                                                                  lit.probes, bytes_, from, n_)
                                     : FindBytes(want, lit.bytes.size(), lit.probes, bytes_,
                                                 from, n_);
        }
        first = std::min(first, next_[i]);
    }
    searched_ = true;
    return first;
}

size_t ByteText::LineStartOf(size_t from, size_t q) const {
    for (size_t k = q; k > from; --k)
        if (IsBreak(bytes_[k - 1]) && !IsBreak(bytes_[k])) return k;
    return from;
}

size_t ByteText::CountLines(size_t from, size_t to) const {
    // Every line there ends with one run of CR and LF inside the range.
    return CountBreakRuns(bytes_, from, to);
}

size_t ByteText::NextLine(size_t& next) const {
    size_t k = FindBreakByte(bytes_, next, n_);
    const size_t end = k;
    while (k < n_ && IsBreak(bytes_[k])) ++k;
    next = k;
    return end;
}

int ByteText::Content(size_t start, size_t end, Line& line, wchar_t* statusText) {
    const size_t n = end - start;
    if (scratch_.size() < n + 1) scratch_.resize(n + 1);
    wchar_t* out = scratch_.data();
    const unsigned char* in = bytes_ + start;
    size_t k = 0;
    if (asciiAsIs_) {
        while (k < n && in[k] < 0x80) {
            out[k] = in[k];
            ++k;
        }
    }
    if (k < n && !DecodeText(encoding_, in, n, out, k)) {
        status::SystemFailure(statusText, nullptr, status::kConversion, GetLastError());
        return 0;
    }
    line = {out, k};
    return 1;
}
