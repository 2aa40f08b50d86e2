// The search dialog's procedure: fills the fields and options from the
// conditions, runs the two pickers, and on "実行" checks the fields while the
// dialog is still open, asks before an existing file is replaced, and only
// then copies everything back and keeps the fields (and their recent values,
// offered by the fields' drop-down lists) for the next start.
#include "search_dialog.h"

#include <string>
#include <vector>

#include "Tessumi.h"
#include "condition_checks.h"
#include "main_window.h"
#include "message_boxes.h"
#include "resources/resource_ids.h"
#include "search_command.h"
#include "search_conditions.h"
#include "search_memory.h"

namespace {

const wchar_t kFolderPickerFailure[] = L"「ファイルを開く」ダイアログの表示エラー\n";
const wchar_t kSavePickerFailure[] = L"「ファイルを保存する」ダイアログの表示エラー\n";
const wchar_t kCannotShowPath[] = L"タイトルバーにファイル名を表示できません。";

// The four fields and the options' edit, each with its control.
std::wstring SearchConditions::*const kFields[] = {
    &SearchConditions::startFolder, &SearchConditions::pattern1, &SearchConditions::pattern2,
    &SearchConditions::resultsFile};
const int kFieldIds[] = {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_PATTERN2_EDIT, IDC_RESULTS_EDIT};

struct OptionBox {
    int id;
    bool SearchOptions::*member;
};
const OptionBox kOptionBoxes[] = {
    {IDC_IGNORE_CASE, &SearchOptions::ignoreCase},
    {IDC_IGNORE_WIDTH, &SearchOptions::ignoreWidth},
    {IDC_IGNORE_KANA, &SearchOptions::ignoreKana},
    {IDC_SKIP_BINARY, &SearchOptions::skipBinary},
    {IDC_KEEP_GOING, &SearchOptions::keepGoing},
    {IDC_PATTERN1_WILDCARD, &SearchOptions::pattern1Wildcards},
};

int ControlOf(ConditionField field) {
    switch (field) {
    case ConditionField::kStartFolder: return IDC_FOLDER_EDIT;
    case ConditionField::kPattern1: return IDC_PATTERN1_EDIT;
    case ConditionField::kPattern2: return IDC_PATTERN2_EDIT;
    case ConditionField::kResultsFile: return IDC_RESULTS_EDIT;
    case ConditionField::kNone: break;
    }
    return 0;
}

bool IsComboBox(HWND control) {
    wchar_t name[16] = L"";
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"ComboBox") == 0;
}

// Every field, edit or combo box, takes the longest path the system takes.
void LimitField(HWND control) {
    SendMessageW(control, IsComboBox(control) ? CB_LIMITTEXT : EM_LIMITTEXT, kConditionMaxChars, 0);
}

std::wstring FieldText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(GetWindowTextW(control, &text[0], static_cast<int>(text.size())));
    return text;
}

// The focus back in a field with its whole text selected, ready to be mended.
void SelectField(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    if (IsComboBox(control))
        SendMessageW(control, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    else
        SendMessageW(control, EM_SETSEL, 0, -1);
}

void ShowConditions(HWND dialog, const SearchConditions& c) {
    for (size_t i = 0; i < std::size(kFields); ++i) {
        HWND control = GetDlgItem(dialog, kFieldIds[i]);
        LimitField(control);
        SetWindowTextW(control, (c.*kFields[i]).c_str());
    }
    for (const OptionBox& box : kOptionBoxes)
        CheckDlgButton(dialog, box.id, c.options.*box.member ? BST_CHECKED : BST_UNCHECKED);
    LimitField(GetDlgItem(dialog, IDC_EXCLUDED_EDIT));
    SetDlgItemTextW(dialog, IDC_EXCLUDED_EDIT, c.options.excludedFolders.c_str());
}

SearchConditions ConditionsShown(HWND dialog) {
    SearchConditions c;
    for (size_t i = 0; i < std::size(kFields); ++i) c.*kFields[i] = FieldText(dialog, kFieldIds[i]);
    for (const OptionBox& box : kOptionBoxes)
        c.options.*box.member = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
    c.options.excludedFolders = FieldText(dialog, IDC_EXCLUDED_EDIT);
    return c;
}

using Picker = int (*)(HWND owner, wchar_t* path, wchar_t* statusText);

// Runs a picker that starts from what its field holds. A chosen path goes to
// the field and into the conditions; a cancelled picker leaves both as they
// were (a field longer than the picker can hold included). A failed picker
// ends the dialog.
void PickInto(HWND dialog, Picker pick, int fieldId, std::wstring SearchConditions::*field,
              const wchar_t* failureLead) {
    const std::wstring shown = FieldText(dialog, fieldId);
    std::vector<wchar_t> path(TESSUMI_PICKER_PATH_UNITS, L'\0');
    if (shown.size() < path.size()) shown.copy(path.data(), shown.size());
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!pick(dialog, path.data(), status)) {
        ShowFailureBox(dialog, (std::wstring(failureLead) + status).c_str());
        EndDialog(dialog, 0);
        return;
    }
    if (path[0] == L'\0') return;  // cancelled
    TheSearchConditions().*field = path.data();
    if (!SetDlgItemTextW(dialog, fieldId, path.data())) ShowFailureBox(dialog, kCannotShowPath);
}

// "実行": true when the conditions may run, and then they are the process's.
bool AcceptConditions(HWND dialog) {
    SearchConditions c = ConditionsShown(dialog);
    ConditionProblem problem = FirstConditionProblem(c);
    if (problem.field != ConditionField::kNone) {
        ShowFailureBox(dialog, problem.text.c_str());
        SelectField(dialog, ControlOf(problem.field));
        return false;
    }
    std::wstring question = OverwriteQuestion(c.resultsFile, ShownResultsIdentity());
    if (!question.empty() && !AskBeforeLosingData(dialog, question.c_str())) {
        SelectField(dialog, IDC_RESULTS_EDIT);
        return false;
    }
    // The options are kept even if the settings can't be written: this
    // search still runs with them.
    SaveSearchOptions(c.options);
    TheSearchConditions() = c;
    RememberConditions(c);
    return true;
}

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ShowConditions(dialog, TheSearchConditions());
        ShowRecentValues(dialog);
        return TRUE;  // the focus goes to the first field
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BROWSE_FOLDER:
            PickInto(dialog, FnBrowseForFolder, IDC_FOLDER_EDIT, &SearchConditions::startFolder,
                     kFolderPickerFailure);
            break;
        case IDC_BROWSE_RESULTS:
            PickInto(dialog, FnGetSaveFileName, IDC_RESULTS_EDIT, &SearchConditions::resultsFile,
                     kSavePickerFailure);
            break;
        case IDC_RUN:
            if (AcceptConditions(dialog)) EndDialog(dialog, 1);
            break;
        case IDC_CANCEL:
        case IDCANCEL:  // Esc, the close box and Alt+F4: the same as "キャンセル"
            EndDialog(dialog, 0);
            break;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunSearchDialog(HWND owner) {
    return DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(IDD_SEARCH), owner, SearchDialogProc, 0);
}
