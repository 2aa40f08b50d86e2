#include "document_text.h"

#include "document_reader.h"
#include "status_text.h"

DocumentText::DocumentText() = default;
DocumentText::~DocumentText() = default;

bool DocumentText::Open(RandomSource& source, ContentKind kind, std::wstring& reason) {
    switch (kind) {
    case ContentKind::Workbook: reader_ = MakeWorkbookReader(); break;
    case ContentKind::WordDocument: reader_ = MakeWordReader(); break;
    case ContentKind::Presentation: reader_ = MakeSlidesReader(); break;
    default:
        reason = status::InsideReason(status::InsideFault::OldFormat);
        return false;
    }
    return package_.Open(source, reason) && reader_->Open(package_, reason);
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

void PutLines(const std::wstring& place, const std::wstring& text, std::wstring& out) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; };
    size_t from = 0;
    while (from <= text.size()) {
        size_t to = text.find_first_of(L"\r\n", from);
        if (to == std::wstring::npos) to = text.size();
        bool any = false;
        for (size_t i = from; i < to && !any; ++i) any = !blank(text[i]);
        if (any) {
            out += L'[';
            out += place;
            out += L"] ";
            out.append(text, from, to - from);
            out += L'\n';
        }
        from = to + 1;
    }
}

bool AddToPiece(std::wstring& piece, const std::wstring& more, std::wstring& reason) {
    if (piece.size() + more.size() > kLongestPiece) {
        reason = status::BoundReason(status::DocumentBound::Piece, kLongestPiece);
        return false;
    }
    piece += more;
    return true;
}
