// The text loader's second half, for callers that read the file themselves
// (file_read.h): a file's bytes as the UTF-16 text that SubReadText's text
// mode hands out.
#pragma once

#include "file_read.h"
#include "text_encoding.h"

// The text of file (read from path, its encoding detected by DetectEncoding)
// starting with U+FEFF, *length in units. 1 and "正常です。", the buffer
// handed over in *text; or 0 with the conversion's failure text and nothing
// held.
int ToLoadedText(const wchar_t* path, FileBytes& file, const DetectedEncoding& detected,
                 wchar_t** text, int* length, wchar_t* statusText);
