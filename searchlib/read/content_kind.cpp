#include "content_kind.h"

#include <cwchar>

ContentKind ContentKindOf(const wchar_t* name, size_t length) {
    static const struct {
        const wchar_t* extension;
        ContentKind kind;
    } kinds[] = {
        {L"zip", ContentKind::Archive},
        {L"xlsx", ContentKind::Workbook},        {L"xlsm", ContentKind::Workbook},
        {L"xltx", ContentKind::Workbook},        {L"xltm", ContentKind::Workbook},
        {L"docx", ContentKind::WordDocument},    {L"docm", ContentKind::WordDocument},
        {L"dotx", ContentKind::WordDocument},    {L"dotm", ContentKind::WordDocument},
        {L"pptx", ContentKind::Presentation},    {L"pptm", ContentKind::Presentation},
        {L"ppsx", ContentKind::Presentation},    {L"ppsm", ContentKind::Presentation},
        {L"potx", ContentKind::Presentation},    {L"potm", ContentKind::Presentation},
        {L"odt", ContentKind::OdfText},          {L"ods", ContentKind::OdfSpreadsheet},
        {L"odp", ContentKind::OdfPresentation},
        {L"xls", ContentKind::Unreadable},       {L"doc", ContentKind::Unreadable},
        {L"ppt", ContentKind::Unreadable},       {L"pps", ContentKind::Unreadable},
        {L"pdf", ContentKind::Unreadable},
    };
    size_t dot = length;
    while (dot > 0 && name[dot - 1] != L'.') {
        if (name[dot - 1] == L'\\' || name[dot - 1] == L'/') return ContentKind::Plain;
        --dot;
    }
    if (dot == 0) return ContentKind::Plain;
    const wchar_t* extension = name + dot;
    const size_t n = length - dot;
    for (const auto& k : kinds)
        if (wcslen(k.extension) == n && _wcsnicmp(extension, k.extension, n) == 0) return k.kind;
    return ContentKind::Plain;
}
