// FnPhysicalLine: from a record's line number, as the search cuts lines, to
// the line an editor shows. Kept beside the cutting so that the two rules
// can't drift apart.
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Tessumi.h"
#include "physical_line.h"
#include "status_text.h"

namespace {

constexpr wchar_t kCR = L'\r';
constexpr wchar_t kLF = L'\n';
constexpr int kConvertToText = 1;  // SubReadText: the decoded UTF-16 text

bool IsBreak(wchar_t c) { return c == kCR || c == kLF; }

// The first unit at or after k that may be a break (no unit above CR), or
// n; four units at a time while none is.
size_t SkipToBreak(const wchar_t* text, size_t k, size_t n) {
    constexpr uint64_t kFourteens = 0x000E000E000E000Eull;
    constexpr uint64_t kTopBits = 0x8000800080008000ull;
    for (;;) {
        while (n - k >= 4) {
            uint64_t a;
            memcpy(&a, text + k, 8);
            if (((a - kFourteens) & ~a) & kTopBits) break;
            k += 4;
        }
        while (k < n && text[k] > kCR) ++k;
        if (k == n || IsBreak(text[k])) return k;
        ++k;  // a control character below CR
    }
}

}  // namespace

int PhysicalLineOf(const wchar_t* text, size_t n, int recordLine) {
    // The cut's lines: the first starts at 1 (after U+FEFF); every later one
    // starts after a run of breaks, unless the run ends the text.
    size_t k = n > 0 ? 1 : 0;
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

extern "C" TESSUMI_API int FnPhysicalLine(const wchar_t* file, int recordLine, int* physicalLine,
                                          wchar_t* statusText) {
    if (!physicalLine || !statusText || !file) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    *physicalLine = recordLine > 1 ? recordLine : 1;
    try {
        wchar_t* text = nullptr;
        int length = 0;
        // A file the loader can't take (2 GB and more among them) keeps the
        // record's own number: the editor still opens it.
        if (!SubReadText(file, &text, &length, kConvertToText, statusText)) return 0;
        std::unique_ptr<wchar_t[]> owner(text);
        *physicalLine = PhysicalLineOf(text, static_cast<size_t>(length), recordLine);
        status::Ok(statusText);
        return 1;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
