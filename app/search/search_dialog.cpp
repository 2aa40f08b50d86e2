// The search dialog's procedure: fills the fields and options from the
// conditions, runs the two pickers into the fields, takes a dropped folder,
// and on "実行" checks the fields as the library will use them while the
// dialog is still open, asks (once) before an existing file is replaced, and
// only then copies everything back and keeps the fields (and their recent
// values, offered by the fields' drop-down lists) for the next start.
// "キャンセル" keeps nothing, not even what the pickers put in the fields.
#include "search_dialog.h"

#include <string>
#include <vector>

#include "Tessumi.h"
#include "condition_checks.h"
#include "folder_drop.h"
#include "main_window.h"
#include "message_boxes.h"
#include "resources/resource_ids.h"
#include "search_command.h"
#include "search_conditions.h"
#include "search_memory.h"
#include "settings.h"

namespace {

const wchar_t kFolderPickerFailure[] = L"「ファイルを開く」ダイアログの表示エラー\n";
const wchar_t kSavePickerFailure[] = L"「ファイルを保存する」ダイアログの表示エラー\n";
const wchar_t kCannotShowPath[] = L"タイトルバーにファイル名を表示できません。";

HWND g_dialog = nullptr;  // the dialog while it is open
// The existing file the save picker has already asked about replacing, as
// the user chose it there.
std::wstring g_agreedOverwrite;

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
    {IDC_SEARCH_DOCUMENTS, &SearchOptions::documents},
    {IDC_SEARCH_ARCHIVES, &SearchOptions::archives},
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
// the field only; a cancelled picker leaves it as it was (a field longer than
// the picker can hold included). A failed picker ends the dialog.
void PickInto(HWND dialog, Picker pick, int fieldId, const wchar_t* failureLead) {
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
    // The save picker asks before it hands back an existing file.
    if (fieldId == IDC_RESULTS_EDIT && KindOf(path.data()) == PathKind::kFile)
        g_agreedOverwrite = path.data();
    if (!SetDlgItemTextW(dialog, fieldId, path.data())) ShowFailureBox(dialog, kCannotShowPath);
}

// "実行": true when the conditions may run, and then they are the process's.
bool AcceptConditions(HWND dialog) {
    SearchConditions c = ConditionsShown(dialog);
    // Windows drops a name's trailing spaces and dots when it checks a path,
    // the library's walk does not: both see the path without them.
    c.startFolder = AsWindowsUsesIt(c.startFolder);
    c.resultsFile = AsWindowsUsesIt(c.resultsFile);
    ConditionProblem problem = FirstConditionProblem(c);
    if (problem.field != ConditionField::kNone) {
        ShowFailureBox(dialog, problem.text.c_str());
        SelectField(dialog, ControlOf(problem.field));
        return false;
    }
    std::wstring question = OverwriteQuestion(c, ShownResults());
    const bool askedAlready = !g_agreedOverwrite.empty() &&
                              SameFile(IdentityOf(g_agreedOverwrite), IdentityOf(c.resultsFile));
    if (!question.empty() && !askedAlready && !AskBeforeLosingData(dialog, question.c_str())) {
        SelectField(dialog, IDC_RESULTS_EDIT);
        return false;
    }
    // The options are kept even if the settings can't be written: this
    // search still runs with them. The file is written once, off this
    // thread.
    SaveSearchOptions(c.options);
    TheSearchConditions() = c;
    RememberConditions(c);
    settings::SaveInBackground();
    return true;
}

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        g_dialog = dialog;
        g_agreedOverwrite.clear();
        ShowConditions(dialog, TheSearchConditions());
        ShowRecentValues(dialog);
        if (const auto* folder = reinterpret_cast<const std::wstring*>(lParam))
            SetDlgItemTextW(dialog, IDC_FOLDER_EDIT, folder->c_str());
        AcceptFolderDrops(dialog, ShowStartFolder);
        return TRUE;  // the focus goes to the first field
    }
    case WM_DESTROY:
        RefuseFolderDrops(dialog);
        g_dialog = nullptr;
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BROWSE_FOLDER:
            PickInto(dialog, FnBrowseForFolder, IDC_FOLDER_EDIT, kFolderPickerFailure);
            break;
        case IDC_BROWSE_RESULTS:
            PickInto(dialog, FnGetSaveFileName, IDC_RESULTS_EDIT, kSavePickerFailure);
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

INT_PTR RunSearchDialog(HWND owner, const std::wstring* startFolder) {
    return DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(IDD_SEARCH), owner, SearchDialogProc,
                           reinterpret_cast<LPARAM>(startFolder));
}

HWND SearchDialogShown() { return g_dialog; }

void ShowStartFolder(HWND dialog, const std::wstring& folder) {
    SetDlgItemTextW(dialog, IDC_FOLDER_EDIT, folder.c_str());
    SelectField(dialog, IDC_FOLDER_EDIT);
}
