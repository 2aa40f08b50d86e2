// What a file's name says about reading its inside: an archive whose
// members are files of their own, a document whose text is held in a zip
// package of XML, or a format whose text can't be read at all.
#pragma once

#include <cstddef>

enum class ContentKind {
    Plain,             // read as text
    Archive,           // .zip
    Workbook,          // Office Open XML: .xlsx .xlsm and templates
    WordDocument,      // .docx .docm and templates
    Presentation,      // .pptx .pptm, shows and templates
    OdfText,           // OpenDocument: .odt
    OdfSpreadsheet,    // .ods
    OdfPresentation,   // .odp
    Unreadable,        // binary Office (.xls .doc .ppt .pps) and PDF
};

// The kind of a file or member named name (its last dot decides, in any case).
ContentKind ContentKindOf(const wchar_t* name, size_t length);

inline bool IsDocument(ContentKind kind) {
    return kind != ContentKind::Plain && kind != ContentKind::Archive &&
           kind != ContentKind::Unreadable;
}
