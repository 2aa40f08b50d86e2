// The text of a document (Office Open XML or OpenDocument) as lines, made a
// block at a time in bounded memory: each cell, paragraph or slide text is
// one line "[place] text" ("[Sheet1!B12] 東京支社", "[段落 12] …",
// "[スライド 3] …", "[スライド 3 ノート] …"), and a text with line breaks
// gives one line for each of its lines, each with its place. No line holds
// a CR or an LF; each ends with one LF.
#pragma once

#include <memory>
#include <string>

#include "content_kind.h"
#include "package.h"

class DocumentReader;

class DocumentText {
public:
    DocumentText();
    ~DocumentText();

    // Opens the document of kind (a document kind) in source: true, or
    // false with the reason it is passed by.
    bool Open(RandomSource& source, ContentKind kind, std::wstring& reason);

    // Appends whole lines to out until out has grown by at least units
    // units or the text has ended (end is then true). False with the
    // reason the rest can't be read; the lines given before stand.
    bool Read(std::wstring& out, size_t units, bool& end, std::wstring& reason);

private:
    Package package_;
    std::unique_ptr<DocumentReader> reader_;
};
