#include "editor_catalog.h"

#include <windows.h>

namespace {

const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The folders installers put programs below: for all users (64-bit and
// 32-bit) and for the user alone.
const wchar_t* const kRootVariables[] = {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
                                         L"LOCALAPPDATA"};
const wchar_t kUserPrograms[] = L"LOCALAPPDATA";
const wchar_t kUserProgramsFolder[] = L"\\Programs";

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : L"";
}

// The default value of the program's App Paths key, machine's or user's.
std::wstring FromAppPaths(const wchar_t* exe) {
    const std::wstring key = std::wstring(kAppPaths) + exe;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof(value) - sizeof(wchar_t);
        if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr,
                         value, &bytes) != ERROR_SUCCESS)
            continue;
        std::wstring path = SplitEditorCommand(value).program;  // some keep it quoted
        if (IsFile(path)) return path;
    }
    return L"";
}

std::wstring FromInstallFolders(const KnownEditor& editor) {
    for (const wchar_t* variable : kRootVariables) {
        std::wstring root = Variable(variable);
        if (root.empty()) continue;
        if (std::wstring(variable) == kUserPrograms) root += kUserProgramsFolder;
        for (const wchar_t* folder : editor.folders) {
            if (!folder) break;
            const std::wstring path = root + L"\\" + folder + L"\\" + editor.exe;
            if (IsFile(path)) return path;
        }
    }
    return L"";
}

}  // namespace

const std::vector<KnownEditor>& KnownEditors() {
    static const std::vector<KnownEditor> editors = {
        {L"メモ帳", L"notepad.exe", L"%F", {}},
        {L"サクラエディタ", L"sakura.exe", L"-Y=%L %F", {L"sakura", L"Sakura Editor"}},
        {L"秀丸エディタ", L"Hidemaru.exe", L"/j%L %F", {L"Hidemaru", L"Hidemaru\\Hidemaru"}},
        {L"Visual Studio Code", L"Code.exe", L"-g %F:%L", {L"Microsoft VS Code"}},
        {L"Notepad++", L"notepad++.exe", L"-n%L %F", {L"Notepad++"}},
        {L"EmEditor", L"EmEditor.exe", L"/l %L %F", {L"EmEditor"}},
        {L"Mery", L"Mery.exe", L"/l %L %F", {L"Mery"}},
        {L"TeraPad", L"TeraPad.exe", L"/jl=%L %F", {L"TeraPad"}},
    };
    return editors;
}

std::vector<FoundEditor> FindEditors() {
    std::vector<FoundEditor> found;
    found.push_back({KnownEditors().front().name, NotepadCommand()});
    for (size_t i = 1; i < KnownEditors().size(); ++i) {
        const KnownEditor& editor = KnownEditors()[i];
        std::wstring program = FromAppPaths(editor.exe);
        if (program.empty()) program = FromInstallFolders(editor);
        if (!program.empty()) found.push_back({editor.name, {program, editor.arguments}});
    }
    return found;
}
