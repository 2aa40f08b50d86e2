// FnPhysicalLine: from a record's line number, as the search cuts lines, to
// the line an editor shows. Kept beside the cutting so that the two rules
// can't drift apart.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Tessumi.h"
#include "block_reader.h"
#include "lines.h"
#include "physical_line.h"
#include "record_source.h"
#include "status_text.h"
#include "text_encoding.h"

namespace {

constexpr unsigned kCR = 0x0D;
constexpr unsigned kLF = 0x0A;

template <typename Unit>
bool IsBreak(Unit c) {
    return c == kCR || c == kLF;
}

// Units of 14 (one above CR) in every lane of a 64-bit word, and the lanes'
// top bits: a lane below 14 sets its top bit in (x - fourteens) & ~x.
template <typename Unit>
struct Lanes {
    static constexpr uint64_t kFourteens = sizeof(Unit) == 1 ? 0x0E0E0E0E0E0E0E0Eull
                                                             : 0x000E000E000E000Eull;
    static constexpr uint64_t kTopBits = sizeof(Unit) == 1 ? 0x8080808080808080ull
                                                           : 0x8000800080008000ull;
    static constexpr size_t kPerWord = 8 / sizeof(Unit);
};

// The first unit at or after k that may be a break (none above CR), or n;
// a word at a time while none is.
template <typename Unit>
size_t SkipToBreak(const Unit* text, size_t k, size_t n) {
    using L = Lanes<Unit>;
    for (;;) {
        while (n - k >= L::kPerWord) {
            uint64_t a;
            memcpy(&a, text + k, 8);
            if (((a - L::kFourteens) & ~a) & L::kTopBits) break;
            k += L::kPerWord;
        }
        while (k < n && text[k] > kCR) ++k;
        if (k == n || IsBreak(text[k])) return k;
        ++k;  // a control character below CR
    }
}

template <typename Unit>
void Walk(const Unit* text, size_t k, size_t n, LineWalk& w) {
    // A run of breaks that ended the last piece ends a line: this piece
    // starts the next.
    if (k < n && w.brokeAtEnd) {
        // The run may go on here: a piece starts inside one only when the
        // run is longer than a block (block_reader.h).
        while (k < n && IsBreak(text[k])) {
            k += (text[k] == kCR && k + 1 < n && text[k + 1] == kLF) ? 2 : 1;
            ++w.physical;
        }
        if (k == n) return;
        ++w.record;
        w.found = w.physical;
        w.brokeAtEnd = false;
    }
    while (k < n) {
        if (w.record >= w.target) {
            w.done = true;
            w.at = k;
            return;
        }
        k = SkipToBreak(text, k, n);
        if (k == n) return;  // the text's last line
        while (k < n && IsBreak(text[k])) {
            k += (text[k] == kCR && k + 1 < n && text[k + 1] == kLF) ? 2 : 1;
            ++w.physical;
        }
        if (k == n) {
            w.brokeAtEnd = true;
            return;
        }
        ++w.record;
        w.found = w.physical;
    }
}

// In the encodings the search takes on their bytes (lines.cpp), the breaks
// are the bytes CR and LF: they are counted without decoding.
bool OnBytes(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Ansi;
}

}  // namespace

void WalkPiece(const wchar_t* text, size_t from, size_t n, LineWalk& walk) {
    Walk(text, from, n, walk);
}

void WalkPiece(const unsigned char* bytes, size_t from, size_t n, LineWalk& walk) {
    Walk(bytes, from, n, walk);
}

