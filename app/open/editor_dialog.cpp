#include "editor_dialog.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "editor_catalog.h"
#include "editor_open.h"
#include "main_window.h"
#include "message_boxes.h"
#include "resources/resource_ids.h"
#include "setting_names.h"
#include "settings.h"

namespace {

const wchar_t kOther[] = L"その他";
const wchar_t kNoProgram[] = L"プログラムを入力してください。";
const wchar_t kNotSaved[] = L"エディターの設定を保存できません：";
const wchar_t kProgramFilter[] = L"プログラム (*.exe)\0*.exe\0すべてのファイル (*.*)\0*.*\0";

// While the dialog is open: the editors listed, 「その他」 after them.
std::vector<FoundEditor> g_found;
bool g_filling = false;  // the dialog itself is setting the fields

std::wstring FieldText(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(field, &text[0], static_cast<int>(text.size()))));
    return text;
}

EditorCommand Fields(HWND dialog) {
    return {FieldText(dialog, IDC_EDITOR_PROGRAM), FieldText(dialog, IDC_EDITOR_ARGUMENTS)};
}

void Fill(HWND dialog, const EditorCommand& command) {
    g_filling = true;
    SetDlgItemTextW(dialog, IDC_EDITOR_PROGRAM, command.program.c_str());
    SetDlgItemTextW(dialog, IDC_EDITOR_ARGUMENTS, command.arguments.c_str());
    g_filling = false;
}

// The listed editor that the command is, or 「その他」's index.
size_t ListedIndex(const EditorCommand& command) {
    for (size_t i = 0; i < g_found.size(); ++i) {
        const EditorCommand& c = g_found[i].command;
        if (CompareStringOrdinal(c.program.c_str(), -1, command.program.c_str(), -1, TRUE) ==
                CSTR_EQUAL &&
            c.arguments == command.arguments)
            return i;
    }
    return g_found.size();
}

void OnInit(HWND dialog) {
    g_found = FindEditors();
    HWND list = GetDlgItem(dialog, IDC_EDITOR_LIST);
    for (const FoundEditor& e : g_found) SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)e.name.c_str());
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kOther));
    const EditorCommand current = ConfiguredEditor();
    SendMessageW(list, LB_SETCURSEL, ListedIndex(current), 0);
    Fill(dialog, current);
}

void OnListChange(HWND dialog) {
    const LRESULT chosen = SendDlgItemMessageW(dialog, IDC_EDITOR_LIST, LB_GETCURSEL, 0, 0);
    if (chosen >= 0 && static_cast<size_t>(chosen) < g_found.size())
        Fill(dialog, g_found[static_cast<size_t>(chosen)].command);
}

// Typing in a field makes the choice 「その他」 unless it is a listed editor.
void OnFieldChange(HWND dialog) {
    if (g_filling) return;
    SendDlgItemMessageW(dialog, IDC_EDITOR_LIST, LB_SETCURSEL, ListedIndex(Fields(dialog)), 0);
}

void Browse(HWND dialog) {
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring now = FieldText(dialog, IDC_EDITOR_PROGRAM);
    if (now.size() < path.size()) now.copy(path.data(), now.size());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = kProgramFilter;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(dialog, IDC_EDITOR_PROGRAM, path.data());
}

bool Keep(HWND dialog) {
    const EditorCommand command = Fields(dialog);
    if (command.program.empty()) {
        ShowFailureBox(dialog, kNoProgram);
        HWND field = GetDlgItem(dialog, IDC_EDITOR_PROGRAM);
        SetFocus(field);
        return false;
    }
    settings::WriteString(settings::kEditorSection, settings::kEditorCommandKey,
                          JoinEditorCommand(command));
    if (!settings::SaveNow()) {
        ShowFailureBox(dialog, (kNotSaved + settings::IniPath()).c_str());
        return false;
    }
    return true;
}

INT_PTR CALLBACK EditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EDITOR_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) OnListChange(dialog);
            return TRUE;
        case IDC_EDITOR_PROGRAM:
        case IDC_EDITOR_ARGUMENTS:
            if (HIWORD(wParam) == EN_CHANGE) OnFieldChange(dialog);
            return TRUE;
        case IDC_EDITOR_BROWSE:
            Browse(dialog);
            return TRUE;
        case IDOK:
            if (Keep(dialog)) EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool RunEditorDialog(HWND owner) {
    return DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(IDD_EDITOR), owner, EditorDialogProc,
                           0) == 1;
}
