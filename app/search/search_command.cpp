// The search command (menu command 202): the dialog, the search run on its
// own thread, and when it has ended the results file loaded and drawn with a
// summary, or the library's failure text shown.
#include "search_command.h"

#include <utility>

#include "Tessumi.h"
#include "main_window.h"
#include "record_marks.h"
#include "path_facts.h"
#include "message_boxes.h"
#include "search_conditions.h"
#include "search_dialog.h"
#include "search_progress.h"
#include "search_worker.h"
#include "skipped_list.h"
#include "status_tip.h"
#include "status_bar_texts.h"

namespace {

const wchar_t kDialogUnavailable[] = L"検索ダイアログを表示できません。";
const INT_PTR kDialogRunsSearch = 1;
const INT_PTR kDialogFailed = -1;
const int kRawBytes = 0;  // SubReadText: the file's bytes, unconverted
const UINT kSearchEndedMessage = WM_APP + 1;

FileIdentity g_shownResults;  // the file whose records the view shows

// Loads the results file into the view; the library's text on failure.
bool ShowResultsFile() {
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    wchar_t* text = nullptr;
    int bytes = 0;
    const std::wstring& file = TheSearchConditions().resultsFile;
    if (!SubReadText(file.c_str(), &text, &bytes, kRawBytes, status)) {
        SubMessageOut(StatusBar(), status);
        return false;
    }
    // The view marks what pattern 2 matched, folded as the search folded it.
    SetMarkedPattern(TheSearchConditions().pattern2, OptionFlags(TheSearchConditions().options));
    ReplaceResultsText(text, bytes);  // draws at once
    g_shownResults = IdentityOf(file);
    return true;
}

void OnSearchEnded(HWND mainWindow) {
    EndProgressDisplay(mainWindow);
    SearchOutcome o = JoinSearchWorker();
    KeepSkippedList(std::move(o.skipped));
    if (o.stopped) {
        // What was found before the stop is in the file, whole.
        if (ShowResultsFile()) ShowStatusText(StoppedText(o.last.hits));
        return;
    }
    if (!o.result) {
        SubMessageOut(StatusBar(), o.statusText.c_str());
        // The tooltip holds it whole, but a failure must be read at once.
        if (!StatusTextShownWhole()) ShowFailureBox(mainWindow, o.statusText.c_str());
        return;
    }
    if (ShowResultsFile())
        ShowStatusText(FoundText(o.last.hits, o.last.files, o.seconds, o.skippedCount));
}

}  // namespace

void RunSearchCommand(HWND mainWindow) {
    if (SearchWorkerRunning()) return;
    INT_PTR ended = RunSearchDialog(mainWindow);
    if (ended == kDialogFailed) {
        ShowFailureBox(mainWindow, kDialogUnavailable);
        return;
    }
    if (ended != kDialogRunsSearch) return;

    if (!StartSearchWorker(mainWindow, kSearchEndedMessage, TheSearchConditions())) {
        ShowFailureBox(mainWindow, kSearchCannotStart);
        return;
    }
    BeginProgressDisplay(mainWindow);
}

void StopSearchCommand() { RequestSearchStop(); }

const FileIdentity& ShownResultsIdentity() { return g_shownResults; }

bool HandleSearchMessage(HWND mainWindow, UINT message, WPARAM wParam) {
    if (message == kSearchEndedMessage) {
        if (SearchWorkerRunning()) OnSearchEnded(mainWindow);
        return true;
    }
    if (message == WM_TIMER && wParam == kProgressTimerId) {
        // A tick taken from the queue after the end changes nothing.
        if (SearchWorkerRunning()) UpdateProgressDisplay(mainWindow);
        return true;
    }
    return false;
}

void EndSearchForExit() {
    if (!SearchWorkerRunning()) return;
    RequestSearchStop();
    JoinSearchWorker();
}
