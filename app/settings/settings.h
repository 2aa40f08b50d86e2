// What Varnelo keeps across starts: one UTF-16LE ini file, Varnelo.ini,
// beside Varnelo.exe when that folder is writable (a portable copy keeps its
// settings with it), otherwise in %APPDATA%\Varnelo. The file is read once,
// at the first use; reads and writes then work on what was read, and the
// program saves the whole file at the moments it chooses (after "実行", at
// its end). A missing, unreadable, damaged or oversized file reads as
// defaults; a failed save costs only what it would have kept.
#pragma once

#include <climits>
#include <string>
#include <vector>

namespace settings {

// Where the ini goes, given the program's folder, whether a file can be
// created there, and %APPDATA% (may be empty). Empty when neither serves.
std::wstring ChooseIniPath(const std::wstring& programFolder, bool programFolderWritable,
                           const std::wstring& appData);

// The ini this process uses, decided at its first use. Tests point it
// elsewhere with UseIniFile, which forgets what was read from the last one.
const std::wstring& IniPath();
void UseIniFile(const std::wstring& path);

// A value as written, leading and trailing spaces and quotes included;
// fallback when the key is missing or the file can't be read.
std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback);
void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);

// A decimal int within [least, most]; fallback when missing, not a number,
// or a value the program could never have written.
int ReadInt(const wchar_t* section, const wchar_t* key, int fallback, int least = INT_MIN,
            int most = INT_MAX);
void WriteInt(const wchar_t* section, const wchar_t* key, int value);

// A list kept as Count= and 1=, 2=, … in its own section, first first.
std::vector<std::wstring> ReadList(const wchar_t* section);
void WriteList(const wchar_t* section, const std::vector<std::wstring>& values);

// Puts value first in a most-recent-first list, without duplicates (compared
// exactly), keeping at most limit entries. An empty value is not kept.
void Remember(std::vector<std::wstring>& list, const std::wstring& value, size_t limit);

// Hands the whole file, as written so far, to a thread of its own that
// writes it; returns at once. Nothing is written when nothing changed.
void SaveInBackground();
// Writes the whole file now (after a write under way); false when it could
// not be written.
bool SaveNow();
// Waits for a write under way.
void WaitForSaving();

}  // namespace settings
