// lookfor's side of a long search: the run's progress on one line of stderr
// while stderr is a console, and Ctrl+C (or Ctrl+Break) that stops the run
// cleanly instead of ending the process.
#pragma once

#include "Tessumi.h"

// Installs the Ctrl+C handler; once per process.
void WatchForCtrlC();

// FnLookForProgress's callback: draws the progress line (at most ten times a
// second) and answers 0 once Ctrl+C was pressed. context is unused.
int CALLBACK ShowConsoleProgress(long long files, long long hits, const wchar_t* folder,
                                 void* context);

// Clears the progress line, if one was drawn.
void EndConsoleProgress();
