// What the readers of each document format share: the parts read one after
// another, each as a stream of XML events, and the lines they put out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "content_kind.h"
#include "package.h"

// The most characters one cell or paragraph may hold: it is gathered whole
// before its lines are put out.
constexpr size_t kLongestPiece = size_t(1) << 20;

// Paragraphs being read one within another (a text box's within the
// paragraph it stands in, a note's within its mark's), their buffers kept
// from one to the next. Deeper than kDeepest, a paragraph's text joins the
// one it stands in, so that memory stays within kDeepest pieces.
class ParagraphStack {
public:
    static constexpr size_t kDeepest = 16;

    void Clear() { open_ = joined_ = 0; }
    void Open() {
        if (open_ == kDeepest) {
            ++joined_;
            return;
        }
        if (open_ == buffers_.size()) buffers_.emplace_back();
        buffers_[open_++].clear();
    }
    // The innermost paragraph's text, or null outside every paragraph.
    std::wstring* Top() { return open_ > 0 ? &buffers_[open_ - 1] : nullptr; }
    // Ends the innermost: its text, or null when it was joined to another
    // (or none was open).
    const std::wstring* Close() {
        if (joined_ > 0) {
            --joined_;
            return nullptr;
        }
        return open_ > 0 ? &buffers_[--open_] : nullptr;
    }

private:
    std::vector<std::wstring> buffers_;
    size_t open_ = 0;
    size_t joined_ = 0;
};

struct PartToRead {
    std::wstring name;   // in the package
    std::wstring place;  // what its lines are labelled with, when the part decides
    int role = 0;        // the reader's own
};

class DocumentReader {
public:
    virtual ~DocumentReader() = default;

    // Finds the parts to read, in order, and reads what all of them need.
    virtual bool Open(Package& package, std::wstring& reason) = 0;

    // Reads on until out has grown by units, or the last part has ended.
    bool Read(Package& package, std::wstring& out, size_t units, bool& end, std::wstring& reason);

protected:
    virtual void BeginPart(const PartToRead& part) = 0;
    virtual bool Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                        std::wstring& reason) = 0;

    std::vector<PartToRead> parts_;

private:
    size_t next_ = 0;
    PartXml current_;
};

// Appends "[place] piece" and an LF to out for each piece of text between
// its line breaks, leaving out pieces of white space alone.
void PutLines(std::wstring_view place, std::wstring_view text, std::wstring& out);

// Appends n's decimal digits to out.
void AppendNumber(unsigned long n, std::wstring& out);

// Appends a cell's reference, "AB12" for column 28 of row 12, to out.
void AppendCellReference(unsigned column, unsigned long row, std::wstring& out);

// Appends the text of xml's last Text event to piece, within
// kLongestPiece: false with the reason.
bool AddText(const XmlScanner& xml, std::wstring& piece, std::wstring& reason);

std::unique_ptr<DocumentReader> MakeWorkbookReader();
std::unique_ptr<DocumentReader> MakeWordReader();
std::unique_ptr<DocumentReader> MakeSlidesReader();
// kind: OdfText, OdfSpreadsheet or OdfPresentation.
std::unique_ptr<DocumentReader> MakeOpenDocumentReader(ContentKind kind);
