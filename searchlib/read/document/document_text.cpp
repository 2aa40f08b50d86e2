#include "document_text.h"

#include <cstdint>
#include <cstring>

#include "document_reader.h"
#include "status_text.h"

DocumentText::DocumentText() = default;
DocumentText::~DocumentText() = default;

bool DocumentText::Open(RandomSource& source, ContentKind kind, std::wstring& reason) {
    switch (kind) {
    case ContentKind::Workbook: reader_ = MakeWorkbookReader(); break;
    case ContentKind::WordDocument: reader_ = MakeWordReader(); break;
    case ContentKind::Presentation: reader_ = MakeSlidesReader(); break;
    case ContentKind::OdfText:
    case ContentKind::OdfSpreadsheet:
    case ContentKind::OdfPresentation: reader_ = MakeOpenDocumentReader(kind); break;
    default:
        reason = status::InsideReason(status::InsideFault::OldFormat);
        return false;
    }
    if (!package_.Open(source, reason)) {
        // Office keeps a document with a password in a compound file, not a
        // zip package: say so rather than call it damaged.
        static const unsigned char kCompoundFile[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        unsigned char head[sizeof kCompoundFile];
        std::wstring ignored;
        if (source.ReadAt(0, head, sizeof head, ignored) && memcmp(head, kCompoundFile, sizeof head) == 0)
            reason = status::InsideReason(status::InsideFault::Encrypted);
        return false;
    }
    return reader_->Open(package_, reason);
}

bool DocumentText::Read(std::wstring& out, size_t units, bool& end, std::wstring& reason) {
    return reader_->Read(package_, out, units, end, reason);
}

bool DocumentReader::Read(Package& package, std::wstring& out, size_t units, bool& end,
                          std::wstring& reason) {
    end = false;
    const size_t start = out.size();
    while (out.size() - start < units) {
        if (!current_.xml) {
            if (next_ == parts_.size()) {
                end = true;
                return true;
            }
            if (!package.OpenXml(parts_[next_].name, current_, reason)) return false;
            BeginPart(parts_[next_++]);
        }
        XmlScanner::Event event;
        if (!current_.xml->Next(event, reason)) return false;
        if (event == XmlScanner::Event::Done) {
            current_.xml.reset();
            continue;
        }
        if (!Handle(*current_.xml, event, out, reason)) return false;
    }
    return true;
}

void PutLines(std::wstring_view place, std::wstring_view text, std::wstring& out) {
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; };
    for (;;) {
        const wchar_t* q = p;
        // Four units at a time while none is below 14 (CR, LF and the
        // controls): a lane below it sets its top bit in (x - 14) & ~x.
        static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
        constexpr uint64_t kFourteens = 0x000E000E000E000Eull, kTopBits = 0x8000800080008000ull;
        for (uint64_t x; end - q >= 4; q += 4) {
            memcpy(&x, q, sizeof x);
            if ((x - kFourteens) & ~x & kTopBits) break;
        }
        while (q < end && (*q > L'\r' || (*q != L'\n' && *q != L'\r'))) ++q;
        const wchar_t* first = p;  // a piece of white space alone is no line
        while (first < q && blank(*first)) ++first;
        if (first < q) {
            out += L'[';
            out.append(place);
            out.append(L"] ", 2);
            out.append(p, q);
            out += L'\n';
        }
        if (q == end) return;
        p = q + 1;
    }
}

void AppendNumber(unsigned long n, std::wstring& out) {
    wchar_t digits[20];
    size_t k = 0;
    do {
        digits[k++] = static_cast<wchar_t>(L'0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (k > 0) out += digits[--k];
}

void AppendCellReference(unsigned column, unsigned long row, std::wstring& out) {
    wchar_t letters[8];
    size_t k = 0;
    for (; column > 0 && k < 8; column = (column - 1) / 26)
        letters[k++] = static_cast<wchar_t>(L'A' + (column - 1) % 26);
    while (k > 0) out += letters[--k];
    AppendNumber(row, out);
}

bool AddText(const XmlScanner& xml, std::wstring& piece, std::wstring& reason) {
    if (!xml.AppendText(piece, reason)) return false;
    if (piece.size() <= kLongestPiece) return true;
    reason = status::BoundReason(status::DocumentBound::Piece, kLongestPiece);
    return false;
}
