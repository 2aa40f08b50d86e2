#include "lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "Tessumi.h"
#include "block_reader.h"
#include "byte_fold_search.h"
#include "byte_text.h"
#include "pattern/pattern_plan.h"
#include "record_buffer.h"
#include "run_skipped.h"
#include "simd.h"
#include "status_text.h"
#include "writer.h"

namespace {

constexpr wchar_t kCR = L'\r';
constexpr wchar_t kLF = L'\n';

// "\r\n\t(" and ")===>" around the number, "\r\n" after the line.
constexpr wchar_t kHead[] = L"\r\n\t(";
constexpr wchar_t kMark[] = L")===>";
constexpr wchar_t kTail[] = L"\r\n";
constexpr size_t kHeadLength = 4;
constexpr size_t kMarkLength = 5;
constexpr size_t kTailLength = 2;

constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr size_t kMaxDigits = 20;  // and a sign

// Decimal digits of a line number into out (at least kMaxDigits + 1 units);
// returns the count.
size_t FormatNumber(long long number, wchar_t* out) {
    wchar_t digits[kMaxDigits];
    size_t n = 0;
    bool negative = number < 0;
    unsigned long long value =
        negative ? 0ull - static_cast<unsigned long long>(number) : number;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    size_t len = 0;
    if (negative) out[len++] = L'-';
    while (n > 0) out[len++] = digits[--n];
    return len;
}

// Index of the first unit at or after k that is not above CR (the largest of
// zero, LF and CR), or n. Eight units are tested at a time: a 16-bit lane
// below 14 sets its top bit in (x - 14 per lane) & ~x, and a borrow can only
// set it again in a lane above one that was already below 14.
size_t SkipOrdinaryUnits(const wchar_t* text, size_t k, size_t n) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 code units");
    constexpr uint64_t kFourteens = 0x000E000E000E000Eull;
    constexpr uint64_t kTopBits = 0x8000800080008000ull;
    while (n - k >= 8) {
        uint64_t a, b;
        memcpy(&a, text + k, 8);
        memcpy(&b, text + k + 4, 8);
        if ((((a - kFourteens) & ~a) | ((b - kFourteens) & ~b)) & kTopBits) break;
        k += 8;
    }
    while (k < n && text[k] > kCR) ++k;
    return k;
}

bool IsBreak(wchar_t c) { return c == kCR || c == kLF; }

#ifdef TESSUMI_SSE2
// The sum of the eight unsigned 16-bit lanes.
size_t SumLanes(__m128i lanes) {
    alignas(16) uint16_t values[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(values), lanes);
    size_t sum = 0;
    for (uint16_t v : values) sum += v;
    return sum;
}
#endif

// The number of lines that start in [from, to), both line starts: every
// line there ends with one run of CR and LF inside the range, so the runs
// are counted. The unit before from never continues a run.
size_t CountLines(const wchar_t* text, size_t from, size_t to) {
    size_t runs = 0;
    size_t k = from;
    bool previous = false;
#ifdef TESSUMI_SSE2
    // Eight units at a time, without a branch: a lane starts a run when it
    // holds a break and the lane before it (or the last of the eight before)
    // does not. Each lane counts its starts, at most one per round.
    if (to - k >= 8) {
        const __m128i lf = _mm_set1_epi16(kLF);
        const __m128i cr = _mm_set1_epi16(kCR);
        __m128i carry = _mm_setzero_si128();  // lane 0: the unit before is a break
        __m128i counts = _mm_setzero_si128();
        size_t rounds = 0;
        for (; to - k >= 8; k += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
            const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr));
            const __m128i starts =
                _mm_andnot_si128(_mm_or_si128(_mm_slli_si128(breaks, 2), carry), breaks);
            counts = _mm_sub_epi16(counts, starts);  // a start is -1 in its lane
            carry = _mm_srli_si128(breaks, 14);
            if (++rounds == 0xFFFF) {
                runs += SumLanes(counts);
                counts = _mm_setzero_si128();
                rounds = 0;
            }
        }
        runs += SumLanes(counts);
        previous = _mm_cvtsi128_si32(carry) != 0;
    }
#endif
    for (; k < to; ++k) {
        const bool now = IsBreak(text[k]);
        runs += now && !previous;
        previous = now;
    }
    return runs;
}

