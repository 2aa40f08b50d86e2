// An Excel workbook (.xlsx .xlsm): its sheets in the workbook's order, each
// row by row, each cell that holds a value a line "[Sheet1!B12] value":
// shared and inline strings, numbers, and formulas' cached values.
#include <charconv>
#include <cwchar>

#include "document_reader.h"
#include "status_text.h"

namespace {

// The shared strings are held in memory, since cells refer to them in any
// order: within this bound.
constexpr size_t kSharedStringBytes = size_t(32) << 20;

// A number as Excel shows it in General: 15 significant digits.
constexpr int kShownDigits = 15;

// Excel's escapes of characters XML can't hold, "_x000D_" (and "_x005F_"
// for an underscore that would otherwise start one), made plain.
void DecodeEscapes(std::wstring& text) {
    if (text.find(L"_x") == std::wstring::npos) return;
    auto hex = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0'
             : c >= L'A' && c <= L'F' ? c - L'A' + 10
             : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
    };
    size_t to = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'_' && i + 6 < text.size() && text[i + 1] == L'x' && text[i + 6] == L'_') {
            int value = 0;
            bool ok = true;
            for (size_t k = i + 2; k < i + 6 && ok; ++k) {
                ok = hex(text[k]) >= 0;
                value = value * 16 + hex(text[k]);
            }
            if (ok) {
                text[to++] = static_cast<wchar_t>(value);
                i += 6;
                continue;
            }
        }
        text[to++] = text[i];
    }
    text.resize(to);
}

std::wstring ShownNumber(const std::wstring& raw) {
    char narrow[64];
    if (raw.empty() || raw.size() >= sizeof narrow) return raw;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] > 0x7F) return raw;
        narrow[i] = static_cast<char>(raw[i]);
    }
    double value;
    auto parsed = std::from_chars(narrow, narrow + raw.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != narrow + raw.size()) return raw;
    char shown[64];
    auto written = std::to_chars(shown, shown + sizeof shown, value, std::chars_format::general,
                                 kShownDigits);
    std::wstring out;
    for (const char* p = shown; p < written.ptr; ++p) out += *p == 'e' ? L'E' : wchar_t(*p);
    return out;
}

// "AB12": the column's number (28), or 0 when the reference has none.
unsigned ColumnOf(const std::wstring& ref) {
    unsigned column = 0;
    for (wchar_t c : ref) {
        if (c >= L'A' && c <= L'Z') column = column * 26 + (c - L'A' + 1);
        else break;
        if (column > 1u << 20) return 0;
    }
    return column;
}

std::wstring Reference(unsigned column, unsigned long row) {
    std::wstring letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + (column - 1) % 26));
    return letters + std::to_wstring(row);
}

class WorkbookReader : public DocumentReader {
public:
    bool Open(Package& package, std::wstring& reason) override;

protected:
    void BeginPart(const PartToRead& part) override;
    bool Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                std::wstring& reason) override;

private:
    bool ReadSharedStrings(Package& package, const std::wstring& part, std::wstring& reason);
    void PutCell(std::wstring& out);

    // The shared strings, one after another, and where each starts.
    std::wstring shared_;
    std::vector<uint32_t> starts_;

    std::wstring sheet_;  // "Sheet1!"
    unsigned long row_ = 0;
    unsigned column_ = 0;
    std::wstring ref_, type_, value_, place_, shown_;
    bool inCell_ = false;
    bool inValue_ = false;  // <v>, or <t> of an inline string outside its readings
    int inInline_ = 0;
    int inReading_ = 0;     // <rPh>: a phonetic reading, not the cell's text
};

bool WorkbookReader::Open(Package& package, std::wstring& reason) {
    std::wstring workbook;
    std::vector<Relationship> rels;
    if (!package.MainPart(L"xl/workbook.xml", workbook, reason) ||
        !package.Relationships(workbook, rels, reason))
        return false;
    std::wstring name, id;
    const bool read = package.Scan(
        workbook,
        [&](XmlScanner& xml, XmlScanner::Event event, std::wstring&) {
            if (event == XmlScanner::Event::Start && xml.Is(XmlNs::Sheet, "sheet") &&
                xml.Attribute(XmlNs::None, "name", name) &&
                xml.Attribute(XmlNs::Relationships, "id", id))
                if (const Relationship* r = WithId(rels, id))
                    parts_.push_back({r->target, name + L"!", 0});
            return true;
        },
        reason);
    if (!read) return false;
    const Relationship* shared = OfType(rels, L"sharedStrings");
    return shared == nullptr || ReadSharedStrings(package, shared->target, reason);
}

