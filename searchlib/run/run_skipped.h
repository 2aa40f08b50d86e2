// What a run under TESSUMI_KEEP_GOING does with a folder, file or line it
// can't search: tells the caller's skipped callback and goes on.
#pragma once

#include "run_state.h"

// Outcomes of searching one file (FnSearchLines).
constexpr int kFileFailed = 0;    // the run ends; statusText says why
constexpr int kFileSearched = 1;
constexpr int kFilePassedBy = 2;  // binary, or reported as skipped

// Whether a failure at `path`, whose text is in statusText, is passed by:
// under TESSUMI_KEEP_GOING the skipped callback hears the path and the
// text's reason alone (status::ReasonOf),
// and true is returned unless it answers 0, which stops the run as a
// progress stop does (statusText then says so). False without the option,
// with statusText untouched.
bool PassBy(SearchRun& run, const wchar_t* path, wchar_t* statusText);

// A file (or member) that can't be read, its text in statusText: kFilePassedBy
// when PassBy passes it by, else kFileFailed. A stopped run's failure is the
// stop's, never passed by.
int FileFailed(SearchRun& run, const wchar_t* path, wchar_t* statusText);

// Tells the skipped callback about path (without keep-going too, for
// online-only files); false when it answers 0, with the stop's text.
bool TellSkipped(SearchRun& run, const wchar_t* path, const wchar_t* reason,
                 wchar_t* statusText);

// The skipped callback itself, on this thread, now (true when there is none).
bool AskSkipped(SearchRun& run, const wchar_t* path, const wchar_t* reason,
                wchar_t* statusText);