// The start of the line whose content, zeros after it or run of breaks
// holds position q, given that a line starts at from <= q.
size_t LineStartOf(const wchar_t* text, size_t from, size_t q) {
    for (size_t k = q; k > from; --k)
        if (IsBreak(text[k - 1]) && !IsBreak(text[k])) return k;
    return from;
}

// Takes the line that starts at next (1 for the first line of a text) and
// moves next past the line and the run of CR and LF after it. Every piece
// that a break follows is a line, even when empty; the piece at the end of
// the text is a line only when it is not empty. A zero character is a
// character like any other. Returns false when no line is left.
bool NextLine(const wchar_t* text, size_t n, size_t& next, Line& line) {
    const size_t start = next;
    if (start >= n) return false;
    size_t k = start;
    for (;;) {
        k = SkipOrdinaryUnits(text, k, n);
        if (k == n || IsBreak(text[k])) break;
        ++k;  // a control character below CR
    }
    line = {text + start, k - start};
    while (k < n && (text[k] == kCR || text[k] == kLF)) ++k;
    next = k;
    return true;
}

}  // namespace

void CutLines(const wchar_t* text, size_t n, std::vector<Line>& lines) {
    lines.clear();
    size_t next = 1;
    Line line;
    while (NextLine(text, n, next, line)) lines.push_back(line);
}

int AppendRecord(SearchRun& run, const wchar_t* path, size_t pathLength, long long number,
                 const Line& found, wchar_t* statusText) {
    // A zero unit would end the results file for its readers (Tessumi.h).
    Line line = found;
    std::wstring shown;
    if (std::find(found.start, found.start + found.length, L'\0') != found.start + found.length) {
        shown.assign(found.start, found.length);
        std::replace(shown.begin(), shown.end(), L'\0', wchar_t{TESSUMI_NUL_SYMBOL});
        line = {shown.data(), shown.size()};
    }
    // Held while the file's reading is not yet known, or on a worker,
    // where the writer formats it in its turn.
    RecordBuffer* keep = run.held != nullptr ? run.held : run.records;
    if (keep != nullptr) {
        keep->Add(number, line);
        return 1;
    }
    wchar_t digits[kMaxDigits + 1];
    size_t digitCount = FormatNumber(number, digits);
    size_t headLength = pathLength + kHeadLength + digitCount + kMarkLength;
    size_t recordLength = headLength + line.length + kTailLength;

    ResultBlock& block = run.block;
    if (block.length + recordLength > ResultBlock::kCapacity && block.length > 0) {
        if (!FnWriteOut(run.resultsFile, run.resultsName, block.text,
                        static_cast<int>(block.length * 2), statusText))
            return 0;
        block.Clear();
    }

    if (recordLength > ResultBlock::kCapacity) {
        // Too long for any block: written whole, on its own, right here.
        std::wstring& head = run.bigRecord;
        head.assign(path, pathLength);
        head.append(kHead, kHeadLength);
        head.append(digits, digitCount);
        head.append(kMark, kMarkLength);
        const RecordPiece pieces[] = {
            {head.data(), head.size()}, {line.start, line.length}, {kTail, kTailLength}};
        if (!FnWriteRecord(run.resultsFile, run.resultsName, pieces, 3, statusText)) return 0;
        run.progress.RecordAppended();
        return 1;
    }

    wchar_t* out = block.text + block.length;
    wmemcpy(out, path, pathLength);
    out += pathLength;
    wmemcpy(out, kHead, kHeadLength);
    out += kHeadLength;
    wmemcpy(out, digits, digitCount);
    out += digitCount;
    wmemcpy(out, kMark, kMarkLength);
    out += kMarkLength;
    wmemcpy(out, line.start, line.length);
    out += line.length;
    wmemcpy(out, kTail, kTailLength);
    out += kTailLength;
    *out = L'\0';
    block.length += recordLength;
    run.progress.RecordAppended();
    return 1;
}

bool PassLineBy(SearchRun& run, const wchar_t* path, size_t pathLength, long long number,
                wchar_t* statusText) {
    const std::wstring place = status::LineOfFile(path, pathLength, number);
    if (run.held == nullptr) return PassBy(run, place.c_str(), statusText);
    if (!run.options.Has(TESSUMI_KEEP_GOING)) return false;
    run.held->AddSkipped(place.c_str(), status::ReasonOf(statusText));
    status::Ok(statusText);
    return true;
}

