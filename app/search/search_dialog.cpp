// The search dialog's procedure: fills the edits from the conditions, runs
// the two pickers and copies the edits back on "実行".
#include "search_dialog.h"

#include <cwchar>

#include "Tessumi.h"
#include "main_window.h"
#include "resources/resource_ids.h"
#include "search_conditions.h"

namespace {

const wchar_t kFolderPickerFailureCaption[] = L"「ファイルを開く」ダイアログの表示エラー";
const wchar_t kSavePickerFailureCaption[] = L"「ファイルを保存する」ダイアログの表示エラー";
const wchar_t kCannotShowPath[] = L"タイトルバーにファイル名を表示できません。";
const wchar_t kPathTooLong[] =
    L"選ばれたパスは 255 文字を超えているため使えません。もっと短いパスを選んでください。";

// "実行" reads each edit with this limit, terminating zero included.
const int kRunCopyUnits = kConditionMaxChars + 1;

// The four edits, in the order "実行" copies them, and their fields.
enum Condition { kStartFolder, kPattern1, kPattern2, kResultsFile, kConditionCount };
const int kEditIds[kConditionCount] = {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_PATTERN2_EDIT,
                                       IDC_RESULTS_EDIT};

wchar_t* Field(Condition which) {
    SearchConditions& c = TheSearchConditions();
    wchar_t* const fields[kConditionCount] = {c.startFolder, c.pattern1, c.pattern2,
                                              c.resultsFile};
    return fields[which];
}

HWND g_edits[kConditionCount];  // while the dialog is open

void ShowMessage(HWND dialog, const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(dialog, text, caption, MB_OK);
}

using Picker = int (*)(HWND owner, wchar_t* path, wchar_t* statusText);

// Runs a picker straight into its field and shows the result in the field's
// edit. A failed picker ends the dialog.
void PickInto(HWND dialog, Picker pick, Condition which, const wchar_t* failureCaption) {
    wchar_t* field = Field(which);
    wchar_t before[kConditionUnits];
    wcscpy(before, field);
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!pick(dialog, field, status)) {
        ShowMessage(dialog, status, failureCaption);
        EndDialog(dialog, 0);
        return;
    }
    // "実行" could hand only the first 255 characters of a longer path to
    // the search; better to refuse it now than to search in the wrong place.
    if (wcslen(field) > static_cast<size_t>(kConditionMaxChars)) {
        wcscpy(field, before);
        ShowMessage(dialog, kPathTooLong, L"");
        return;
    }
    if (!SetWindowTextW(g_edits[which], field)) ShowMessage(dialog, kCannotShowPath, L"");
}

void CopyEditsToConditions() {
    for (int i = 0; i < kConditionCount; ++i)
        GetWindowTextW(g_edits[i], Field(Condition(i)), kRunCopyUnits);
}

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        for (int i = 0; i < kConditionCount; ++i) {
            g_edits[i] = GetDlgItem(dialog, kEditIds[i]);
            SetWindowTextW(g_edits[i], Field(Condition(i)));
        }
        return TRUE;  // the focus goes to the first edit
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BROWSE_FOLDER:
            PickInto(dialog, FnBrowseForFolder, kStartFolder, kFolderPickerFailureCaption);
            break;
        case IDC_BROWSE_RESULTS:
            PickInto(dialog, FnGetSaveFileName, kResultsFile, kSavePickerFailureCaption);
            break;
        case IDC_RUN:
            CopyEditsToConditions();
            EndDialog(dialog, 1);
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
