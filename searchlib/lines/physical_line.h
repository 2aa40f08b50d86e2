// The editor's line for a record's line, walked over the pieces of a text.
#pragma once

#include <cstddef>
#include <functional>

#include "block_reader.h"
#include "text_encoding.h"

// Where a walk stands: the record's line number (as CutLines numbers lines)
// and the editor's line number at the start of the line reached.
struct LineWalk {
    long long target;             // the record line looked for
    long long record = 1;         // the line the walk is in
    long long physical = 1;       // the editor's line the walk is in
    long long found = 1;          // the editor's line where the record line starts
    bool brokeAtEnd = false;      // the last piece ended in a run of breaks
    bool done = false;            // the target's start was reached
    size_t at = 0;                // where it starts, in the piece that reached it
};

// Walks text[from, n), one piece of a text (a search's block: it starts
// where a line starts, and a run of breaks never straddles two pieces),
// every CR LF, lone CR and lone LF ending an editor's line. The whole text
// walked, found is the start of the target record line, or of the text's
// last line when it has fewer.
void WalkPiece(const wchar_t* text, size_t from, size_t n, LineWalk& walk);
// The same on bytes in which every CR and LF byte is a break of its own.
void WalkPiece(const unsigned char* bytes, size_t from, size_t n, LineWalk& walk);

// One block of a file as a search takes it: its bytes[from, n), in which
// every CR and LF byte is a break of its own, where the search takes the
// block on its bytes (decode a line's bytes with DecodePiece), or else its
// decoded units[0, n). A block starts where a line starts and ends after a
// run of breaks or at the file's end.
struct TextPiece {
    const unsigned char* bytes = nullptr;
    const wchar_t* units = nullptr;
    size_t from = 0;
    size_t n = 0;
    TextEncoding encoding = TextEncoding::Ansi;
    bool last = false;  // the file ends with this piece
};

// Reads source (named file in failure texts) in the search's blocks,
// decoded as the search decodes it, and hands them to visit in order until
// it answers true (done) or the source ends. 1, or 0 with the failure text
// of the read or the decoding.
int ReadBytePieces(BlockSource& source, const wchar_t* file,
                   const std::function<bool(const TextPiece&)>& visit, wchar_t* statusText);

// The same for what a record's path names (record_source.h): a file, an
// archive's member, or a document's text.
int ReadTextPieces(const wchar_t* file, const std::function<bool(const TextPiece&)>& visit,
                   wchar_t* statusText);
