// What Varnelo keeps across starts: one UTF-16LE ini file, Varnelo.ini,
// beside Varnelo.exe when that folder is writable (a portable copy keeps its
// settings with it), otherwise in %APPDATA%\Varnelo. A missing, unreadable or
// damaged file reads as defaults; a failed write costs only that setting.
#pragma once

#include <string>
#include <vector>

namespace settings {

// Where the ini goes, given the program's folder, whether a file can be
// created there, and %APPDATA% (may be empty). Empty when neither serves.
std::wstring ChooseIniPath(const std::wstring& programFolder, bool programFolderWritable,
                           const std::wstring& appData);

// The ini this process uses, decided at its first use. Tests point it
// elsewhere with UseIniFile.
const std::wstring& IniPath();
void UseIniFile(const std::wstring& path);

// A value as written, leading and trailing spaces and quotes included;
// fallback when the key is missing or the file can't be read.
std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback);
bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);

// A decimal int; fallback when missing or not a number.
int ReadInt(const wchar_t* section, const wchar_t* key, int fallback);
bool WriteInt(const wchar_t* section, const wchar_t* key, int value);

// A list kept as Count= and 1=, 2=, … in its own section, first first.
std::vector<std::wstring> ReadList(const wchar_t* section);
bool WriteList(const wchar_t* section, const std::vector<std::wstring>& values);

// Puts value first in a most-recent-first list, without duplicates (compared
// exactly), keeping at most limit entries. An empty value is not kept.
void Remember(std::vector<std::wstring>& list, const std::wstring& value, size_t limit);

}  // namespace settings
