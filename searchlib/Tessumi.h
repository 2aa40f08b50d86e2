// Tessumi: the search library's six exports.
//
// Every export takes zero-terminated UTF-16 strings and, as its last
// argument, a caller-owned StatusText buffer of at least 256 units; it
// returns 1 on success, 0 on failure, and leaves a text in StatusText either
// way. SubMessageOut alone takes a window and a text instead.
#pragma once

#include <windows.h>

#ifdef TESSUMI_BUILD
#define TESSUMI_API __declspec(dllexport)
#else
#define TESSUMI_API __declspec(dllimport)
#endif

// Capacity that every writer of a StatusText may count on, terminating zero
// included.
#define TESSUMI_STATUS_TEXT_UNITS 256

// Capacity of a path buffer handed to the pickers, terminating zero included.
#define TESSUMI_PICKER_PATH_UNITS 260

#ifdef __cplusplus
extern "C" {
#endif

// Told now and then how a search run of FnLookForProgress goes, on the
// thread that runs it: the files searched so far, the records found so far
// and the folder being walked. Returns 1 to go on, 0 to stop the run.
typedef int(CALLBACK* TessumiProgress)(long long filesSearched, long long hits,
                                       const wchar_t* folder, void* context);

// One search run: writes every line of every file below startFolder whose
// path matches pattern1 and that matches pattern2 into resultsFile (UTF-16LE
// with byte-order mark). "正常です" on success.
TESSUMI_API int FnLookFor(const wchar_t* startFolder, const wchar_t* resultsFile,
                          const wchar_t* pattern1, const wchar_t* pattern2,
                          wchar_t* statusText);

// The same run, telling `progress` (with `context`) how it goes: once at the
// start, then every 50 ms or a little more while the run goes on, inside a
// big file too (not while one file is read or one line is tested), and once
// at the end with the final counts. When progress returns 0,
// the run stops: the results file keeps every whole record found before that
// call (never part of one) and 0 is returned with "検索を中止しました". A
// null progress makes this FnLookFor.
//
// Both FnLookFor and FnLookForProgress search several files at once, on as
// many threads as the machine has logical processors (at most 16). The
// results file, the status text, the return value and the counts the
// callback hears are those of searching one file after another, and the
// callback is only ever called on the thread that called the export.
TESSUMI_API int FnLookForProgress(const wchar_t* startFolder, const wchar_t* resultsFile,
                                  const wchar_t* pattern1, const wchar_t* pattern2,
                                  TessumiProgress progress, void* context,
                                  wchar_t* statusText);

// Loads a whole file. convert == 0: the raw bytes, *length in bytes.
// Otherwise UTF-16 text starting with U+FEFF, *length in units. The buffer is
// not zero-terminated; the caller releases it with delete[].
TESSUMI_API int SubReadText(const wchar_t* path, wchar_t** text, int* length,
                            int convert, wchar_t* statusText);

// Beeps and shows text in the status bar's simple-mode part.
TESSUMI_API int SubMessageOut(HWND statusBar, const wchar_t* text);

// Save-file picker; path must hold TESSUMI_PICKER_PATH_UNITS units.
TESSUMI_API int FnGetSaveFileName(HWND owner, wchar_t* path, wchar_t* statusText);

// Folder picker; path must hold TESSUMI_PICKER_PATH_UNITS units.
TESSUMI_API int FnBrowseForFolder(HWND owner, wchar_t* path, wchar_t* statusText);

#ifdef __cplusplus
}
#endif
