// The search command (menu command 202): the dialog, the search run on its
// own thread, and when it has ended the results file loaded and drawn with a
// summary, or the library's failure text shown.
#include "search_command.h"

#include <utility>

#include "Tessumi.h"
#include "live_results.h"
#include "main_window.h"
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
const UINT kSearchEndedMessage = WM_APP + 1;

ShownResultsFile g_shownResults;  // the file whose records the view shows

// The view shows what the results file holds now; false with the
// library's text when it can't be read, the view then empty. A run that
// never created the file left it as it was: on screen already when it is
// the file shown.
bool ShowResultsFile(HWND mainWindow, bool created, wchar_t* status) {
    const std::wstring& file = TheSearchConditions().resultsFile;
    const FileIdentity identity = IdentityOf(file);
    if (!created && SameFile(identity, g_shownResults.file)) return true;
    g_shownResults = {identity, TheSearchConditions()};
    return EndLiveResults(mainWindow, file, status);
}

void OnSearchEnded(HWND mainWindow) {
    EndProgressDisplay(mainWindow);
    const bool created = SearchResultsCreated();
    SearchOutcome o = JoinSearchWorker();
    KeepSkippedList(std::move(o.skipped));
    // After a failure too: the file holds what it holds (nothing, or the
    // whole records written before the failure), and the failure says why.
    wchar_t readFailure[TESSUMI_STATUS_TEXT_UNITS];
    const bool shown = ShowResultsFile(mainWindow, created, readFailure);
    if (!o.result && !o.stopped) {
        SubMessageOut(StatusBar(), o.statusText.c_str());
        // The tooltip holds it whole, but a failure must be read at once.
        if (!StatusTextShownWhole()) ShowFailureBox(mainWindow, o.statusText.c_str());
        return;
    }
    if (!shown) {
        SubMessageOut(StatusBar(), readFailure);
        return;
    }
    // After a stop, what was found before it is in the file, whole.
    ShowStatusText(o.stopped ? StoppedText(o.last.hits)
                             : FoundText(o.last.hits, o.last.files, o.seconds, o.skippedCount,
                                         o.refusedCount));
}

}  // namespace

void RunSearchCommand(HWND mainWindow, const std::wstring* startFolder) {
    if (SearchWorkerRunning()) return;
    INT_PTR ended = RunSearchDialog(mainWindow, startFolder);
    if (ended == kDialogFailed) {
        ShowFailureBox(mainWindow, kDialogUnavailable);
        return;
    }
    if (ended != kDialogRunsSearch) return;
    if (!StartSearchRun(mainWindow)) ShowFailureBox(mainWindow, kSearchCannotStart);
}

bool StartSearchRun(HWND mainWindow) {
    if (SearchWorkerRunning()) return false;
    BeginLiveResults(mainWindow, TheSearchConditions().pattern2,
                     OptionFlags(TheSearchConditions().options));
    if (!StartSearchWorker(mainWindow, kSearchEndedMessage, TheSearchConditions())) return false;
    BeginProgressDisplay(mainWindow);
    return true;
}

void StopSearchCommand() { RequestSearchStop(); }

const ShownResultsFile& ShownResults() { return g_shownResults; }

bool HandleSearchMessage(HWND mainWindow, UINT message, WPARAM wParam) {
    if (message == kSearchEndedMessage) {
        if (SearchWorkerRunning()) OnSearchEnded(mainWindow);
        return true;
    }
    if (message == WM_TIMER && (wParam == kProgressTimerId || wParam == kLiveTimerId)) {
        // A tick taken from the queue after the end changes nothing.
        if (!SearchWorkerRunning()) return true;
        if (wParam == kProgressTimerId)
            UpdateProgressDisplay(mainWindow);
        else
            FollowLiveResults(TheSearchConditions().resultsFile);
        return true;
    }
    return false;
}

void EndSearchForExit() {
    if (!SearchWorkerRunning()) return;
    RequestSearchStop();
    JoinSearchWorker();
}
