// One whole search run, as the exports start it.
#pragma once

#include "Tessumi.h"

// FnLookForProgress on `threads` threads (0: the library's default, 1: the
// walk's own thread alone; see SearchThreadsFor in file_pool.h).
int LookForWithThreads(const wchar_t* startFolder, const wchar_t* resultsFile,
                       const wchar_t* pattern1, const wchar_t* pattern2,
                       TessumiProgress progress, void* context, int threads,
                       wchar_t* statusText);
