// What one search run lends to the walk and the line search: the open
// results file, the ResultBlock, the two compiled patterns and the progress
// the run reports.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "pattern/literal_search.h"
#include "pattern/pattern_found.h"
#include "run_options.h"
#include "run_progress.h"

// Results accumulate here and leave in blocks of at most 4,095 characters.
struct ResultBlock {
    static constexpr size_t kCapacity = 4095;  // characters, terminating zero not counted
    wchar_t text[kCapacity + 1];
    size_t length = 0;

    void Clear() {
        length = 0;
        text[0] = L'\0';
    }
};

// One line of a loaded text: its first character and its length.
struct Line {
    const wchar_t* start;
    size_t length;
};

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool known = false;
};

// A skip literal in the bytes of one encoding, and the two of them that a
// search looks for first (byte_text.h).
struct ByteLiteral {
    std::string bytes;
    LiteralProbes probes;
    bool asciiCase = false;  // ASCII in lowercase, letters of either case taken
};

// Pattern 2's skip literals in the bytes of one encoding, made once the
// pattern is compiled.
struct ByteLiteralCache {
    bool known = false;   // asked once the pattern was compiled
    bool usable = false;  // every literal has bytes a text must show
    bool asciiTextOnly = false;  // they show so only in a text of ASCII bytes
    std::vector<ByteLiteral> literals;
};

class FilePool;
struct RecordBuffer;

struct SearchRun {
    SearchRun(HANDLE file, const wchar_t* fileName, const wchar_t* pattern1,
              const wchar_t* pattern2, TessumiProgress callback = nullptr,
              void* context = nullptr, const RunOptions& runOptions = RunOptions())
        : resultsFile(file), resultsName(fileName),
          pathPattern(pattern1, PatternRole::Path, runOptions.FoldFlags()),
          linePattern(pattern2, PatternRole::Line, runOptions.FoldFlags()),
          progress(callback, context), options(runOptions),
          pathMasks(runOptions.Has(TESSUMI_PATTERN1_MASKS) && pattern1 ? pattern1 : L"") {}

    HANDLE resultsFile;
    const wchar_t* resultsName;
    ResultBlock block;
    RunPattern pathPattern;
    RunPattern linePattern;
    RunProgress progress;
    RunOptions options;
    std::wstring pathMasks;  // pattern 1 under TESSUMI_PATTERN1_MASKS

    // The results file itself, so the walk never searches it.
    FileIdentity resultsIdentity;
    std::wstring resultsLeafName;      // as the caller named it
    std::wstring resultsLongLeafName;  // as the file system names it

    // Reused from record to record: a record too long for any block.
    std::wstring bigRecord;

    // Reused from file to file: the line search of texts in bytes.
    ByteLiteralCache ansiLiterals;
    ByteLiteralCache utf8Literals;
    std::vector<wchar_t> lineScratch;

    // Set when the files are searched by a pool of workers (file_pool.h).
    FilePool* pool = nullptr;
    // A worker's run: its records are kept here, not written (record_buffer.h).
    RecordBuffer* records = nullptr;
    // Set while a file's reading is not yet known: its records and the
    // lines it passes by are held here until it is.
    RecordBuffer* held = nullptr;

    // Reused from file to file: a file's block as read, and as decoded when
    // it is not searched on its bytes.
    std::vector<unsigned char> readBuffer;
    std::vector<wchar_t> blockText;
};