namespace {

// A loaded UTF-16 text as the line search walks it: position 0 holds U+FEFF,
// the first line starts at 1, and a line's content is a piece of the text.
class Utf16Text {
public:
    Utf16Text(const RunPattern& pattern, const wchar_t* text, size_t n)
        : text_(text), n_(n), scan_(pattern, text, n) {}

    size_t first() const { return 1; }
    size_t size() const { return n_; }
    size_t NextCandidate(size_t from) { return scan_.NextCandidate(from); }
    size_t LineStartOf(size_t from, size_t q) const { return ::LineStartOf(text_, from, q); }
    size_t CountLines(size_t from, size_t to) const { return ::CountLines(text_, from, to); }
    // Moves next past the line and its breaks; returns where its content ends.
    size_t NextLine(size_t& next) {
        ::NextLine(text_, n_, next, line_);
        return static_cast<size_t>(line_.start - text_) + line_.length;
    }
    int Content(size_t, size_t, Line& line, wchar_t*) {
        line = line_;
        return 1;
    }

private:
    const wchar_t* text_;
    size_t n_;
    TextScan scan_;
    Line line_{nullptr, 0};
};

// Searches the lines of one text, in UTF-16 or in bytes (byte_text.h): a
// block of a file, whose lines are numbered on from number. Each line is
// tested as soon as it is cut, while it is still in the cache, and no list
// of lines is held: the records and their numbers are those of cutting the
// whole text first. Lines before the next place where a match could begin
// are only counted; once no such place is left, nothing more is read.
template <class Text>
int SearchText(Text& text, const wchar_t* path, size_t pathLength, SearchRun& run,
               long long& number, wchar_t* statusText) {
    const size_t size = text.size();
    size_t candidate = 0;       // no match can begin in [the last position asked about, candidate)
    size_t next = text.first();  // where the next line starts
    Line line;
    while (next < size) {
        if (!run.progress.InFile(next, statusText)) return 0;
        if (candidate < next) {
            candidate = text.NextCandidate(next);
            if (candidate == size) {
                // The next block numbers on: every line left here ends
                // with its breaks, unless this is the file's last.
                number += static_cast<long long>(text.CountLines(next, size));
                break;
            }
        }
        if (candidate > next) {
            const size_t start = text.LineStartOf(next, candidate);
            number += static_cast<long long>(text.CountLines(next, start));
            next = start;
        }
        const size_t start = next;
        const size_t end = text.NextLine(next);
        ++number;
        if (candidate >= end && candidate != start) continue;
        if (!text.Content(start, end, line, statusText)) return kBlockUndecodable;
        int found = FnPatternFound(run.linePattern, line.start, line.length, statusText);
        if (found < 0) {
            // Under keep-going a line beyond the matcher's limits is passed by.
            if (!run.linePattern.failedInSearch() || !PassLineBy(run, path, pathLength, number, statusText))
                return kFileFailed;
            continue;
        }
        if (found == 0) continue;
        if (!AppendRecord(run, path, pathLength, number, line, statusText)) return 0;
    }
    return 1;
}

// The skip literals of pattern 2 in the bytes of encoding, once the pattern
// is compiled; null while it is not, or when it gives nothing to skip by that
// the bytes can show.
const std::vector<ByteLiteral>* ByteLiterals(SearchRun& run, TextEncoding encoding) {
    ByteLiteralCache& cache =
        encoding == TextEncoding::Utf8 ? run.utf8Literals : run.ansiLiterals;
    if (!cache.known) {
        if (!run.linePattern.compiled()) return nullptr;
        cache.known = true;
        const std::vector<AnchoredLiteral>* literals = run.linePattern.skipLiterals();
        if (literals == nullptr) return nullptr;
        const ByteSkip skip = run.linePattern.byteSkip();
        const bool asciiCase = skip != ByteSkip::Exact;
        // Folded ASCII literals stand for the same bytes wherever ASCII does.
        if (asciiCase && encoding == TextEncoding::Ansi && !AnsiCodePage().asciiAsIs)
            return nullptr;
        cache.asciiTextOnly = skip == ByteSkip::AsciiCaseInAsciiText;
        cache.literals.resize(literals->size());
        for (size_t i = 0; i < literals->size(); ++i) {
            ByteLiteral& lit = cache.literals[i];
            const std::wstring& text = (*literals)[i].text;
            lit.asciiCase = asciiCase;
            if (asciiCase) {
                lit.bytes.clear();
                for (wchar_t u : text)
                    lit.bytes += static_cast<char>(u >= L'A' && u <= L'Z' ? u | 0x20 : u);
            } else if (!EncodeLiteral(encoding, text, lit.bytes)) {
                return nullptr;
            }
            lit.probes = ChooseByteProbes(lit.bytes);
        }
        cache.usable = true;
    }
    return cache.usable ? &cache.literals : nullptr;
}

// Whether a block's bytes can show the literals: folded ASCII literals whose
// full-width sources only a UTF-16 text can show, in a block of ASCII alone.
bool BytesCanShow(const ByteLiteralCache& cache, const unsigned char* bytes, size_t n) {
    return !cache.asciiTextOnly || AllAscii(bytes, n);
}

// The skip literals' bytes when a block can be searched on its bytes (read
// in UTF-8 or in the ANSI code page); null otherwise.
const std::vector<ByteLiteral>* BytePath(SearchRun& run, TextEncoding encoding,
                                         const unsigned char* bytes, size_t n) {
    if (encoding != TextEncoding::Utf8 && encoding != TextEncoding::Ansi) return nullptr;
    const std::vector<ByteLiteral>* literals = ByteLiterals(run, encoding);
    const ByteLiteralCache& cache =
        encoding == TextEncoding::Utf8 ? run.utf8Literals : run.ansiLiterals;
    return literals && BytesCanShow(cache, bytes, n) ? literals : nullptr;
}

}  // namespace

