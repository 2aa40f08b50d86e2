// lookfor's command line: its flags, read into the options of one search.
#pragma once

#include <string>
#include <vector>

#include "Tessumi.h"

struct CommandLine {
    bool help = false;
    bool timed = false;
    int flags = 0;                   // TESSUMI_ flags
    std::wstring excludedFolders;    // --exclude=LIST
    int threads = 0;                 // -j N; 0: the library's default
    std::vector<const wchar_t*> positional;  // START RESULTS PATTERN1 PATTERN2
    std::wstring error;              // what was wrong, when something was
};

// Reads argv[1, argc). Flags may come anywhere; after "--" every argument is
// positional, so that a pattern may begin with "-".
CommandLine ReadCommandLine(int argc, wchar_t** argv);

// The usage text, in Japanese, ending with a line end.
const wchar_t* UsageText();
