// Members of archives copied out so that a program can open them: each in a
// folder of its own under %TEMP%\Varnelo\<process id>\, read-only, and all
// removed as the program ends. Nothing is ever written beside an archive,
// and a member's name is made safe before a file is named by it.
#pragma once

#include <windows.h>

#include <string>

// The copy of the member for the serial'th opening: tempFolder,
// "Varnelo\<processId>\<serial>\" and the member's last name as a file may
// be named: "\", "/", ":" and the other characters a name can't hold become
// "_", trailing dots and spaces go, a device name (CON, NUL, COM1, ...) gets
// a "_" before it, a name longer than kCopyNameUnits is cut before its
// extension, and a name left empty ("..") is "member".
std::wstring MemberCopyPath(const std::wstring& tempFolder, DWORD processId, unsigned serial,
                            const std::wstring& memberPath);
constexpr size_t kCopyNameUnits = 100;

// Copies the member (a path as a search writes it) out to a new path of its
// own and makes the copy read-only: true with *copy, or false with the text
// that says why not. Safe on any thread.
bool CopyMemberOut(const std::wstring& memberPath, std::wstring* copy, std::wstring* failure);

// The program ends: this process's copies and their folders are removed,
// and those an earlier process left (one still held open by a program stays
// for the next time), and %TEMP%\Varnelo too when nothing is left in it.
void RemoveMemberCopies();
