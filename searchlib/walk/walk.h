// FnWalkFolder: one folder and everything below it, depth first in the
// platform's listing order.
#pragma once

#include <string>

#include "run_state.h"

// 1 when the folder and all its subfolders were listed to the end and every
// file whose path matches pattern 1 was searched, or passed by under the
// run's options; 0 at the first failure. A failure to list the start folder
// ends the run whatever the options. Links below the folder are passed by
// (link_decision.h), and so are files that are online only (online_only.h).
// The depth of the tree costs heap, not stack.
int FnWalkFolder(const std::wstring& folder, SearchRun& run, wchar_t* statusText);

// 1 when the folder can be listed, as the walk lists it; 0 with the walk's
// own failure text when it can't. An empty folder name is refused as a
// missing folder: listed as it stands it would be the current drive's root.
int FnCheckStartFolder(const std::wstring& folder, wchar_t* statusText);

// Whether the entry named `name` at `path` is the run's own results file.
bool IsResultsFile(const SearchRun& run, const std::wstring& path, const wchar_t* name);
