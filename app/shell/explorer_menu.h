// The ファイル menu's command that puts 「Varnelo で検索」 into Explorer's
// right-click menu or takes it out again, and the check at start for a
// verb left pointing at a copy of Varnelo that has moved.
#pragma once

#include <windows.h>

// The command's text for the registry as it is now: 「…に追加」 when the verb
// is absent, 「…から削除」 when it is there.
void UpdateExplorerMenuItem(HMENU menu);

// The command: adds the verb when it is absent, removes it otherwise; a box
// tells what was done, or why it failed.
void RunExplorerMenuCommand(HWND owner);

// At start: when the verb runs another path than this program's, offers to
// point it here. A path the user declined is not asked about again.
void CheckExplorerVerb(HWND owner);
