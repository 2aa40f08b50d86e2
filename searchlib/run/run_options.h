// The options a search run of FnLookForOptions was given, as the walk and
// the line search read them.
#pragma once

#include <string>

#include "Tessumi.h"

struct RunOptions {
    int flags = 0;                // TESSUMI_ flags
    std::wstring excludedFolders;  // folder-name masks separated by ';'
    int threads = 0;  // 0: the library's default (file_pool.h)
    size_t statusTextUnits = 256;  // the caller's StatusText
    TessumiSkipped skipped = nullptr;
    void* context = nullptr;

    bool Has(int flag) const { return (flags & flag) != 0; }
    // The folding flags pattern 2 is tested with, and pattern 1 as a regex.
    int FoldFlags() const {
        return flags & (TESSUMI_IGNORE_CASE | TESSUMI_IGNORE_WIDTH | TESSUMI_IGNORE_KANA);
    }
};
