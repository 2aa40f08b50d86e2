// What a result record's path names, opened again after its search to read
// its lines as the search read them: a file, a member of an archive, or a
// document's text. The path alone decides, as the window decides how to
// open a record: a path through a file named as a zip names a member of
// that archive (zip/member_reach.h); a file or member named as a document
// (.xlsx .docx .pptx .odt and their kin, content_kind.h) gives its text's
// lines (document/document_source.h), since its bytes are no text that
// anyone searches.
#pragma once

#include <functional>

#include "block_reader.h"

// Whether path is named as a document whose text's lines its records number.
bool NamesDocument(const wchar_t* path);

// Opens what path names and hands it to read, whose answer is returned: 1,
// or 0 with statusText. 0 with the failure text when it can't be opened.
int OpenRecordSource(const wchar_t* path, const std::function<int(BlockSource&)>& read,
                     wchar_t* statusText);
