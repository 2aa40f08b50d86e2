// FnWalkFolder: one folder and everything below it, depth first in the
// platform's listing order.
#pragma once

#include <string>

#include "run_state.h"

// 1 when the folder and all its subfolders were listed to the end and every
// file whose path matches pattern 1 was searched, or passed by under the
// run's options; 0 at the first failure. below: the folder is not the start
// folder, whose failure ends the run whatever the options.
int FnWalkFolder(const std::wstring& folder, SearchRun& run, wchar_t* statusText,
                 bool below = false);

// Whether the entry named `name` (short name `alternate`) at `path` is the
// run's own results file.
bool IsResultsFile(const SearchRun& run, const std::wstring& path, const wchar_t* name,
                   const wchar_t* alternate);
