// Opening, sizing and reading one whole file: the first half of the text
// loader, shared by SubReadText and the line search so that both open files
// the same way and fail with the same texts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "handle_owner.h"

// A file's bytes as one read delivered them. Held as UTF-16 units, so that
// the buffer can be handed to a caller who releases it with delete[]; an odd
// last byte gets a unit of its own.
struct FileBytes {
    std::unique_ptr<wchar_t[]> buffer;
    size_t size = 0;  // bytes read

    const unsigned char* bytes() const {
        return reinterpret_cast<const unsigned char*>(buffer.get());
    }
};

// Reads the file at path whole with one ReadFile. 1 and "正常です。" in
// statusText; or 0 with the loader's text for the step that failed (open,
// size query, a file larger than limit bytes, allocation, read) and nothing
// held. *length receives the byte count once the size is known.
int ReadWholeFile(const wchar_t* path, DWORD limit, FileBytes& out, int* length,
                  wchar_t* statusText);

// Opens the file at path for reading, shared with writers and deleters. 1
// and "正常です。", or 0 with the loader's text for a file that can't be opened.
int OpenForReading(const wchar_t* path, FileHandle& file, wchar_t* statusText);

// Refuses a buffer that can't be allocated with a text in the usual form:
// subject, lead-in and the system's words for running out of memory.
int RefuseNoMemory(const wchar_t* path, wchar_t* statusText);
