// Pattern 1's test of a path: a file's found by the walk, or a member's
// inside an archive.
#pragma once

#include <string>

#include "run_state.h"

// Whether a file's path passes pattern 1: as a regex on the whole path, or
// under TESSUMI_PATTERN1_MASKS as masks on the name alone (no masks: every
// file); -1 when the regex can't be tested.
int PathPasses(SearchRun& run, const std::wstring& path, const wchar_t* name,
               wchar_t* statusText);
