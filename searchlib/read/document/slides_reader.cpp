// A PowerPoint presentation (.pptx .pptm): each slide's text in the order of
// the show, each paragraph a line "[スライド 3] …", then the slide's notes,
// "[スライド 3 ノート] …".
#include "document_reader.h"

namespace {

enum Role { kSlide, kNotes };

const wchar_t kSlideLabel[] = L"スライド ";
const wchar_t kNotesLabel[] = L" ノート";

class SlidesReader : public DocumentReader {
public:
    bool Open(Package& package, std::wstring& reason) override;

protected:
    void BeginPart(const PartToRead& part) override;
    bool Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                std::wstring& reason) override;

private:
    int role_ = kSlide;
    std::wstring place_;
    std::wstring paragraph_;
    bool inParagraph_ = false;
    int inText_ = 0;
    bool notesBody_ = false;  // in the shape that holds a notes page's notes
    std::wstring type_;
};

bool SlidesReader::Open(Package& package, std::wstring& reason) {
    std::wstring presentation;
    std::vector<Relationship> rels, slideRels;
    if (!package.MainPart(L"ppt/presentation.xml", presentation, reason) ||
        !package.Relationships(presentation, rels, reason))
        return false;
    std::vector<std::wstring> slides;
    std::wstring id;
    const bool read = package.Scan(
        presentation,
        [&](XmlScanner& xml, XmlScanner::Event event, std::wstring&) {
            if (event == XmlScanner::Event::Start && xml.Is(XmlNs::Presentation, "sldId") &&
                xml.Attribute(XmlNs::Relationships, "id", id))
                if (const Relationship* r = WithId(rels, id)) slides.push_back(r->target);
            return true;
        },
        reason);
    if (!read) return false;
    for (size_t i = 0; i < slides.size(); ++i) {
        const std::wstring label = kSlideLabel + std::to_wstring(i + 1);
        parts_.push_back({slides[i], label, kSlide});
        if (!package.Relationships(slides[i], slideRels, reason)) return false;
        const Relationship* notes = OfType(slideRels, L"notesSlide");
        if (notes != nullptr && package.Has(notes->target))
            parts_.push_back({notes->target, label + kNotesLabel, kNotes});
    }
    return true;
}

void SlidesReader::BeginPart(const PartToRead& part) {
    role_ = part.role;
    place_ = part.place;
    inParagraph_ = false;
    inText_ = 0;
    notesBody_ = false;
}

bool SlidesReader::Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                          std::wstring& reason) {
    if (event == XmlScanner::Event::Text) {
        if (inText_ > 0 && inParagraph_ && !AddText(xml, paragraph_, reason)) return false;
        return true;
    }
    const bool start = event == XmlScanner::Event::Start;
    if (start && xml.Is(XmlNs::Compat, "Fallback")) return xml.Skip(reason);
    if (xml.Is(XmlNs::Drawing, "p")) {
        inParagraph_ = start;
        if (start) paragraph_.clear();
        else if (role_ == kSlide || notesBody_) PutLines(place_, paragraph_, out);
    } else if (xml.Is(XmlNs::Drawing, "t")) {
        inText_ += start ? 1 : -1;
    } else if (start && xml.Is(XmlNs::Drawing, "br") && inParagraph_) {
        paragraph_ += L'\n';
    } else if (xml.Is(XmlNs::Presentation, "sp")) {
        notesBody_ = false;
    } else if (start && xml.Is(XmlNs::Presentation, "ph")) {
        // A notes page holds the slide's picture and its number too.
        notesBody_ = xml.Attribute(XmlNs::None, "type", type_) && type_ == L"body";
    }
    return true;
}

}  // namespace

std::unique_ptr<DocumentReader> MakeSlidesReader() { return std::make_unique<SlidesReader>(); }
