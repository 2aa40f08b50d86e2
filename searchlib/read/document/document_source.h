// A document's text as the block reader reads a file: UTF-16LE behind a
// byte order mark, one line a cell, paragraph or slide text (DocumentText),
// made as it is read. Going back makes the text again from its start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document_text.h"
#include "forward_source.h"

class DocumentSource : public ForwardSource {
public:
    // package: the document's zip package; path names it in failure texts.
    DocumentSource(RandomSource& package, ContentKind kind, const wchar_t* path)
        : package_(package), kind_(kind), path_(path) {}

    // Opens the text: true, or false with the reason it is passed by.
    bool Open(std::wstring& reason);
    // Not known before the text is made: the reader ends at the first
    // short read.
    uint64_t size() const override { return kUnknownSize; }

    static constexpr uint64_t kUnknownSize = uint64_t(1) << 62;

private:
    bool Restart(wchar_t* statusText) override;
    bool Next(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) override;

    RandomSource& package_;
    ContentKind kind_;
    const wchar_t* path_;
    std::unique_ptr<DocumentText> text_;
    std::wstring made_;  // lines made, given up to byte used_
    size_t used_ = 0;
    bool ended_ = false;
};
