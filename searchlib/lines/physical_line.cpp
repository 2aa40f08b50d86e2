// FnPhysicalLine: from a record's line number, as the search cuts lines, to
// the line an editor shows. Kept beside the cutting so that the two rules
// can't drift apart.
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Tessumi.h"
#include "file_read.h"
#include "loader.h"
#include "physical_line.h"
#include "status_text.h"
#include "text_encoding.h"

namespace {

constexpr unsigned kCR = 0x0D;
constexpr unsigned kLF = 0x0A;

template <typename Unit>
bool IsBreak(Unit c) {
    return c == kCR || c == kLF;
}

// Every lane of a 64-bit word holding 14 (one above CR), and its top bits:
// a lane below 14 sets its top bit in (x - fourteens) & ~x.
template <typename Unit>
constexpr uint64_t Lanes(uint64_t perByte, uint64_t perUnit) {
    return sizeof(Unit) == 1 ? perByte : perUnit;
}

// The first unit at or after k that may be a break (none above CR), or n;
// a word at a time while none is.
template <typename Unit>
size_t SkipToBreak(const Unit* text, size_t k, size_t n) {
    constexpr uint64_t kFourteens = Lanes<Unit>(0x0E0E0E0E0E0E0E0Eull, 0x000E000E000E000Eull);
    constexpr uint64_t kTopBits = Lanes<Unit>(0x8080808080808080ull, 0x8000800080008000ull);
    constexpr size_t kPerWord = 8 / sizeof(Unit);
    for (;;) {
        while (n - k >= kPerWord) {
            uint64_t a;
            memcpy(&a, text + k, 8);
            if (((a - kFourteens) & ~a) & kTopBits) break;
            k += kPerWord;
        }
        while (k < n && text[k] > kCR) ++k;
        if (k == n || IsBreak(text[k])) return k;
        ++k;  // a control character below CR
    }
}

template <typename Unit>
int PhysicalLineIn(const Unit* text, size_t from, size_t n, int recordLine) {
    // The cut's lines: the first starts at from; every later one starts
    // after a run of breaks, unless the run ends the text.
    size_t k = from;
    long long physical = 1;  // the editor's line at k
    int found = 1;           // the physical line of the last line start reached
    for (int record = 1; record < recordLine; ++record) {
        k = SkipToBreak(text, k, n);
        if (k == n) break;
        while (k < n && IsBreak(text[k])) {
            k += (text[k] == kCR && k + 1 < n && text[k + 1] == kLF) ? 2 : 1;
            ++physical;
        }
        if (k == n) break;
        found = physical > INT_MAX ? INT_MAX : static_cast<int>(physical);
    }
    return found;
}

constexpr size_t kMarkBytes = 3;  // the longest byte-order mark

bool IsUtf16(TextEncoding e) { return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be; }

}  // namespace

int PhysicalLineOf(const wchar_t* text, size_t from, size_t n, int recordLine) {
    return PhysicalLineIn(text, from, n, recordLine);
}

int PhysicalLineOf(const unsigned char* text, size_t from, size_t n, int recordLine) {
    return PhysicalLineIn(text, from, n, recordLine);
}

extern "C" TESSUMI_API int FnPhysicalLine(const wchar_t* file, int recordLine, int* physicalLine,
                                          wchar_t* statusText) {
    if (!physicalLine || !statusText || !file) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    *physicalLine = recordLine > 1 ? recordLine : 1;
    try {
        // Read as the search reads it. A file the loader can't take (2 GB
        // and more among them) keeps the record's own number: the editor
        // still opens it.
        FileBytes bytes;
        int length = 0;
        if (!ReadWholeFile(file, DWORD(INT_MAX) - 1, bytes, &length, statusText)) return 0;
        // Only UTF-16, which the mark alone decides, has breaks wider than a
        // byte: the rest of the file need not be looked at for that.
        const DetectedEncoding detected =
            DetectEncoding(bytes.bytes(), bytes.size < kMarkBytes ? bytes.size : kMarkBytes);
        if (IsUtf16(detected.encoding)) {
            wchar_t* text = nullptr;
            if (!ToLoadedText(file, bytes, detected, &text, &length, statusText)) return 0;
            std::unique_ptr<wchar_t[]> owner(text);
            *physicalLine = PhysicalLineOf(text, 1, static_cast<size_t>(length), recordLine);
        } else {
            // A UTF-8 mark holds no break: counted from the first byte, as
            // a text read whole in the ANSI code page would be.
            *physicalLine = PhysicalLineOf(bytes.bytes(), 0, bytes.size, recordLine);
        }
        status::Ok(statusText);
        return 1;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