bool WorkbookReader::ReadSharedStrings(Package& package, const std::wstring& part,
                                       std::wstring& reason) {
    std::wstring one;
    int inText = 0, inReading = 0;
    return package.Scan(
        part,
        [&](XmlScanner& xml, XmlScanner::Event event, std::wstring& why) {
            if (event == XmlScanner::Event::Text) {
                if (inText > 0 && inReading == 0 && !AddToPiece(one, xml.text(), why)) return false;
                return true;
            }
            const int step = event == XmlScanner::Event::Start ? 1 : -1;
            if (xml.Is(XmlNs::Sheet, "t")) inText += step;
            else if (xml.Is(XmlNs::Sheet, "rPh")) inReading += step;
            else if (xml.Is(XmlNs::Sheet, "si") && step < 0) {
                DecodeEscapes(one);
                if ((shared_.size() + one.size()) * sizeof(wchar_t) +
                        (starts_.size() + 1) * sizeof(uint32_t) > kSharedStringBytes) {
                    why = status::BoundReason(status::DocumentBound::SharedStrings,
                                              kSharedStringBytes);
                    return false;
                }
                starts_.push_back(static_cast<uint32_t>(shared_.size()));
                shared_ += one;
                one.clear();
            }
            return true;
        },
        reason);
}

void WorkbookReader::BeginPart(const PartToRead& part) {
    sheet_ = part.place;
    row_ = 0;
    column_ = 0;
    inCell_ = inValue_ = false;
    inInline_ = inReading_ = 0;
}

void WorkbookReader::PutCell(std::wstring& out) {
    shown_.clear();
    if (type_ == L"s") {
        unsigned long index = 0;
        bool digits = !value_.empty();
        for (wchar_t c : value_) {
            digits = digits && c >= L'0' && c <= L'9' && index < starts_.size();
            index = index * 10 + (c - L'0');
        }
        if (!digits || index >= starts_.size()) return;  // refers to no string: no text
        const size_t from = starts_[index];
        const size_t to = index + 1 < starts_.size() ? starts_[index + 1] : shared_.size();
        shown_.assign(shared_, from, to - from);
    } else if (type_ == L"b") {
        shown_ = value_ == L"1" ? L"TRUE" : value_ == L"0" ? L"FALSE" : value_;
    } else if (type_ == L"inlineStr" || type_ == L"str") {
        shown_ = value_;
        DecodeEscapes(shown_);
    } else if (type_.empty() || type_ == L"n") {
        shown_ = ShownNumber(value_);
    } else {
        shown_ = value_;  // an error value or an ISO 8601 date
    }
    place_ = sheet_;
    place_ += ref_;
    PutLines(place_, shown_, out);
}

bool WorkbookReader::Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                            std::wstring& reason) {
    if (event == XmlScanner::Event::Text) {
        if (inValue_ && inReading_ == 0 && !AddToPiece(value_, xml.text(), reason)) return false;
        return true;
    }
    if (xml.ns() != XmlNs::Sheet) return true;
    const bool start = event == XmlScanner::Event::Start;
    if (xml.Is(XmlNs::Sheet, "row")) {
        if (start) {
            std::wstring r;
            // A row without its number follows the one before.
            row_ = xml.Attribute(XmlNs::None, "r", r) ? std::wcstoul(r.c_str(), nullptr, 10) : row_ + 1;
            column_ = 0;
        }
    } else if (xml.Is(XmlNs::Sheet, "c")) {
        if (start) {
            if (xml.Attribute(XmlNs::None, "r", ref_) && ColumnOf(ref_) != 0) {
                column_ = ColumnOf(ref_);
            } else {
                ref_ = Reference(++column_, row_);
            }
            if (!xml.Attribute(XmlNs::None, "t", type_)) type_.clear();
            value_.clear();
            inCell_ = true;
        } else {
            if (inCell_) PutCell(out);
            inCell_ = false;
        }
    } else if (xml.Is(XmlNs::Sheet, "v")) {
        inValue_ = start && inCell_;
    } else if (xml.Is(XmlNs::Sheet, "is")) {
        inInline_ += start ? 1 : -1;
    } else if (xml.Is(XmlNs::Sheet, "t")) {
        inValue_ = start && inCell_ && inInline_ > 0;
    } else if (xml.Is(XmlNs::Sheet, "rPh")) {
        inReading_ += start ? 1 : -1;
    }
    return true;
}

}  // namespace

std::unique_ptr<DocumentReader> MakeWorkbookReader() { return std::make_unique<WorkbookReader>(); }
