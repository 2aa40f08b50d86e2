// The text loader's second half, for callers that read the file themselves
// (file_read.h): a file's bytes as the UTF-16 text that SubReadText's text
// mode hands out.
#pragma once

#include "file_read.h"

// The text of file (read from path) starting with U+FEFF, *length in units:
// a file that begins with FF FE is taken as it is, any other is converted
// from the ANSI code page. 1 and "正常です。", the buffer handed over in
// *text; or 0 with the conversion's failure text and nothing held.
int ToLoadedText(const wchar_t* path, FileBytes& file, wchar_t** text, int* length,
                 wchar_t* statusText);

// Whether the bytes begin with the UTF-16LE byte-order mark FF FE.
inline bool StartsWithUtf16Mark(const FileBytes& file) {
    return file.size >= 2 && file.bytes()[0] == 0xFF && file.bytes()[1] == 0xFE;
}
