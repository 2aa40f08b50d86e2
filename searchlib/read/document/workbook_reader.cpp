// An Excel workbook (.xlsx .xlsm): its sheets in the workbook's order, each
// row by row, each cell that holds a value a line "[Sheet1!B12] value":
// shared and inline strings, numbers, and formulas' cached values.
#include <algorithm>
#include <charconv>
#include <climits>

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
    if (std::find(text.begin(), text.end(), L'_') == text.end()) return;
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

// Into shown: raw as it is, or rounded to General's digits.
void ShowNumber(const std::wstring& raw, std::wstring& shown) {
    shown = raw;
    char narrow[64];
    if (raw.empty() || raw.size() >= sizeof narrow) return;
    int digits = 0;
    bool plain = true;  // digits, a sign and a point, as General shows them
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] > 0x7F) return;
        narrow[i] = static_cast<char>(raw[i]);
        const bool digit = raw[i] >= L'0' && raw[i] <= L'9';
        digits += digit;
        plain = plain && (digit || raw[i] == L'.' || raw[i] == L'-');
    }
    if (plain && digits <= kShownDigits) return;
    double value;
    auto parsed = std::from_chars(narrow, narrow + raw.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != narrow + raw.size()) return;
    char rounded[64];
    auto written = std::to_chars(rounded, rounded + sizeof rounded, value,
                                 std::chars_format::general, kShownDigits);
    shown.clear();
    for (const char* p = rounded; p < written.ptr; ++p) shown += *p == 'e' ? L'E' : wchar_t(*p);
}

// A cell's type, from its t attribute.
enum class CellType { Number, Shared, Inline, Formula, Boolean, Other };

CellType TypeOf(const std::wstring& t) {
    if (t.empty() || t == L"n") return CellType::Number;
    if (t == L"s") return CellType::Shared;
    if (t == L"inlineStr") return CellType::Inline;
    if (t == L"str") return CellType::Formula;
    if (t == L"b") return CellType::Boolean;
    return CellType::Other;  // an error value or an ISO 8601 date
}

// The decimal number text holds, or def when it holds none.
unsigned long Decimal(const std::wstring& text, unsigned long def) {
    unsigned long n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9' || n > 0xFFFFFFF) return def;
        n = n * 10 + (c - L'0');
    }
    return text.empty() ? def : n;
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

// The shared strings, held in pieces that are filled and never moved, so
// that growing never holds a copy of what is held.
class StringPool {
public:
    size_t count() const { return places_.size(); }
    size_t bytes() const { return units_ * sizeof(wchar_t) + places_.size() * sizeof(Place); }
    void Add(const std::wstring& text) {
        if (pieces_.empty() || pieces_.back().size() + text.size() > pieces_.back().capacity()) {
            pieces_.emplace_back();
            pieces_.back().reserve(std::max(kPiece, text.size()));
        }
        std::wstring& piece = pieces_.back();
        places_.push_back({static_cast<uint32_t>(pieces_.size() - 1), static_cast<uint32_t>(piece.size()),
                           static_cast<uint32_t>(text.size())});
        piece += text;
        units_ += text.size();
    }
    std::wstring_view At(size_t i) const {
        const Place& p = places_[i];
        return std::wstring_view(pieces_[p.piece]).substr(p.offset, p.length);
    }

private:
    static constexpr size_t kPiece = size_t(1) << 20;
    struct Place {
        uint32_t piece, offset, length;
    };
    std::vector<std::wstring> pieces_;
    std::vector<Place> places_;
    size_t units_ = 0;
};

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

    StringPool shared_;

    std::wstring sheet_;  // "Sheet1!"
    unsigned long row_ = 0;
    unsigned column_ = 0;
    std::wstring ref_, type_, value_, place_, shown_, rowText_;
    CellType cellType_ = CellType::Number;
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
                if (inText > 0 && inReading == 0 && !AddText(xml, one, why)) return false;
                return true;
            }
            const int step = event == XmlScanner::Event::Start ? 1 : -1;
            if (xml.Is(XmlNs::Sheet, "t")) inText += step;
            else if (xml.Is(XmlNs::Sheet, "rPh")) inReading += step;
            else if (xml.Is(XmlNs::Sheet, "si") && step < 0) {
                DecodeEscapes(one);
                if (shared_.bytes() + (one.size() + 8) * sizeof(wchar_t) > kSharedStringBytes) {
                    why = status::BoundReason(status::DocumentBound::SharedStrings,
                                              kSharedStringBytes);
                    return false;
                }
                shared_.Add(one);
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
    place_.assign(sheet_);
    place_ += ref_;
    switch (cellType_) {
    case CellType::Shared: {
        const unsigned long index = Decimal(value_, ULONG_MAX);
        if (index < shared_.count()) PutLines(place_, shared_.At(index), out);
        return;  // an index that refers to no string gives no text
    }
    case CellType::Boolean:
        PutLines(place_,
                 value_ == L"1" ? L"TRUE" : value_ == L"0" ? L"FALSE" : std::wstring_view(value_), out);
        return;
    case CellType::Inline:
    case CellType::Formula:
        DecodeEscapes(value_);
        break;
    case CellType::Number:
        ShowNumber(value_, shown_);
        PutLines(place_, shown_, out);
        return;
    case CellType::Other:
        break;
    }
    PutLines(place_, value_, out);
}

bool WorkbookReader::Handle(XmlScanner& xml, XmlScanner::Event event, std::wstring& out,
                            std::wstring& reason) {
    if (event == XmlScanner::Event::Text) {
        if (inValue_ && inReading_ == 0 && !AddText(xml, value_, reason)) return false;
        return true;
    }
    if (xml.ns() != XmlNs::Sheet) return true;
    const bool start = event == XmlScanner::Event::Start;
    if (xml.Is(XmlNs::Sheet, "row")) {
        if (start) {
            // A row without its number follows the one before.
            row_ = xml.Attribute(XmlNs::None, "r", rowText_) ? Decimal(rowText_, row_ + 1) : row_ + 1;
            column_ = 0;
        }
    } else if (xml.Is(XmlNs::Sheet, "c")) {
        if (start) {
            if (xml.Attribute(XmlNs::None, "r", ref_) && ColumnOf(ref_) != 0) {
                column_ = ColumnOf(ref_);
            } else {
                ref_.clear();
                AppendCellReference(++column_, row_, ref_);
            }
            if (!xml.Attribute(XmlNs::None, "t", type_)) type_.clear();
            cellType_ = TypeOf(type_);
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
