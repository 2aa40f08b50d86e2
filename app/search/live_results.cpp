#include "live_results.h"

#include <algorithm>

#include "Tessumi.h"
#include "main_window.h"
#include "record_marks.h"
#include "results_tail.h"
#include "results_view.h"
#include "search_worker.h"

namespace {

// Read at most this much a tick (some 10 to 20 ms of reading and indexing),
// so that the window keeps answering while a fast search writes faster than
// the view takes; at twenty ticks a second the view outpaces the searches
// measured (about 50 MB of records a second).
const size_t kBytesPerTick = size_t(4) << 20;
const size_t kAll = ~size_t(0) >> 1;
const int kRawBytes = 0;  // SubReadText: the file's bytes, unconverted
const UINT kLiveIntervalMs = 50;

ResultsTail g_tail;
bool g_growing = false;  // the view grows with the file
std::wstring g_pattern;  // the run's pattern 2 and its folding flags
int g_flags = 0;

// Takes up to maxBytes more of the file's whole lines into the view, or
// with `all` all there is; false when the file is no longer what was read,
// or the view can't take it.
bool TakeMore(size_t maxBytes, bool all = false) {
    do {
        if (!g_tail.ReadMore(maxBytes, !all)) return false;
        if (!AppendResultsText(g_tail.units(), g_tail.count())) return false;
        maxBytes -= std::min(maxBytes, g_tail.count() * 2);
    } while (all && g_tail.count() > 0 && maxBytes > 0);
    return true;
}

}  // namespace

void BeginLiveResults(HWND mainWindow, const std::wstring& pattern2, int flags) {
    SetTimer(mainWindow, kLiveTimerId, kLiveIntervalMs, nullptr);
    g_tail.Close();
    g_growing = false;
    g_pattern = pattern2;
    g_flags = flags;
}

void FollowLiveResults(const std::wstring& resultsFile) {
    if (!g_tail.open()) {
        if (g_growing || !SearchResultsCreated()) return;
        // The run emptied the file: so does the view.
        g_growing = StartGrowingResultsText();
        SetMarkedPattern(g_pattern, g_flags);
        if (!g_tail.Open(resultsFile)) g_growing = false;
        if (!g_growing) return;
    }
    if (g_growing && !TakeMore(kBytesPerTick)) g_growing = false;
}

bool EndLiveResults(HWND mainWindow, const std::wstring& resultsFile, wchar_t* statusText) {
    KillTimer(mainWindow, kLiveTimerId);
    const bool followed = g_tail.open() && g_growing && TakeMore(kAll, true);
    g_tail.Close();
    g_growing = false;
    if (followed) {
        EndGrowingResultsText();
        return true;
    }
    // Loaded whole, from its start.
    wchar_t* text = nullptr;
    int bytes = 0;
    SetMarkedPattern(g_pattern, g_flags);
    if (!SubReadText(resultsFile.c_str(), &text, &bytes, kRawBytes, statusText)) {
        ReplaceResultsText(nullptr, 0);
        return false;
    }
    ReplaceResultsText(text, bytes);
    return true;
}
