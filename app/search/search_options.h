// The options row of the search dialog: how patterns compare, which files
// and folders a search passes by, what it does with unreadable ones, and
// whether it reads inside documents and archives.
// Kept in the settings, so each start offers what the last search used.
#pragma once

#include <string>

struct SearchOptions {
    bool ignoreCase = false;
    bool ignoreWidth = false;
    bool ignoreKana = false;
    bool skipBinary = true;
    bool keepGoing = true;
    bool pattern1Wildcards = false;  // pattern 1 is a list of file-name masks
    bool documents = true;           // Office documents' text searched, not their bytes
    bool archives = true;            // members of zip archives searched as files
    std::wstring excludedFolders = L".git;.svn;.hg;node_modules";
};

// The TESSUMI_ flags these options stand for.
int OptionFlags(const SearchOptions& options);

// From the settings; the defaults above for whatever is not there (or is
// neither 0 nor 1).
SearchOptions LoadSearchOptions();
// Into the settings, saved with them.
void SaveSearchOptions(const SearchOptions& options);
