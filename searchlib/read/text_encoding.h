// Which encoding a file's bytes are read in, and the decoding of its bytes
// into UTF-16. The loader's text mode is DetectEncoding, then DecodeFile
// behind a U+FEFF of its own; callers that look at a file's bytes before
// decoding them, or decode only parts of it, use DetectEncoding and
// DecodeText, so they see the same text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "iso2022jp.h"
#include "utf16_probe.h"

enum class TextEncoding {
    Utf16Le,    // mark FF FE, or none and NUL bytes on odd offsets (utf16_probe.h)
    Utf16Be,    // mark FE FF, or none and NUL bytes on even offsets; units' bytes swapped
    Utf8,       // mark EF BB BF, or none and well-formed but for a few bytes
    Iso2022Jp,  // no mark, 7-bit, escapes into JIS X 0208 or 0212
    EucJp,      // no mark, not valid Shift_JIS but valid EUC-JP (JIS X 0212 too)
    Ansi,       // everything else: the system's ANSI code page
};

inline bool IsUtf16(TextEncoding e) {
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}

struct DetectedEncoding {
    TextEncoding encoding;
    size_t markLength;  // bytes of the byte-order mark; the text starts there
};

// Ill-formed bytes that UTF-8 text without a mark may hold: one anywhere,
// and one more for every kSequencesPerFlaw well-formed multi-byte sequences
// before it; with any at all, at least kFewestSequences such sequences.
constexpr uint64_t kSequencesPerFlaw = 1000;
constexpr uint64_t kFewestSequences = 8;

// The first rule that fits (docs/encodings.md states them for a reader of
// any language):
// 1. a mark at the start: FF FE, EF BB BF, FE FF;
// 2. UTF-16 without a mark: the file is of even length and its first bytes
//    are UTF-16 by JudgeUtf16;
// 3. ISO-2022-JP: 7-bit, with an escape into a two-byte set, in its form;
// 4. UTF-8: at least one well-formed multi-byte sequence, ill-formed bytes
//    no more than the allowance above (a sequence cut at the file's very end
//    is no flaw) -- unless the system's ANSI code page is Shift_JIS, the file
//    is valid in it too, and that reading weighs more and holds nothing that
//    counts against it (reading_weight.h);
// 5. EUC-JP, where code page 932 does not fit;
// 6. the ANSI code page.
// A mark decides without a look at the rest; the UTF-16 rule looks at the
// first kUtf16ProbeBytes and the length; every other rule at the whole file,
// so its decoding fails only when the platform refuses.
DetectedEncoding DetectEncoding(const unsigned char* bytes, size_t count);

// What a scan of UTF-8 has met so far.
struct Utf8Tally {
    bool holds = true;       // ill-formed bytes within the allowance
    uint64_t sequences = 0;  // well-formed sequences of two or more bytes
    uint64_t flaws = 0;      // bytes that begin no well-formed sequence
    bool cutAtEnd = false;   // a sequence cut by the end of the file was let pass
};

// DetectEncoding over a file fed in pieces, for files too large to hold:
// each piece starts at the file's start or right after a CR or LF byte, and
// ends at the file's end or right after one. The same answer as
// DetectEncoding over the whole file, in bounded memory.
class EncodingDetector {
public:
    EncodingDetector();
    // The file's size, when known before its end: the UTF-16 rule is then
    // decided with its first bytes. Without it, the bytes fed are the size.
    void KnowSize(uint64_t bytes);
    // last: the file ends with this piece.
    void Feed(const unsigned char* p, size_t n, bool last);
    // True when no later piece can change the answer.
    bool Settled() const;
    // True once whether the answer is a UTF-16 encoding is known.
    bool Utf16Decided() const;
    // False once the answer can be neither UTF-16 encoding.
    bool MayBeUtf16() const;
    // Every byte fed so far was below 0x80 and none was ESC: such text
    // reads alike in every encoding but UTF-16 (byte_text.h's
    // SevenBitReadsAlike).
    bool SevenBitSoFar() const { return !marked_ && sevenBit_ && !isoStarted_; }
    // The answer, were the file to end here.
    DetectedEncoding Result() const;

private:
    void FeedIso2022Jp(const unsigned char* p, size_t n, size_t firstEscape);
    bool Utf8Holds() const;
    bool EvenSize() const { return (sizeKnown_ ? knownSize_ : size_) % 2 == 0; }

    bool started_ = false;
    bool marked_ = false;
    DetectedEncoding mark_{TextEncoding::Ansi, 0};
    uint64_t size_ = 0;  // bytes fed
    uint64_t knownSize_ = 0;
    bool sizeKnown_ = false;
    Utf16Probe utf16_;
    Utf8Tally utf8_;
    bool sevenBit_ = true;     // no byte above 0x7F so far
    bool iso_ = true;          // the ISO-2022-JP form holds so far
    bool isoStarted_ = false;  // an escape was seen: the form is checked from there
    bool jisEscape_ = false;   // ESC $ seen
    Iso2022Mode isoMode_ = Iso2022Mode::Ascii;
    bool euc_ = true;    // valid EUC-JP so far
    bool sjis_ = true;   // valid in code page 932 so far, asked while EUC-JP or weighing needs it
    bool weigh_;         // the ANSI code page is Shift_JIS: its reading is weighed against UTF-8's
    int64_t utf8Weight_ = 0, sjisWeight_ = 0;  // while both readings hold
    bool sjisDoubt_ = false;  // code page 932 reads a character that counts against it
};

// The lead bytes of the ANSI code page's double-byte characters, asked of
// the platform once per code page; null for a code page without them.
const bool* AnsiLeadBytes();

// Decodes bytes[0, count) into out, which holds at least count units (every
// encoding here gives at most one unit per byte), and sets written. A CR or
// LF byte is never part of a character: one right after a lead byte ends
// the line, and the lead byte alone becomes U+FFFD (in the ANSI code page:
// what the platform makes of a lead byte at the end of a text, its default
// character). So a range that starts and ends at line breaks decodes as it
// does within the whole file; ISO-2022-JP is decoded from its initial state,
// so only a whole text decodes as the file does. UTF-8 never fails: a byte
// that begins no well-formed sequence becomes U+FFFD; so does an ISO-2022-JP
// character the platform can't convert. A NUL byte is U+0000 everywhere. Returns false, with the system's last-error code
// set, when the bytes can't be decoded in that encoding; the loader then
// reads the whole file, mark included, in the ANSI code page (code page 932
// where the system's is UTF-8, fallback_code_page.h). An empty range
// decodes to nothing.
bool DecodeText(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                size_t& written);

// DecodeText for the pieces of one file in order, each starting at a line
// start: mode carries ISO-2022-JP's character set from piece to piece.
bool DecodePiece(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                 size_t& written, Iso2022Mode& mode);

// A whole file's text as the loader reads it: the bytes after the mark
// decoded as detected, or, should that fail, the whole file, mark included,
// in the ANSI code page. out holds at least count units. False, with the
// last-error code of the ANSI conversion, when even that fails.
bool DecodeFile(const unsigned char* bytes, size_t count, DetectedEncoding detected, wchar_t* out,
                size_t& written);
