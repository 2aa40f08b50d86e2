// The window program's own status bar texts around a search: its progress,
// its summary after success and after a stop. (A failure shows the library's
// text, unchanged.)
#pragma once

#include <string>

// "検索中（M ファイル、N 件）" and the folder being searched.
std::wstring ProgressText(long long files, long long hits, const std::wstring& folder);

// "N 件見つかりました（M ファイル、T 秒）", T with one decimal; when the search
// passed by files or folders it could not read, "K 件読めませんでした、" before
// the seconds, and when it stopped testing lines at the matcher's limits,
// "L 件は照合を打ち切りました、" (in that order).
std::wstring FoundText(long long hits, long long files, double seconds, long long unread = 0,
                       long long refused = 0);

// "結果を書き出しています（N 件）…" and "N 件を書き出しました：file".
std::wstring ExportingText(size_t records);
std::wstring ExportedText(size_t records, const std::wstring& file);

// "検索を中止しました（N 件）".
std::wstring StoppedText(long long hits);

// The folder's end behind an ellipsis, tail characters kept.
std::wstring FolderEnd(const std::wstring& folder, size_t tail);

// The program's own message when no thread can be started for a search.
extern const wchar_t kSearchCannotStart[];
