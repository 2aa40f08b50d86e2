// Varnelo.ini as text: read from the file's bytes into sections of keys and
// values, and written back whole. Values are kept without the one pair of
// quotes the file puts around them, so leading and trailing spaces survive.
#pragma once

#include <string>
#include <vector>

namespace settings {

struct IniEntry {
    std::wstring key;
    std::wstring value;
};

struct IniSection {
    std::wstring name;
    std::vector<IniEntry> entries;
};

using IniSections = std::vector<IniSection>;

// The sections of a file's bytes: UTF-16LE after its mark, UTF-8 after
// its mark, otherwise the ANSI code page. Names compare without case, the
// first of two equal keys wins, and a line that is neither a section nor a
// key=value is passed over, as the system's own ini functions do.
IniSections ParseIni(const std::string& bytes);

// The whole file: UTF-16LE with its mark, every value quoted.
std::string IniBytes(const IniSections& sections);

// The section or entry of that name; null when there is none.
IniSection* FindSection(IniSections& sections, const std::wstring& name);
IniEntry* FindEntry(IniSection& section, const std::wstring& key);

}  // namespace settings