int ReadBytePieces(BlockSource& source, const wchar_t* file,
                   const std::function<bool(const TextPiece&)>& visit, wchar_t* statusText) {
    std::vector<unsigned char> buffer;
    BlockReader reader(buffer);
    if (!reader.Open(source, file, statusText)) return 0;
    EncodingDetector detector;
    detector.KnowSize(reader.sourceSize());
    const BlockCut anyBreak;
    for (;;) {
        if (!reader.Next(anyBreak, statusText)) return 0;
        detector.Feed(reader.data(), reader.size(), reader.last());
        if (reader.last() || detector.Settled()) break;
    }
    const DetectedEncoding detected = detector.Result();
    reader.Seek(BlockReader::Place());
    const BlockCut cut = CutFor(detected.encoding);
    Iso2022Mode mode = Iso2022Mode::Ascii;
    std::vector<wchar_t> units;
    for (;;) {
        if (!reader.Next(cut, statusText)) return 0;
        const size_t n = reader.size();
        const size_t mark = std::min(reader.first() ? detected.markLength : 0, n);
        TextPiece piece;
        piece.encoding = detected.encoding;
        piece.last = reader.last();
        if (OnBytes(detected.encoding)) {
            piece.bytes = reader.data();
            piece.from = mark;
            piece.n = n;
        } else {
            if (units.size() < n) units.resize(n);  // no encoding gives more units than bytes
            // A line beyond the bound is held by its start alone (cutLine),
            // which may end inside a character: shown as far as it decodes,
            // and what follows it decoded from ASCII, as lines end.
            const size_t cutLine = std::max(reader.cutLine(), mark);
            size_t written = 0;
            if (cutLine > mark &&
                !DecodePiece(detected.encoding, reader.data() + mark, cutLine - mark, units.data(),
                             written, mode))
                written = 0;
            if (cutLine > mark) mode = Iso2022Mode::Ascii;
            size_t rest = 0;
            if (!DecodePiece(detected.encoding, reader.data() + cutLine, n - cutLine,
                             units.data() + written, rest, mode)) {
                status::SystemFailure(statusText, nullptr, status::kConversion, GetLastError());
                return 0;
            }
            written += rest;
            piece.units = units.data();
            piece.n = written;
        }
        if (visit(piece) || piece.last) break;
    }
    status::Ok(statusText);
    return 1;
}

namespace {

int ClampToInt(long long line) { return line > INT_MAX ? INT_MAX : static_cast<int>(line); }

}  // namespace

extern "C" TESSUMI_API int FnPhysicalLines(const wchar_t* file, const int* recordLines, int count,
                                           int* physicalLines, wchar_t* statusText) {
    if (!statusText || !file || count < 0 || (count > 0 && (!recordLines || !physicalLines))) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A file that can't be read keeps the records' own numbers: the editor
    // still opens it.
    for (int i = 0; i < count; ++i) physicalLines[i] = recordLines[i] > 1 ? recordLines[i] : 1;
    // A document has no editor's lines: its records' numbers are its own.
    if (count == 0 || NamesDocument(file)) {
        status::Ok(statusText);
        return 1;
    }
    try {
        // One walk over the file, in the search's blocks and decoded as the
        // search decodes them, so that its lines are the lines counted: the
        // record lines are reached in ascending order, each walk going on
        // from where the last one stopped.
        std::vector<int> order(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return recordLines[a] < recordLines[b]; });
        size_t next = 0;
        LineWalk walk{recordLines[order[0]]};
        std::vector<long long> found(order.size(), -1);
        const auto walkPieces = [&](const TextPiece& p) {
            for (size_t from = p.from;;) {
                if (p.bytes)
                    WalkPiece(p.bytes, from, p.n, walk);
                else
                    WalkPiece(p.units, from, p.n, walk);
                if (!walk.done) return false;
                found[next] = walk.found;
                if (++next == order.size()) return true;
                walk.target = recordLines[order[next]];
                walk.done = false;
                from = walk.at;
            }
        };
        if (!ReadTextPieces(file, walkPieces, statusText)) return 0;
        // A file changed since the search may hold fewer lines: its last.
        for (size_t k = 0; k < order.size(); ++k)
            physicalLines[order[k]] = ClampToInt(found[k] >= 0 ? found[k] : walk.found);
        return 1;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

extern "C" TESSUMI_API int FnPhysicalLine(const wchar_t* file, int recordLine, int* physicalLine,
                                          wchar_t* statusText) {
    if (!physicalLine) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    return FnPhysicalLines(file, &recordLine, 1, physicalLine, statusText);
}
