// Which encoding a file's bytes are read in, and the decoding of its bytes
// into UTF-16. The loader's text mode is DetectEncoding, then DecodeFile
// behind a U+FEFF of its own; callers that look at a file's bytes before
// decoding them, or decode only parts of it, use DetectEncoding and
// DecodeText, so they see the same text.
#pragma once

#include <cstddef>

#include "iso2022jp.h"

enum class TextEncoding {
    Utf16Le,    // mark FF FE; the bytes are the text
    Utf16Be,    // mark FE FF; every unit's bytes swapped
    Utf8,       // mark EF BB BF, or none and well-formed but for a cut end
    Iso2022Jp,  // no mark, 7-bit, escapes into JIS X 0208 or 0212
    EucJp,      // no mark, not valid Shift_JIS but valid EUC-JP (JIS X 0212 too)
    Ansi,       // everything else: the system's ANSI code page
};

struct DetectedEncoding {
    TextEncoding encoding;
    size_t markLength;  // bytes of the byte-order mark; the text starts there
};

// The first rule that fits: FF FE, EF BB BF, FE FF at the start; without a
// mark ISO-2022-JP, UTF-8 with at least one multi-byte sequence that is
// well-formed apart from a sequence cut at the file's very end, EUC-JP where
// code page 932 does not fit, the ANSI code page. A mark decides without a
// look at the rest; every other answer checked the whole file, so its
// decoding fails only when the platform refuses.
DetectedEncoding DetectEncoding(const unsigned char* bytes, size_t count);

// DetectEncoding over a file fed in pieces, for files too large to hold:
// each piece starts at the file's start or right after a CR or LF byte, and
// ends at the file's end or right after one. The same answer as
// DetectEncoding over the whole file.
class EncodingDetector {
public:
    // last: the file ends with this piece.
    void Feed(const unsigned char* p, size_t n, bool last);
    // True when no later piece can change the answer.
    bool Settled() const;
    DetectedEncoding Result() const;

private:
    bool started_ = false;
    bool marked_ = false;
    DetectedEncoding mark_{TextEncoding::Ansi, 0};
    bool utf8_ = true;         // well-formed so far
    bool multiByte_ = false;   // a whole sequence of two or more bytes seen
    bool cutAtEnd_ = false;    // the last piece ended in a cut sequence
    bool sevenBit_ = true;     // no byte above 0x7F so far
    bool iso_ = true;          // the ISO-2022-JP form holds so far
    bool isoStarted_ = false;  // an escape was seen: the form is checked from there
    bool jisEscape_ = false;   // ESC $ seen
    Iso2022Mode isoMode_ = Iso2022Mode::Ascii;
    bool euc_ = true;   // valid EUC-JP so far
    bool sjis_ = true;  // valid in code page 932 so far, asked while euc_ holds
};

// Decodes bytes[0, count) into out, which holds at least count units (every
// encoding here gives at most one unit per byte), and sets written. A range
// that starts and ends at line breaks decodes as it does within the whole
// file; ISO-2022-JP is decoded from its initial state, so only a whole text
// decodes as the file does. UTF-8 never fails: a byte that begins no
// well-formed sequence becomes U+FFFD; so does an ISO-2022-JP character the
// platform can't convert. Returns false, with the system's last-error code
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
