// Opening a result record's file in the user's editor at the record's line:
// the line is worked out (and a member of an archive copied out) on a thread
// of its own, so a big file never holds the window; the wait cursor shows
// when that takes longer than a moment.
#pragma once

#include <windows.h>

#include <string>

#include "editor_command.h"

// The editor of the settings ([Editor] Command=); Notepad when none is set.
EditorCommand ConfiguredEditor();

// Starts opening path at the editor's line for the record's line number.
// The editor is started when the line is known, through
// HandleEditorOpenMessage; a request while one is under way is dropped.
void OpenRecordInEditor(HWND owner, const std::wstring& path, int recordLine);

// Starts opening a member of an archive (a path as a search writes it): on
// the same thread as a line is worked out, the member is copied out
// (member_copies.h), then the copy opens: a document through its type's
// program, anything else in the editor at the record's line. A member that
// can't be copied is reported in a message box owned by owner.
void OpenArchiveMember(HWND owner, const std::wstring& memberPath, int recordLine, bool document);

// Starts the editor for file at line now, with CreateProcessW (never a
// file's "open" verb: a hit must never run). On failure a message box owned
// by owner gives the system's reason.
void StartEditor(HWND owner, const EditorCommand& editor, const std::wstring& file, int line);

// The main window's part: true for the messages of an open under way.
bool HandleEditorOpenMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);
