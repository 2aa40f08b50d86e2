// 「Varnelo で検索」 in Explorer's right-click menu of folders, drives and a
// folder's background: a verb under HKCU\Software\Classes, so it needs no
// administrator and touches no other user. Each command names this
// Varnelo.exe by its own path; a copy that has moved (a zip unpacked
// elsewhere) finds the verb pointing at the old place.
#pragma once

#include <string>
#include <vector>

// One key the verb writes, below HKEY_CURRENT_USER: the verb's key (its text
// and icon) and the command its "command" subkey runs.
struct VerbKey {
    std::wstring key;
    std::wstring command;
};

// The verb's keys for the program at exePath: Directory and Drive with "%1",
// Directory\Background with "%V".
std::vector<VerbKey> VerbKeys(const std::wstring& exePath);

enum class VerbState {
    kAbsent,     // none of the keys holds a command
    kThisCopy,   // every key runs this program
    kElsewhere,  // some key is missing or runs another path
};

// Judged from the commands found under the keys (empty where a key has
// none), in VerbKeys's order, against those VerbKeys would write.
VerbState JudgeVerb(const std::vector<std::wstring>& found, const std::vector<VerbKey>& wanted);

// The program a command runs: its first, possibly quoted, word.
std::wstring ProgramOfCommand(const std::wstring& command);

// The commands the registry holds now, in VerbKeys's order.
std::vector<std::wstring> RegisteredCommands(const std::vector<VerbKey>& keys);

// Writes every key (over any that are there); the system's error code, or
// ERROR_SUCCESS.
long AddVerb(const std::wstring& exePath);

// Deletes the verb's keys, and the keys above them that only they needed
// (left empty), up to HKCU\Software\Classes; nothing else.
long RemoveVerb();

// This process's program file.
std::wstring ThisProgramPath();