BlockCut CutFor(TextEncoding encoding) {
    BlockCut cut;
    if (IsUtf16(encoding)) {
        cut.unitBytes = 2;
        cut.bigEndian = encoding == TextEncoding::Utf16Be;
    }
    return cut;
}

namespace {

// The first position at or after from in bytes[0, n) that is not a line
// break of encoding.
size_t SkipBreaks(TextEncoding encoding, const unsigned char* bytes, size_t from, size_t n) {
    const BlockCut cut = CutFor(encoding);
    const size_t w = cut.unitBytes;
    for (; from + w <= n; from += w) {
        const unsigned u = w == 1 ? bytes[from]
                           : cut.bigEndian ? bytes[from] << 8 | bytes[from + 1]
                                           : bytes[from] | bytes[from + 1] << 8;
        if (u != '\r' && u != '\n') break;
    }
    return from;
}

}  // namespace

int SearchBlock(const wchar_t* path, size_t pathLength, SearchRun& run, const BlockReader& block,
                TextEncoding encoding, size_t markLength, Iso2022Mode& mode, long long& number,
                wchar_t* statusText) {
    const unsigned char* bytes = block.data();
    const size_t n = block.size();
    size_t from = std::min(block.first() ? markLength : 0, n);
    if (block.cutLine() > 0) {
        // Its start alone was read: the line is passed by, or ends the search.
        ++number;
        status::LineTooLong(statusText, path, number, longestLineBytes);
        if (!PassLineBy(run, path, pathLength, number, statusText)) return kFileFailed;
        from = SkipBreaks(encoding, bytes, block.cutLine(), n);
        mode = Iso2022Mode::Ascii;  // lines end in ASCII
    } else if (block.startsInBreaks()) {
        from = SkipBreaks(encoding, bytes, from, n);
    }
    if (const std::vector<ByteLiteral>* literals = BytePath(run, encoding, bytes + from, n - from)) {
        ByteText text(encoding, bytes, n, from, *literals, run.lineScratch);
        return SearchText(text, path, pathLength, run, number, statusText);
    }
    std::vector<wchar_t>& units = run.blockText;
    if (units.size() < n + 1) units.resize(n + 1);  // no encoding gives more units than bytes
    size_t written = 0;
    if (!DecodePiece(encoding, bytes + from, n - from, units.data() + 1, written, mode)) {
        status::SystemFailure(statusText, nullptr, status::kConversion, GetLastError());
        return kBlockUndecodable;
    }
    units[0] = kByteOrderMark;
    Utf16Text text(run.linePattern, units.data(), written + 1);
    return SearchText(text, path, pathLength, run, number, statusText);
}
