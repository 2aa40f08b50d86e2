// Tessumi: the search library's exports.
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

/* What a record shows for a NUL character of its line (U+2400, ␀): readers
   of the results file take a zero unit as its end. */
#define TESSUMI_NUL_SYMBOL 0x2400

// Told now and then how a search run of FnLookForProgress goes, on the
// thread that runs it: the files searched so far, the records found so far
// and the folder being walked. Returns 1 to go on, 0 to stop the run.
typedef int(CALLBACK* TessumiProgress)(long long filesSearched, long long hits,
                                       const wchar_t* folder, void* context);

// One search run: writes every line of every file below startFolder whose
// path matches pattern1 and that matches pattern2 into resultsFile (UTF-16LE
// with byte-order mark), each NUL character of a line written as
// TESSUMI_NUL_SYMBOL. "正常です" on success.
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

// Options of FnLookForOptions, combined with |.
#define TESSUMI_IGNORE_CASE     0x01  /* A = a, Ａ = ａ (simple case folding) */
#define TESSUMI_IGNORE_WIDTH    0x02  /* full-width ASCII = ASCII, U+3000 = space, half-width katakana = katakana (ｶﾞ = ガ) */
#define TESSUMI_IGNORE_KANA     0x04  /* hiragana = katakana */
#define TESSUMI_SKIP_BINARY     0x08  /* a file with a NUL byte in its first 8 KB is passed by (UTF-16 files excepted) */
#define TESSUMI_KEEP_GOING      0x10  /* a folder or file that can't be read is reported and passed by */
#define TESSUMI_PATTERN1_MASKS  0x20  /* pattern 1 is a list of file-name masks, e.g. "*.txt;*.md" */
/* Without the two below a run never looks inside any file. */
#define TESSUMI_DOCUMENTS       0x40  /* the text of .xlsx .xlsm .docx .docm .pptx .pptm (and .odt .ods .odp) is searched instead of their bytes: each cell, paragraph or slide text a line that begins with its place, "[Sheet1!B12] "; .xls .doc .ppt and PDF are passed by as unreadable */
#define TESSUMI_ARCHIVES        0x80  /* every member of a .zip is searched as a file of its own, path "archive.zip\folder\name", archives inside it to a depth of 3 */

// The options of one run of FnLookForOptions. size lets later versions grow
// the structure: the library reads only the fields that size covers.
typedef struct TessumiOptions {
    int size;                        /* sizeof(TessumiOptions) */
    int flags;                       /* the TESSUMI_ flags above */
    const wchar_t* excludedFolders;  /* folder-name masks separated by ';' (e.g. ".git;node_modules"), not walked; NULL or "" for none */
    int threads;                     /* files searched at once: 0 for as many as the logical processors (at most 16), 1 for one after another, at most 16 */
    int statusTextUnits;             /* units the caller's StatusText holds, terminating zero included; 0 for 256. A bigger buffer gets a longer text whole (32,768 holds any) */
} TessumiOptions;

/* Told about each folder or file passed by under TESSUMI_KEEP_GOING (and each online-only file,
   and under TESSUMI_DOCUMENTS or TESSUMI_ARCHIVES each document, archive or member whose inside
   can't be read by design: an old format, encrypted, a method not read, too big, too deep):
   its path, and the reason alone, whole: the failure text's reason, without its subject and
   lead-in. Returns 1 to go on, 0 to stop the run. */
typedef int (CALLBACK* TessumiSkipped)(const wchar_t* path, const wchar_t* reason, void* context);

