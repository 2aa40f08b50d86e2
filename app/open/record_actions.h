// What a person can do with a result record: open its file, show it in its
// folder, copy its path; and the context menu that offers the three.
#pragma once

#include <windows.h>

#include <string>

// Opens the file in the user's editor at the record's line (editor_open.h),
// never through the file's own "open" verb, which would run a script; only
// an Office document goes to the program its type is registered to, and a
// member of an archive is opened as a copy (hit_target.h).
void OpenRecordFile(HWND owner, const std::wstring& path, int recordLine);

// Opens Explorer on the file's folder with the file selected.
void OpenRecordFolder(HWND owner, const std::wstring& path);

// Puts the path on the clipboard as text.
void CopyRecordPath(HWND owner, const std::wstring& path);

// Puts any text on the clipboard; a box owned by owner tells a failure.
void CopyText(HWND owner, const std::wstring& text);

// The context menu of a record at a screen point; runs the chosen command.
void ShowRecordMenu(HWND owner, POINT screen, const std::wstring& path, int recordLine);
