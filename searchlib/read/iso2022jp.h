// ISO-2022-JP as mail carries it: the form, checked and decoded in pieces
// that carry the selected character set from one to the next.
#pragma once

#include <cstddef>

// The character set the last escape selected.
enum class Iso2022Mode : unsigned char {
    Ascii,    // ESC ( B, ESC ( J (JIS-Roman kept as ASCII), and at the start
    Jis0208,  // ESC $ B, ESC $ @
    Jis0212,  // ESC $ ( D
    Kana,     // ESC ( I: half-width katakana
};

// Walks p[0, n) from mode and leaves mode as the piece ends. Control
// characters (NUL among them) and spaces pass in every mode; in the two-byte
// sets both bytes are 0x21..0x7E, but for a first byte that a CR or LF
// follows: the break ends the line, and that byte alone is U+FFFD. With out
// (at least n units), writes the text: a character the platform has no
// conversion for becomes U+FFFD. Returns false at the first byte the form
// does not allow, or at an escape cut by the piece's end.
bool WalkIso2022Jp(const unsigned char* p, size_t n, Iso2022Mode& mode, wchar_t* out,
                   size_t& written);

// EUC-JP's 0x8F b1 b2 (b1, b2 in 0xA1..0xFE): a JIS X 0212 character as code
// page 20932 converts it, or U+FFFD where the platform's has no such
// character (Wine's has none of them).
wchar_t Jis0212Character(unsigned char b1, unsigned char b2);
