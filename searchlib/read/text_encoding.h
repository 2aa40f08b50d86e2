// Which encoding a file's bytes are read in, and the decoding of its bytes
// into UTF-16. The loader's text mode is DetectEncoding, then DecodeFile
// behind a U+FEFF of its own; callers that look at a file's bytes before
// decoding them, or decode only parts of it, use DetectEncoding and
// DecodeText, so they see the same text.
#pragma once

#include <cstddef>

enum class TextEncoding {
    Utf16Le,    // mark FF FE; the bytes are the text
    Utf16Be,    // mark FE FF; every unit's bytes swapped
    Utf8,       // mark EF BB BF, or none and the whole file well-formed
    Iso2022Jp,  // no mark, 7-bit, escapes into JIS X 0208
    EucJp,      // no mark, not valid Shift_JIS but valid EUC-JP
    Ansi,       // everything else: the system's ANSI code page
};

struct DetectedEncoding {
    TextEncoding encoding;
    size_t markLength;  // bytes of the byte-order mark; the text starts there
};

// The first rule that fits: FF FE, EF BB BF, FE FF at the start; without a
// mark ISO-2022-JP, well-formed UTF-8 with at least one multi-byte sequence,
// EUC-JP where code page 932 does not fit, the ANSI code page. A mark
// decides without a look at the rest; every other answer checked the whole
// file, so its decoding fails only when the platform refuses.
DetectedEncoding DetectEncoding(const unsigned char* bytes, size_t count);

// True when bytes[0, count) is well-formed UTF-8: no overlong form, no
// surrogate, nothing above U+10FFFF and no sequence cut at the end. A file
// with a UTF-8 mark whose rest fails this is read in the ANSI code page.
bool Utf8WellFormed(const unsigned char* bytes, size_t count);

// Decodes bytes[0, count) into out, which holds at least count units (every
// encoding here gives at most one unit per byte), and sets written. A range
// that starts and ends at line breaks decodes as it does within the whole
// file; ISO-2022-JP is decoded from its initial state, so only a whole text
// decodes as the file does. Returns false, with the system's last-error
// code set, when the bytes can't be decoded in that encoding; the loader
// then reads the whole file, mark included, in the ANSI code page. An empty
// range decodes to nothing.
bool DecodeText(TextEncoding encoding, const unsigned char* bytes, size_t count, wchar_t* out,
                size_t& written);

// A whole file's text as the loader reads it: the bytes after the mark
// decoded as detected, or, should that fail, the whole file, mark included,
// in the ANSI code page. out holds at least count units. False, with the
// last-error code of the ANSI conversion, when even that fails.
bool DecodeFile(const unsigned char* bytes, size_t count, DetectedEncoding detected, wchar_t* out,
                size_t& written);
