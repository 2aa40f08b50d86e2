// The search command (menu command 202): the dialog, the search run, and the
// results file loaded and drawn, or the library's failure text shown.
#include "search_command.h"

#include "Tessumi.h"
#include "main_window.h"
#include "search_conditions.h"
#include "search_dialog.h"

namespace {

const wchar_t kDialogUnavailable[] = L"検索ダイアログを表示できません。";
const INT_PTR kDialogRunsSearch = 1;
const INT_PTR kDialogFailed = -1;
const int kRawBytes = 0;  // SubReadText: the file's bytes, unconverted

}  // namespace

void RunSearchCommand(HWND mainWindow) {
    INT_PTR ended = RunSearchDialog(mainWindow);
    if (ended == kDialogFailed) {
        MessageBoxW(mainWindow, kDialogUnavailable, L"", MB_OK);
        return;
    }
    if (ended != kDialogRunsSearch) return;

    const SearchConditions& c = TheSearchConditions();
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!FnLookFor(c.startFolder, c.resultsFile, c.pattern1, c.pattern2, status)) {
        SubMessageOut(StatusBar(), status);
        return;
    }
    wchar_t* text = nullptr;
    int bytes = 0;
    if (!SubReadText(c.resultsFile, &text, &bytes, kRawBytes, status)) {
        SubMessageOut(StatusBar(), status);
        return;
    }
    ReplaceResultsText(text, bytes);  // draws at once
}