// FnLookForProgress with options. The folding flags apply to pattern 2, and
// to pattern 1 when it is a regex; a record always shows the line as it is
// in the file. Masks and excluded folders match names as Explorer does: `*`
// and `?`, case-insensitive; a mask tests the file's name, not its path.
// Under TESSUMI_KEEP_GOING a failure at the start folder still ends the run,
// and so does a failure writing the results file; anything below the start
// folder that can't be listed, opened or read, and a line the matcher
// refuses at its limits (the file with the line's number), goes to
// `skipped` and is passed by, and the run returns 1 with its usual text.
// When skipped returns 0 the run stops as a progress stop does. A null
// options, or flags 0 with no excluded folders, is FnLookForProgress exactly.
TESSUMI_API int FnLookForOptions(const wchar_t* startFolder, const wchar_t* resultsFile,
                                 const wchar_t* pattern1, const wchar_t* pattern2,
                                 const TessumiOptions* options, TessumiProgress progress,
                                 TessumiSkipped skipped, void* context, wchar_t* statusText);

// What FnCheckPattern is told a pattern is for.
#define TESSUMI_PATTERN_PATH 1  /* pattern 1, tested against each entry's path */
#define TESSUMI_PATTERN_LINE 2  /* pattern 2, tested against each line */

// Compiles a pattern as a run with these TESSUMI_ flags would and returns 1
// when the run would accept it. Otherwise 0, with the text that run would
// have ended with. Reads and writes nothing else.
TESSUMI_API int FnCheckPattern(const wchar_t* pattern, int role, int flags,
                               wchar_t* statusText);

// Loads a whole file. convert == 0: the raw bytes, *length in bytes.
// Otherwise UTF-16 text starting with U+FEFF, *length in units. The buffer is
// not zero-terminated; the caller releases it with delete[].
TESSUMI_API int SubReadText(const wchar_t* path, wchar_t** text, int* length,
                            int convert, wchar_t* statusText);

// Beeps and shows text in the status bar's simple-mode part.
TESSUMI_API int SubMessageOut(HWND statusBar, const wchar_t* text);

// Save-file picker; path must hold TESSUMI_PICKER_PATH_UNITS units. On entry
// path says where the picker opens: the folder of the file it names (whose
// name fills the picker's name box), or the folder it names, when that folder
// exists. On return it holds the chosen path, or "" when the user cancelled.
TESSUMI_API int FnGetSaveFileName(HWND owner, wchar_t* path, wchar_t* statusText);

// Folder picker; path must hold TESSUMI_PICKER_PATH_UNITS units. On entry
// path names the folder to start in (or a file in it), used when it exists.
// On return it holds the chosen folder, or "" when the user cancelled.
TESSUMI_API int FnBrowseForFolder(HWND owner, wchar_t* path, wchar_t* statusText);

// The line at which an editor shows a result record's line: recordLine
// counts lines as a search cuts them (a run of line breaks is one break),
// *physicalLine counts them as editors do (every CR LF, lone LF and lone CR
// ends one line; blank lines count), both from 1. The file is read and
// decoded as a search reads it (in blocks: any size, bounded memory). A
// file changed since the search may hold fewer lines: the last line is given
// then. When the file can't be read or decoded, *physicalLine is recordLine
// (at least 1) and 0 is returned with the search's failure text for it, so
// that the file can still be opened.
//
// What a record's path names is read as the search read it: a path through
// a file named as a zip names a member of that archive (as FnExtractMember
// takes it), read through the archives on its way; a path named as a
// document (.xlsx .xlsm .xltx .xltm .docx .docm .dotx .dotm .pptx .pptm
// .ppsx .ppsm .potx .potm .odt .ods .odp), on disk or in an archive, holds
// its text's lines, numbered as TESSUMI_DOCUMENTS numbers them: a document
// has no editor's lines, so *physicalLine is recordLine itself and nothing
// is read. The name decides, not the run's flags: the records of a document
// searched as bytes (without TESSUMI_DOCUMENTS) are taken for its text's
// too, as the window opens such a record through the document's program.
TESSUMI_API int FnPhysicalLine(const wchar_t* file, int recordLine, int* physicalLine,
                               wchar_t* statusText);

