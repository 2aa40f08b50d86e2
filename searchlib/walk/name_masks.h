// File and folder names tested against masks as Explorer tests them
// (PathMatchSpecW's rules): a list separated by ';', the spaces before each
// mask ignored, `*` for any run of characters (none too), `?` for exactly
// one, letters compared ignoring case (simple case folding), and "*.*" for
// every name, with a dot or not.
#pragma once

#include <string>

// Whether name matches one of the masks in list. An empty list, or one of
// empty masks only, matches no name.
bool NameMatchesMasks(const wchar_t* name, size_t length, const std::wstring& list);

// Whether the list holds any mask at all.
bool HasMasks(const std::wstring& list);
