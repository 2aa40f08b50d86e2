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

// Where a search may end a block of a file in encoding: after a break,
// which in UTF-16 is a unit.
BlockCut CutFor(TextEncoding encoding);

// Under keep-going, a line that can't be tested (its reason in statusText)
// is passed by: "path(number)" and the reason alone go to the skipped
// callback, or are held with the records (SearchRun::held). False without
// keep-going or when the callback stops the run.
bool PassLineBy(SearchRun& run, const wchar_t* path, size_t pathLength, long long number,
                wchar_t* statusText);

// SearchBlock's outcome for a block that can't be decoded in its encoding.
constexpr int kBlockUndecodable = 3;

// Searches one block of a file (block_reader.h) read in encoding, whose
// lines are numbered on from number (ISO-2022-JP's character set carried
// in mode): on its bytes, or decoded behind a U+FEFF of its own. A first
// line longer than the bound is refused as the matcher's limits refuse a
// line. kFileSearched, kFileFailed or kFilePassedBy (run_skipped.h), or
// kBlockUndecodable, with the text in statusText.
int SearchBlock(const wchar_t* path, size_t pathLength, SearchRun& run, const BlockReader& block,
                TextEncoding encoding, size_t markLength, Iso2022Mode& mode, long long& number,
                wchar_t* statusText);

// The records a file holds back while its reading is not yet known; tests
// set a few bytes.
constexpr size_t kHeldRecordBytes = size_t(8) << 20;
extern size_t heldRecordBytes;

// Searches one file of any size, read in blocks once (file_search.cpp
// tells how its encoding is decided on the way). kFileSearched;
// kFilePassedBy (run_skipped.h) for a binary file under TESSUMI_SKIP_BINARY
// and for one passed by under TESSUMI_KEEP_GOING; kFileFailed when it can't
// be read or decoded, a block can't be written or pattern 2 can't be tested,
// with that step's text in statusText.
int FnSearchLines(const wchar_t* path, size_t pathLength, SearchRun& run, wchar_t* statusText);

// FnSearchLines on the bytes of source (an archive's member, a document's
// text), named path in its records and texts. text: never passed by as
// binary.
int SearchSourceLines(BlockSource& source, const wchar_t* path, size_t pathLength, bool text,
                      SearchRun& run, wchar_t* statusText);
