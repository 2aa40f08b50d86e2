// The editor dialog (template 600), from 「エディターの設定(&E)...」: a list of
// the editors found on this PC and 「その他」, a program and an argument
// template; OK keeps the choice in the settings ([Editor] Command=).
#pragma once

#include <windows.h>

// Shows the dialog over owner; true when a choice was kept.
bool RunEditorDialog(HWND owner);
