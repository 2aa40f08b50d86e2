#include "ini_text.h"

#include <windows.h>

#include <cstring>

namespace settings {

namespace {

const wchar_t kSpaces[] = L" \t";

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(kSpaces);
    if (first == std::wstring::npos) return L"";
    const size_t last = text.find_last_not_of(kSpaces);
    return text.substr(first, last - first + 1);
}

std::wstring Decoded(const std::string& bytes, UINT codePage, size_t skip) {
    const int n = static_cast<int>(bytes.size() - skip);
    if (n <= 0) return L"";
    std::wstring text(static_cast<size_t>(n), L'\0');
    const int got = MultiByteToWideChar(codePage, 0, bytes.data() + skip, n, &text[0], n);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring TextOf(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        if (!text.empty()) std::memcpy(&text[0], bytes.data() + 2, text.size() * 2);
        return text;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Decoded(bytes, CP_UTF8, 3);
    return Decoded(bytes, CP_ACP, 0);
}

// One pair of quotes around the whole value is the file's, not the value's.
std::wstring Unquoted(const std::wstring& value) {
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        return value.substr(1, value.size() - 2);
    return value;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

IniSections ParseIni(const std::string& bytes) {
    IniSections sections;
    const std::wstring text = TextOf(bytes);
    IniSection* current = nullptr;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of(L"\r\n", at);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            const size_t close = line.find(L']');
            const std::wstring name = Trimmed(line.substr(1, close == std::wstring::npos
                                                                  ? std::wstring::npos
                                                                  : close - 1));
            current = FindSection(sections, name);
            if (!current) {
                sections.push_back({name, {}});
                current = &sections.back();
            }
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!current || equals == std::wstring::npos) continue;
        const std::wstring key = Trimmed(line.substr(0, equals));
        if (!FindEntry(*current, key))
            current->entries.push_back({key, Unquoted(Trimmed(line.substr(equals + 1)))});
    }
    return sections;
}

std::string IniBytes(const IniSections& sections) {
    std::wstring text = L"\xFEFF";
    for (const IniSection& section : sections) {
        text += L"[" + section.name + L"]\r\n";
        for (const IniEntry& e : section.entries) text += e.key + L"=\"" + e.value + L"\"\r\n";
    }
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

IniSection* FindSection(IniSections& sections, const std::wstring& name) {
    for (IniSection& s : sections)
        if (SameName(s.name, name)) return &s;
    return nullptr;
}

IniEntry* FindEntry(IniSection& section, const std::wstring& key) {
    for (IniEntry& e : section.entries)
        if (SameName(e.key, key)) return &e;
    return nullptr;
}

}  // namespace settings
