// The four search conditions: what the search dialog edits and the search
// command hands to the library. They live in memory for the life of the
// process and start empty.
#pragma once

#include "Tessumi.h"

// Each field has room for any path a picker may write (259 characters and
// the zero), so a picker never writes past one.
constexpr int kConditionUnits = TESSUMI_PICKER_PATH_UNITS;
// What a condition may hold: "実行" reads at most this many characters from
// an edit, and a longer picked path is refused.
constexpr int kConditionMaxChars = 255;

struct SearchConditions {
    wchar_t startFolder[kConditionUnits];
    wchar_t pattern1[kConditionUnits];
    wchar_t pattern2[kConditionUnits];
    wchar_t resultsFile[kConditionUnits];
};

// The process's one set of conditions.
SearchConditions& TheSearchConditions();
