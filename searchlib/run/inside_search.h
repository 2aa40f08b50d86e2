// What a file holds, searched rather than its bytes: under TESSUMI_ARCHIVES
// each member of a zip archive as a file of its own (archives inside it
// too), under TESSUMI_DOCUMENTS the text of an Office or OpenDocument
// document, in an archive or not. Without those flags a file's bytes alone.
#pragma once

#include <string>

#include "run_state.h"

// Whether the file at path is an archive walked inside (whatever pattern 1
// says of its own path: its members are tested).
bool WalkedInside(const SearchRun& run, const std::wstring& path);

// Searches the file at path, which the walk found: FnSearchLines' outcome
// for a file read as bytes. An archive or a document that can't be read
// inside is passed by and told: at once when the design refuses it
// (encrypted, a method not read, too big, too deep, an old format), as an
// unreadable file is under TESSUMI_KEEP_GOING when it is damaged. Each
// member searched counts as a file; an archive itself answers kFilePassedBy
// so that it is not counted again.
int SearchFileOrInside(const std::wstring& path, SearchRun& run, wchar_t* statusText);
