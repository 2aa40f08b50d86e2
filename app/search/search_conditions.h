// The search conditions: what the search dialog edits and the search command
// hands to the library. The four fields live in memory for the life of the
// process and start empty; the options come from the settings.
#pragma once

#include <string>

#include "path_facts.h"
#include "search_options.h"

// What a field may hold: the longest path the system takes (\\?\ form), so
// any field is passed on whole.
constexpr int kConditionMaxChars = 32767;

struct SearchConditions {
    std::wstring startFolder;
    std::wstring pattern1;
    std::wstring pattern2;
    std::wstring resultsFile;
    SearchOptions options;
};

// The process's one set of conditions.
SearchConditions& TheSearchConditions();

// A results file the window shows, and the conditions of the search that
// wrote it.
struct ShownResultsFile {
    FileIdentity file;
    SearchConditions madeBy;
};
