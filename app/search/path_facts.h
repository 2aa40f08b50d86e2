// What lies at a path the user typed: a folder, a file, nothing; and which
// file it is, however the path spells it. Paths of any length are asked in
// the \\?\ form.
#pragma once

#include <windows.h>

#include <string>

enum class PathKind { kNothing, kFile, kFolder };
PathKind KindOf(const std::wstring& path);

// The folder a file path names its file in, as a full path; empty when the
// path names no folder at all.
std::wstring ContainingFolder(const std::wstring& path);

// One file, whatever path leads to it: its volume and index.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool known = false;
};
FileIdentity IdentityOf(const std::wstring& path);
// Known, and the same file.
bool SameFile(const FileIdentity& a, const FileIdentity& b);
