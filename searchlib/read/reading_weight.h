// How much like Japanese text each reading of bytes is, for bytes that read
// both as UTF-8 and in code page 932 (Shift_JIS). Short Shift_JIS files of
// half-width katakana are often well-formed UTF-8 too: ﾊｲ (CA B2) is U+02B2,
// a phonetic modifier no Japanese file holds. Every byte counts once, for
// the reading it is read in: +1 when that reading makes it part of a
// character that Japanese text holds, -1 when it makes it part of anything
// else, 0 for symbols either reading may hold. The detector takes the code
// page's reading only when it weighs more than the UTF-8 one and none of its
// characters counts against it.
#pragma once

// A UTF-8 character of length bytes (0: a byte that begins no well-formed
// sequence); inWord: an ASCII letter or digit stands right before or after it.
// For: punctuation, kana and kanji (U+3000-U+30FF, U+3200-U+33FF,
// U+4E00-U+9FFF, U+F900-U+FAFF), full-width forms (U+FF00-U+FFEF), and
// Latin-1 and Latin Extended letters and signs inside a word (café, été,
// 25°C, łódź). Neither: punctuation and symbols (U+2000-U+2BFF), characters
// of four bytes. Against: ill-formed bytes and everything else, Latin
// outside a word, IPA, spacing modifiers and other scripts among them.
int Utf8Weight(unsigned codePoint, unsigned length, bool inWord);

// A code page 932 character: one byte above 0x7F, or a pair whose first
// byte is lead. For: half-width katakana and punctuation (A1-DF), pairs led
// by 81-84 (symbols, full-width letters and digits, kana, Greek, Cyrillic,
// box drawing), 87 (①, ㈱) and 88-98 (the common kanji). Against: the rare
// kanji (99-9F, E0-EA), the vendors' and users' characters (ED-FC) and
// single bytes outside the kana (80, A0, FD-FF).
int ShiftJisWeight(unsigned char lead, bool pair);
