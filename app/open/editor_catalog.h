// The editors Varnelo knows how to tell a line, and which of them this PC
// has: each is found through its App Paths registry key or in its usual
// install folder.
#pragma once

#include <string>
#include <vector>

#include "editor_command.h"

struct KnownEditor {
    const wchar_t* name;        // as the dialog lists it
    const wchar_t* exe;         // its program's file name (the App Paths key)
    const wchar_t* arguments;   // how it is told the file and the line
    const wchar_t* folders[3];  // where its installer usually puts it, below the roots
};

// Every known editor, Notepad first (it takes no line).
const std::vector<KnownEditor>& KnownEditors();

// A known editor present here, with its program's full path.
struct FoundEditor {
    std::wstring name;
    EditorCommand command;
};

// The known editors present on this PC, in the order of KnownEditors();
// Notepad always.
std::vector<FoundEditor> FindEditors();
