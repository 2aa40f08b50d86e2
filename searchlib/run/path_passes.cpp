#include "path_passes.h"

#include <cwchar>

#include "pattern/name_masks.h"

int PathPasses(SearchRun& run, const std::wstring& path, const wchar_t* name,
               wchar_t* statusText) {
    if (!run.options.Has(TESSUMI_PATTERN1_MASKS))
        return FnPatternFound(run.pathPattern, path.c_str(), path.size(), statusText);
    return !HasMasks(run.pathMasks) || NameMatchesMasks(name, wcslen(name), run.pathMasks);
}
