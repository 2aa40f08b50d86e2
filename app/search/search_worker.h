// One search run on a thread of its own, so that the window goes on
// answering while it runs. The thread touches nothing of the window: it runs
// FnLookForOptions, keeps the latest progress under a lock, notes what the
// run passed by, and posts one message when the run has ended.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Tessumi.h"
#include "search_conditions.h"

struct SearchProgress {
    long long files = 0;
    long long hits = 0;
    std::wstring folder;
};

// A folder or file the run could not read and passed by, or a line it
// stopped testing at the matcher's limits ("file(N)"), and why.
struct SkippedEntry {
    std::wstring path;
    std::wstring reason;
    bool lineRefused = false;
};

// The run's StatusText: room for any text whole, the longest path's too.
constexpr int kRunStatusTextUnits = 32768;

struct SearchOutcome {
    int result = 0;        // FnLookForOptions's
    bool stopped = false;  // the run ended because it was told to stop
    SearchProgress last;   // the counts the run reported last (its totals)
    double seconds = 0;
    std::vector<SkippedEntry> skipped;  // in the order the run met them
    long long skippedCount = 0;         // unread files and folders
    long long refusedCount = 0;         // lines refused at the matcher's limits
    std::wstring statusText;
};

// Starts a run with a copy of the conditions; when it has ended, posts
// `endedMessage` to `window`. False when no thread could be started.
bool StartSearchWorker(HWND window, UINT endedMessage, const SearchConditions& conditions);

bool SearchWorkerRunning();

// Tells the run to stop at its next report to this program.
void RequestSearchStop();

// What the run reported last.
SearchProgress LatestSearchProgress();

// True once the run has created its results file (its first report comes
// after that), so that it can be read while the run writes it.
bool SearchResultsCreated();

// Waits for the run's thread to end and takes what the run left.
SearchOutcome JoinSearchWorker();