// FnPhysicalLine for `count` record lines of one file at once, in one read of
// the file: physicalLines[i] is the editor's line of recordLines[i]. The
// lines may come in any order (a results file lists a file's records in
// ascending order). On failure every physicalLines[i] is recordLines[i] (at
// least 1).
TESSUMI_API int FnPhysicalLines(const wchar_t* file, const int* recordLines, int count,
                                int* physicalLines, wchar_t* statusText);

// Copies one member of a zip archive out to destinationFile, which is made
// new (a file already there is never replaced), so that it can be opened.
// memberPath is the path a search gives the member: the archive's path, "\"
// and the member's name with "\" for "/", through the archives inside it
// ("C:\受信\資料.zip\2024\議事録.txt", "C:\a.zip\inner.zip\x.txt"). The
// archive is the first file on the path named as a zip. The member is read
// as a search reads it: in pieces (any size, bounded memory), refused or
// passed by for the same reasons, and a copy that fails on the way is
// deleted. Nothing is ever created by a member's name. The copy gets the
// archive's mark of the web (its Zone.Identifier stream), if it has one.
// "正常です。" on success; 0 with the member's path and the reason when
// the member can't be copied, or the destination's text when it can't be
// written.
TESSUMI_API int FnExtractMember(const wchar_t* memberPath, const wchar_t* destinationFile,
                                wchar_t* statusText);

// Where pattern, as pattern 2 of a search, first matches in line[0, length):
// the match that std::regex_search finds, *start and *matchLength in units.
// flags are the pattern flags of the search that found the line. 1 with
// *start = -1 and *matchLength = 0 when the pattern is not found (or the
// search for the position reaches its limits); 0 with the pattern's failure
// text when the pattern can't be used. A TESSUMI_NUL_SYMBOL in line is taken
// for the NUL a record shows so, unless only the line as given holds a match.
TESSUMI_API int FnFirstMatch(const wchar_t* pattern, const wchar_t* line, int length, int flags,
                             int* start, int* matchLength, wchar_t* statusText);

// Every match of pattern, as pattern 2 of a search, in line[0, length), for
// marking them all: left to right from unit `from` (the units before it are
// what precedes the first match, for ^ and \b), each search beginning where
// the match before it ended, as std::regex_iterator steps; empty matches are
// left out. Up to `capacity` matches go into spans as pairs of start and
// length in units, and *count says how many; a caller with more to mark asks
// again from the end of the last. flags as FnFirstMatch, whose contract this
// keeps: none at all where the search would not have found the line, and
// those found before a search for positions reaches its limits. 0 with the
// pattern's failure text when the pattern can't be used.
TESSUMI_API int FnAllMatches(const wchar_t* pattern, const wchar_t* line, int length, int flags,
                             int from, int* spans, int capacity, int* count,
                             wchar_t* statusText);

// The lines an editor shows around a record's line, for a preview: the line
// where recordLine starts (FnPhysicalLine's *physicalLine), up to `before`
// lines before it and up to `after` lines after it, read and decoded as a
// search reads the file (in blocks: any size, bounded memory). Each line
// goes into text as its units [fromUnit, fromUnit + lineUnits), fewer or
// none when it is shorter, with CR LF after it; a NUL unit is given as
// U+2400, as records give it. text holds capacity units, at least
// (before + 1 + after) * (lineUnits + 2) + 1, and ends with a zero.
// *firstLine is the editor's number of the first line given and *hitLine
// that of the record's line; a file changed since the search may end
// before recordLine: its last line is the record's then. 0 with the
// failure text when the file can't be read or decoded. A member of an
// archive is read as FnPhysicalLine reads it; a document gives the lines of
// its text around recordLine ("[Sheet1!B12] 東京支社"), numbered as its
// records are, whatever flags its search had (FnPhysicalLine).
TESSUMI_API int FnLinesAround(const wchar_t* file, int recordLine, int before, int after,
                              int fromUnit, int lineUnits, wchar_t* text, int capacity,
                              int* firstLine, int* hitLine, wchar_t* statusText);

#ifdef __cplusplus
}
#endif
