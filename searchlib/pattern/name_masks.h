// File and folder names tested against masks as Explorer tests them
// (PathMatchSpecW's rules): a list separated by ';', `*` for any run of
// characters (none too), `?` for exactly one, letters compared ignoring case
// (simple case folding), and "*.*" for every name, with a dot or not. As
// typed with the IME on too: spaces (and U+3000) around each mask are
// ignored, '；' separates as ';' does, '＊' and '？' are `*` and `?`. A mask
// that ends in "." takes names without a dot, as cmd's dir does ("*.": the
// names without an extension).
#pragma once

#include <string>

// Whether name matches one of the masks in list. An empty list, or one of
// empty masks only, matches no name.
bool NameMatchesMasks(const wchar_t* name, size_t length, const std::wstring& list);

// Whether the list holds any mask at all: one with nothing but separators
// and spaces is no list (the walk then tests every file).
bool HasMasks(const std::wstring& list);
