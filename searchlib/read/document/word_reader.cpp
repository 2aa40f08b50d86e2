// A Word document (.docx .docm): the body's paragraphs (those of its tables
// and text boxes among them), then the headers, footers, footnotes,
// endnotes and comments, each paragraph a line labelled with its place.
#include <algorithm>

#include "document_reader.h"

namespace {

enum Role { kBody, kHeader, kFooter, kFootnotes, kEndnotes, kComments };

const wchar_t kParagraph[] = L"段落 ";
const wchar_t kFootnote[] = L"脚注 ";
const wchar_t kEndnote[] = L"文末脚注 ";
const wchar_t kComment[] = L"コメント ";

// Part names in the order a person numbers them: header2.xml before header10.xml.
bool NaturalOrder(const std::wstring& a, const std::wstring& b) {
    auto number = [](const std::wstring& s, size_t& at) {
        unsigned long long n = 0;
        while (at < s.size() && s[at] >= L'0' && s[at] <= L'9') n = n * 10 + (s[at++] - L'0');
        return n;
    };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a[i] >= L'0' && a[i] <= L'9', db = b[j] >= L'0' && b[j] <= L'9';
        if (da && db) {
            const unsigned long long x = number(a, i), y = number(b, j);
            if (x != y) return x < y;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

class WordReader : public DocumentReader {
public:
    bool Open(Package& package, std::wstring& reason) override;

protected:
    void BeginPart(const PartToRead& part) override;
    bool Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                std::wstring& reason) override;

private:
    int role_ = kBody;
    std::wstring label_;           // the part's own, or the note's
    unsigned long bodyParagraphs_ = 0;  // each counted as it ends
    unsigned long notes_ = 0;       // of the part
    ParagraphStack paragraphs_;
    int inText_ = 0;
    int inRun_ = 0;
    std::wstring place_;
    std::wstring type_;
};

bool WordReader::Open(Package& package, std::wstring& reason) {
    std::wstring document;
    std::vector<Relationship> rels;
    if (!package.MainPart(L"word/document.xml", document, reason) ||
        !package.Relationships(document, rels, reason))
        return false;
    parts_.push_back({document, L"", kBody});
    const struct {
        const wchar_t* type;
        Role role;
        const wchar_t* label;
    } kinds[] = {{L"header", kHeader, L"ヘッダー "},   {L"footer", kFooter, L"フッター "},
                 {L"footnotes", kFootnotes, L""},      {L"endnotes", kEndnotes, L""},
                 {L"comments", kComments, L""}};
    for (const auto& kind : kinds) {
        std::vector<std::wstring> targets;
        for (const Relationship& r : rels)
            if (r.type == kind.type && package.Has(r.target)) targets.push_back(r.target);
        std::sort(targets.begin(), targets.end(), NaturalOrder);
        for (size_t i = 0; i < targets.size(); ++i)
            parts_.push_back({targets[i], *kind.label ? kind.label + std::to_wstring(i + 1) : L"",
                              kind.role});
    }
    return true;
}

void WordReader::BeginPart(const PartToRead& part) {
    role_ = part.role;
    label_ = part.place;
    notes_ = 0;
    paragraphs_.Clear();
    inText_ = inRun_ = 0;
}

bool WordReader::Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                        std::wstring& reason) {
    if (event == XmlScanner::Event::Text) {
        std::wstring* paragraph = paragraphs_.Top();
        return inText_ == 0 || paragraph == nullptr || AddText(xml, *paragraph, reason);
    }
    const bool start = event == XmlScanner::Event::Start;
    // A fallback repeats, for older readers, what its choice holds.
    if (start && xml.Is(XmlNs::Compat, "Fallback")) return xml.Skip(reason);
    if (xml.ns() != XmlNs::Word) return true;
    if (xml.Is(XmlNs::Word, "p")) {
        if (start) {
            paragraphs_.Open();
            return true;
        }
        const std::wstring* text = paragraphs_.Close();
        if (text == nullptr) return true;
        if (role_ == kBody) {
            place_ = kParagraph;
            AppendNumber(++bodyParagraphs_, place_);
            PutLines(place_, *text, out);
        } else {
            PutLines(label_, *text, out);
        }
    } else if (xml.Is(XmlNs::Word, "t")) {
        inText_ += start ? 1 : -1;
    } else if (xml.Is(XmlNs::Word, "r")) {
        inRun_ += start ? 1 : -1;
    } else if (start && inRun_ > 0 && paragraphs_.Top() != nullptr) {
        // Within a run; a tab stop of the paragraph's properties is no text.
        std::wstring& paragraph = *paragraphs_.Top();
        if (xml.Is(XmlNs::Word, "tab")) paragraph += L'\t';
        else if (xml.Is(XmlNs::Word, "br") || xml.Is(XmlNs::Word, "cr")) paragraph += L'\n';
        else if (xml.Is(XmlNs::Word, "noBreakHyphen")) paragraph += L'-';
    } else if (start && (xml.Is(XmlNs::Word, "footnote") || xml.Is(XmlNs::Word, "endnote"))) {
        // The separator lines Word keeps among the notes are no text.
        if (xml.Attribute(XmlNs::Word, "type", type_) && type_ != L"normal") return xml.Skip(reason);
        label_ = (role_ == kFootnotes ? kFootnote : kEndnote) + std::to_wstring(++notes_);
    } else if (start && xml.Is(XmlNs::Word, "comment")) {
        label_ = kComment + std::to_wstring(++notes_);
    }
    return true;
}

}  // namespace

std::unique_ptr<DocumentReader> MakeWordReader() { return std::make_unique<WordReader>(); }
