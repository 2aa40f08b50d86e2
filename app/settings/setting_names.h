// The sections and keys of Varnelo.ini (docs/settings.md lists them for
// users who edit the file).
#pragma once

namespace settings {

// [Editor] Command=: the program and its argument template (%F, %L).
const wchar_t kEditorSection[] = L"Editor";
const wchar_t kEditorCommandKey[] = L"Command";

// [Search]: the four fields of the last search.
const wchar_t kSearchSection[] = L"Search";
const wchar_t kStartFolderKey[] = L"StartFolder";
const wchar_t kPattern1Key[] = L"Pattern1";
const wchar_t kPattern2Key[] = L"Pattern2";
const wchar_t kResultsFileKey[] = L"ResultsFile";

// One section of recent values per field: Count=, then 1= (the latest) on.
const wchar_t kStartFolderHistory[] = L"StartFolderHistory";
const wchar_t kPattern1History[] = L"Pattern1History";
const wchar_t kPattern2History[] = L"Pattern2History";
const wchar_t kResultsFileHistory[] = L"ResultsFileHistory";
const size_t kHistoryLimit = 20;

}  // namespace settings
