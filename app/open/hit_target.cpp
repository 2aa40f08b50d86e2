#include "hit_target.h"

#include <cwchar>

namespace {

// Every name whose text a search with documents reads, templates and shows
// included: their records' lines are the text's, not the editor's.
const wchar_t* const kDocumentExtensions[] = {
    L"xlsx", L"xlsm", L"xltx", L"xltm", L"docx", L"docm", L"dotx", L"dotm", L"pptx",
    L"pptm", L"ppsx", L"ppsm", L"potx", L"potm", L"odt",  L"ods",  L"odp"};
const wchar_t kArchiveEnding[] = L".zip\\";

bool EndsWithNoCase(const std::wstring& text, size_t end, const wchar_t* ending) {
    const size_t n = wcslen(ending);
    return end >= n && _wcsnicmp(text.c_str() + end - n, ending, n) == 0;
}

}  // namespace

std::vector<size_t> ArchiveNameEnds(const std::wstring& path) {
    std::vector<size_t> ends;
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        if (EndsWithNoCase(path, at + 1, kArchiveEnding)) ends.push_back(at);
    return ends;
}

bool IsOfficeDocument(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\/");
    if (dot == std::wstring::npos || path[dot] != L'.') return false;
    const wchar_t* extension = path.c_str() + dot + 1;
    for (const wchar_t* known : kDocumentExtensions)
        if (_wcsicmp(extension, known) == 0) return true;
    return false;
}

HitTarget TargetOf(const std::wstring& path, bool isFile) {
    const bool document = IsOfficeDocument(path);
    if (isFile || ArchiveNameEnds(path).empty())
        return document ? HitTarget::kDocument : HitTarget::kEditor;
    return document ? HitTarget::kDocumentMember : HitTarget::kMember;
}
