// The command that opens a file at a line in the user's editor: a program
// and an argument template in which %F stands for the file's full path and
// %L for the line, kept as one text (the settings' [Editor] Command=).
#pragma once

#include <string>

struct EditorCommand {
    std::wstring program;    // a full path, or a name the system searches for
    std::wstring arguments;  // the template, %F and %L in it
};

// A command text split into its program (quoted or up to the first space)
// and the rest, leading spaces removed.
EditorCommand SplitEditorCommand(const std::wstring& command);

// The program, quoted when it holds a space or a tab, then the template.
std::wstring JoinEditorCommand(const EditorCommand& command);

// An argument as a program's command-line parser reads it back: quoted when
// it is empty or holds a space or a tab.
std::wstring QuoteArgument(const std::wstring& text);

// The whole command line for CreateProcessW: the quoted program, then the
// template with %F replaced by the file (quoted as needed, as it is where the
// template already has it inside quotes), %L by the line and %% by %. A
// template without %F gets the file at its end.
std::wstring EditorCommandLine(const EditorCommand& command, const std::wstring& file, int line);

// Notepad from the system's folder, with the file alone: it takes no line.
EditorCommand NotepadCommand();
