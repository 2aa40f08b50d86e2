// Helpers for tests that build files and trees on disk and compare texts and
// files exactly.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
void MakeDir(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// UTF-16LE bytes of text (no byte-order mark added).
std::string Utf16Bytes(const std::wstring& text);
// Shift_JIS (code page 932) bytes of text.
std::string SjisBytes(const std::wstring& text);
// UTF-16BE bytes of text (no byte-order mark added).
std::string Utf16BeBytes(const std::wstring& text);
// UTF-8 bytes of text, and the bytes of any code page.
std::string Utf8Bytes(const std::wstring& text);
std::string CodePageBytes(UINT codePage, const std::wstring& text);

// Files that are no text, each with NUL bytes early, by name: a 1 x 1 PNG,
// a zip of one small text file, and the running test program.
std::vector<std::pair<const wchar_t*, std::string>> BinarySamples();

// One result record as a search writes it: path, CR LF TAB "(number)===>",
// the line, CR LF.
std::wstring Record(const std::wstring& path, int number, const std::wstring& line);

// A results file's UTF-16 text, byte-order mark included.
std::wstring ReadText(const std::wstring& path);

// Names of a folder's entries in the order the platform lists them, "." and
// ".." left out.
std::vector<std::wstring> Listing(const std::wstring& folder);

// FormatMessageW's own text for code in the user's default language.
std::wstring SystemText(DWORD code);

// Printable form of a UTF-16 text for failure messages.
std::string Show(const std::wstring& text);

}  // namespace testing_support
