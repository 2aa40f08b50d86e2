// FnCheckPattern: a pattern compiled as a run would compile it, so that the
// search dialog can refuse a faulty one while the user can still mend it.
#include "Tessumi.h"
#include "pattern/pattern_found.h"
#include "run_options.h"
#include "status_text.h"

extern "C" TESSUMI_API int FnCheckPattern(const wchar_t* pattern, int role, int flags,
                                          wchar_t* statusText) {
    if (statusText == nullptr) return 0;
    if (pattern == nullptr) {
        status::NullArgument(statusText, L"pattern");
        return 0;
    }
    const bool path = role == TESSUMI_PATTERN_PATH;
    if (!path && role != TESSUMI_PATTERN_LINE) {
        status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    // File-name masks take any text: there is nothing to compile.
    if (path && (flags & TESSUMI_PATTERN1_MASKS)) {
        status::Ok(statusText);
        return 1;
    }
    try {
        RunOptions options;
        options.flags = flags;
        RunPattern compiled(pattern, path ? PatternRole::Path : PatternRole::Line,
                            options.FoldFlags());
        // A faulty pattern fails here with the text its run would end with.
        if (!FnCompilePattern(compiled, statusText)) return 0;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    status::Ok(statusText);
    return 1;
}
