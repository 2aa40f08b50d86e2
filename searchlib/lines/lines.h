// FnSearchLines: one file cut into numbered lines, a result record for every
// line in which pattern 2 is found.
#pragma once

#include <cstddef>
#include <vector>

#include "block_reader.h"
#include "run_state.h"
#include "text_encoding.h"

// Cuts text[0, n) (text[0] is U+FEFF) into lines: every maximal run of CR and
// LF is one break, the piece before the first break is a line even when
// empty, the piece after the last break only when it is not empty. A zero
// character is part of its line.
void CutLines(const wchar_t* text, size_t n, std::vector<Line>& lines);

// Appends path + "\r\n\t(number)===>" + line + "\r\n" to the run's
// ResultBlock, writing the block out first when the record would not fit;
// each zero unit of the line is written as U+2400 (␀).
int AppendRecord(SearchRun& run, const wchar_t* path, size_t pathLength, long long number,
                 const Line& line, wchar_t* statusText);

// Where the search's second pass may end a block of a file in encoding:
// after a break, which in UTF-16 is a unit.
BlockCut CutFor(TextEncoding encoding);

// Searches one file of any size, read in blocks (block_reader.h) twice: a
// first pass decides its encoding, the second searches it. kFileSearched;
// kFilePassedBy (run_skipped.h) for a binary file under TESSUMI_SKIP_BINARY
// and for one passed by under TESSUMI_KEEP_GOING; kFileFailed when it can't
// be read or decoded, a block can't be written or pattern 2 can't be tested,
// with that step's text in statusText.
int FnSearchLines(const wchar_t* path, size_t pathLength, SearchRun& run, wchar_t* statusText);
