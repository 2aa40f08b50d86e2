// What "実行" checks before the dialog closes: each field in the dialog's
// order, then whether the results would replace a file the user has not
// seen as results. Nothing here shows anything.
#pragma once

#include <string>

#include "path_facts.h"
#include "search_conditions.h"

// The field a refusal sends the user back to.
enum class ConditionField { kNone, kStartFolder, kPattern1, kPattern2, kResultsFile };

struct ConditionProblem {
    ConditionField field = ConditionField::kNone;
    std::wstring text;  // names the field, or the library's pattern text
};

// The first field that keeps the conditions from running; kNone when they can run.
ConditionProblem FirstConditionProblem(const SearchConditions& conditions);

// The question to ask before the results go to an existing file, in the save
// picker's own words; empty when nothing would be lost: no such file, or the
// results file the window shows made again by the same search (start folder,
// patterns and options alike).
std::wstring OverwriteQuestion(const SearchConditions& conditions, const ShownResultsFile& shown);

// The path as Windows takes it when it looks a file up: the last name's
// trailing spaces and dots dropped ("." and ".." kept, a \\?\ path as it is).
std::wstring AsWindowsUsesIt(const std::wstring& path);
