// The window program's own status bar texts around a search: its progress,
// its summary after success and after a stop. (A failure shows the library's
// text, unchanged.)
#pragma once

#include <string>

// "検索中（M ファイル、N 件）" and the folder being searched.
std::wstring ProgressText(long long files, long long hits, const std::wstring& folder);

// "N 件見つかりました（M ファイル、T 秒）", T with one decimal; when the search
// passed by files or folders it could not read, "N 件見つかりました（M ファイル、
// K 件読めませんでした、T 秒）".
std::wstring FoundText(long long hits, long long files, double seconds, long long unread = 0);

// "検索を中止しました（N 件）".
std::wstring StoppedText(long long hits);

// The folder's end behind an ellipsis, tail characters kept.
std::wstring FolderEnd(const std::wstring& folder, size_t tail);

// The program's own message when no thread can be started for a search.
extern const wchar_t kSearchCannotStart[];
