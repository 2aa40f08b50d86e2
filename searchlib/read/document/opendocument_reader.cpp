// OpenDocument (.odt .ods .odp): the text of content.xml, each paragraph or
// heading a line "[段落 N] …"; each sheet's cells row by row,
// "[Sheet1!B12] …"; each page's text, then its notes, "[スライド 3] …" and
// "[スライド 3 ノート] …".
#include <algorithm>
#include <cwchar>

#include "document_reader.h"
#include "status_text.h"

namespace {

const wchar_t kParagraph[] = L"段落 ";
const wchar_t kSlide[] = L"スライド ";
const wchar_t kNotes[] = L" ノート";

// Rows and cells repeated with the same text are put out this many times at
// most: a file may repeat a row to the sheet's last.
constexpr unsigned long kMostRepeats = 1024;

class OpenDocumentReader : public DocumentReader {
public:
    explicit OpenDocumentReader(ContentKind kind) : kind_(kind) {}
    bool Open(Package& package, std::wstring& reason) override;

protected:
    void BeginPart(const PartToRead&) override {}
    bool Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                std::wstring& reason) override;

private:
    bool Paragraph(bool start, std::wstring& out, std::wstring& reason);
    void Cell(XmlScanner& xml, bool start);
    void PutRow(std::wstring& out);
    template <size_t N>
    unsigned long Repeats(XmlScanner& xml, const char (&name)[N]) {
        unsigned long n = 1;
        if (xml.Attribute(XmlNs::OdfTable, name, value_)) n = std::wcstoul(value_.c_str(), nullptr, 10);
        return n == 0 ? 1 : n;
    }

    ContentKind kind_;
    ParagraphStack paragraphs_;
    unsigned long count_ = 0;  // paragraphs, or pages
    bool inNotes_ = false;
    std::wstring place_, value_;
    // A sheet's row: its cells' columns and texts, put out once per repeat.
    std::wstring sheet_;
    unsigned long row_ = 0, rowRepeats_ = 1;
    unsigned column_ = 0;
    unsigned long cellRepeats_ = 1;
    std::wstring cell_;
    int inCell_ = 0;
    std::vector<std::pair<unsigned, std::wstring>> cells_;
};

bool OpenDocumentReader::Open(Package& package, std::wstring& reason) {
    parts_.push_back({L"content.xml", L"", 0});
    if (package.Has(parts_[0].name)) return true;
    reason = status::MissingPartReason(parts_[0].name);
    return false;
}

bool OpenDocumentReader::Paragraph(bool start, std::wstring& out, std::wstring& reason) {
    if (start) {
        paragraphs_.Open();
        return true;
    }
    const std::wstring* paragraph = paragraphs_.Close();
    if (paragraph == nullptr) return true;
    const std::wstring& text = *paragraph;
    if (kind_ == ContentKind::OdfSpreadsheet) {
        if (inCell_ == 0) return true;
        // A cell's paragraphs are its lines, within the bound of a piece.
        if (cell_.size() + text.size() >= kLongestPiece) {
            reason = status::BoundReason(status::DocumentBound::Piece, kLongestPiece);
            return false;
        }
        if (!cell_.empty()) cell_ += L'\n';
        cell_ += text;
        return true;
    }
    if (kind_ == ContentKind::OdfText) {
        place_ = kParagraph;
        AppendNumber(++count_, place_);
    } else {
        place_ = kSlide;
        AppendNumber(count_, place_);
        if (inNotes_) place_ += kNotes;
    }
    PutLines(place_, text, out);
    return true;
}

void OpenDocumentReader::Cell(XmlScanner& xml, bool start) {
    if (start) {
        cellRepeats_ = Repeats(xml, "number-columns-repeated");
        cell_.clear();
        ++inCell_;
        return;
    }
    --inCell_;
    if (!cell_.empty())
        for (unsigned long i = 0; i < std::min(cellRepeats_, kMostRepeats); ++i)
            cells_.push_back({column_ + 1 + static_cast<unsigned>(i), cell_});
    column_ += static_cast<unsigned>(std::min<unsigned long>(cellRepeats_, 1u << 20));
}

void OpenDocumentReader::PutRow(std::wstring& out) {
    const unsigned long repeats = cells_.empty() ? 0 : std::min(rowRepeats_, kMostRepeats);
    for (unsigned long r = 0; r < repeats; ++r) {
        for (const auto& [column, text] : cells_) {
            place_ = sheet_;
            AppendCellReference(column, row_ + r, place_);
            PutLines(place_, text, out);
        }
    }
    cells_.clear();
    row_ += rowRepeats_;
}

bool OpenDocumentReader::Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                                std::wstring& reason) {
    if (event == XmlScanner::Event::Text) {
        std::wstring* paragraph = paragraphs_.Top();
        return paragraph == nullptr || AddText(xml, *paragraph, reason);
    }
    const bool start = event == XmlScanner::Event::Start;
    // A comment's author and date, and a note's mark, are not its text.
    if (start && (xml.ns() == XmlNs::DublinCore || xml.Is(XmlNs::OdfText, "note-citation")))
        return xml.Skip(reason);
    if (xml.Is(XmlNs::OdfText, "p") || xml.Is(XmlNs::OdfText, "h")) return Paragraph(start, out, reason);
    if (start && paragraphs_.Top() != nullptr) {
        std::wstring& paragraph = *paragraphs_.Top();
        if (xml.Is(XmlNs::OdfText, "s")) {
            unsigned long spaces = 1;
            if (xml.Attribute(XmlNs::OdfText, "c", value_)) spaces = std::wcstoul(value_.c_str(), nullptr, 10);
            paragraph.append(std::min<unsigned long>(spaces, 1024), L' ');
        } else if (xml.Is(XmlNs::OdfText, "tab")) {
            paragraph += L'\t';
        } else if (xml.Is(XmlNs::OdfText, "line-break")) {
            paragraph += L'\n';
        }
        return true;
    }
    if (xml.Is(XmlNs::OdfDraw, "page")) {
        count_ += start ? 1 : 0;
        inNotes_ = false;
    } else if (xml.Is(XmlNs::OdfPresentation, "notes")) {
        inNotes_ = start;
    } else if (kind_ != ContentKind::OdfSpreadsheet) {
        return true;
    } else if (xml.Is(XmlNs::OdfTable, "table") && start) {
        if (!xml.Attribute(XmlNs::OdfTable, "name", sheet_)) sheet_.clear();
        sheet_ += L'!';
        row_ = 1;
    } else if (xml.Is(XmlNs::OdfTable, "table-row")) {
        if (start) {
            rowRepeats_ = Repeats(xml, "number-rows-repeated");
            column_ = 0;
            cells_.clear();
        } else {
            PutRow(out);
        }
    } else if (xml.Is(XmlNs::OdfTable, "table-cell") || xml.Is(XmlNs::OdfTable, "covered-table-cell")) {
        Cell(xml, start);
    }
    return true;
}

}  // namespace

std::unique_ptr<DocumentReader> MakeOpenDocumentReader(ContentKind kind) {
    return std::make_unique<OpenDocumentReader>(kind);
}
