// FnWalkFolder: one folder and everything below it, depth first in the
// platform's listing order.
#pragma once

#include <string>

#include "run_state.h"

// 1 when the folder and all its subfolders were listed to the end and every
// file whose path matches pattern 1 was searched; 0 at the first failure.
int FnWalkFolder(const std::wstring& folder, SearchRun& run, wchar_t* statusText);

// Whether the entry named `name` (short name `alternate`) at `path` is the
// run's own results file.
bool IsResultsFile(const SearchRun& run, const std::wstring& path, const wchar_t* name,
                   const wchar_t* alternate);
