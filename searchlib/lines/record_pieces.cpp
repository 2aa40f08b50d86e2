// The pieces of what a record's path names, read as the search read it.
#include "physical_line.h"
#include "record_source.h"

int ReadTextPieces(const wchar_t* file, const std::function<bool(const TextPiece&)>& visit,
                   wchar_t* statusText) {
    return OpenRecordSource(
        file, [&](BlockSource& source) { return ReadBytePieces(source, file, visit, statusText); },
        statusText);
}
