// FnLinesAround: the lines an editor shows around a record's line, for the
// preview pane. Kept beside FnPhysicalLine: the record's line is found by the
// same walk over the same blocks, so the two never disagree.
#include <algorithm>
#include <climits>
#include <deque>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "physical_line.h"
#include "status_text.h"

namespace {

constexpr unsigned kCR = 0x0D;
constexpr unsigned kLF = 0x0A;
constexpr wchar_t kNulShown = 0x2400;  // as a record writes a NUL
constexpr wchar_t kLineEnd[] = L"\r\n";

template <typename Unit>
bool IsBreak(Unit c) {
    return c == kCR || c == kLF;
}

struct Span {
    size_t start, end;  // a line's content, its break not included
};

// The units of each line that are given.
struct Window {
    size_t from, units;
};

// Up to count lines that end last in t[from, end), the last first; end is a
// line start or the end of the text. Every CR LF, lone CR and lone LF ends
// one line.
template <typename Unit>
std::vector<Span> LastLines(const Unit* t, size_t from, size_t end, size_t count) {
    std::vector<Span> lines;
    size_t pos = end;
    if (pos > from && !IsBreak(t[pos - 1]) && count > 0) {  // a last line without a break
        size_t s = pos;
        while (s > from && !IsBreak(t[s - 1])) --s;
        lines.push_back({s, pos});
        pos = s;
    }
    while (lines.size() < count && pos > from) {
        const size_t brk = t[pos - 1] == kLF && pos - 1 > from && t[pos - 2] == kCR ? pos - 2 : pos - 1;
        size_t s = brk;
        while (s > from && !IsBreak(t[s - 1])) --s;
        lines.push_back({s, brk});
        pos = s;
    }
    return lines;
}

// Where the line that starts at s ends, and where the next one starts.
template <typename Unit>
Span LineFrom(const Unit* t, size_t s, size_t n, size_t* next) {
    size_t e = s;
    while (e < n && !IsBreak(t[e])) ++e;
    *next = e == n ? n : e + (t[e] == kCR && e + 1 < n && t[e + 1] == kLF ? 2 : 1);
    return {s, e};
}

// The walk to the record's line and the lines taken around it.
class Around {
public:
    Around(long long target, size_t before, size_t after, Window window)
        : walk_{target}, before_(before), left_(after + 1), window_(window) {}

    // One piece of the file; true once every line wanted is taken. False
    // with failed() set when a line can't be decoded.
    bool Take(const TextPiece& p) {
        return p.bytes ? Take(p.bytes, p.from, p.n, p) : Take(p.units, p.from, p.n, p);
    }

    bool failed() const { return failed_; }
    DWORD failure() const { return failure_; }
    bool reached() const { return walk_.done; }
    long long lastRecordLine() const { return walk_.record; }
    long long hitLine() const { return walk_.found; }
    long long firstLine() const { return walk_.found - static_cast<long long>(hit_); }
    const std::vector<std::wstring>& lines() const { return lines_; }

private:
    template <typename Unit>
    bool Take(const Unit* t, size_t from, size_t n, const TextPiece& p) {
        if (!walk_.done) {
            WalkPiece(t, from, n, walk_);
            if (!walk_.done) {
                // The lines before the record's may end this piece.
                for (const Span& s : Reversed(LastLines(t, from, n, before_)))
                    earlier_.push_back(Shown(t, s, p));
                while (earlier_.size() > before_) earlier_.pop_front();
                return false;
            }
            const std::vector<Span> here = LastLines(t, from, walk_.at, before_);
            const size_t fromEarlier = std::min(before_ - here.size(), earlier_.size());
            lines_.assign(earlier_.end() - static_cast<std::ptrdiff_t>(fromEarlier), earlier_.end());
            for (const Span& s : Reversed(here)) lines_.push_back(Shown(t, s, p));
            hit_ = lines_.size();
            from = walk_.at;
        }
        while (left_ > 0 && from < n) {
            size_t next = n;
            lines_.push_back(Shown(t, LineFrom(t, from, n, &next), p));
            --left_;
            from = next;
        }
        return left_ == 0 || failed_;
    }

    static std::vector<Span> Reversed(std::vector<Span> spans) {
        std::reverse(spans.begin(), spans.end());
        return spans;
    }

    std::wstring Shown(const wchar_t* t, const Span& s, const TextPiece&) {
        return Cut(t + s.start, s.end - s.start);
    }

    // A line's bytes decoded, as far as the window reaches: no encoding
    // taken on its bytes needs more than 3 bytes for a unit.
    std::wstring Shown(const unsigned char* t, const Span& s, const TextPiece& p) {
        const size_t reach = window_.from + window_.units;
        const size_t bytes = std::min(s.end - s.start, reach > (SIZE_MAX - 3) / 3 ? SIZE_MAX : 3 * reach + 3);
        if (scratch_.size() < bytes) scratch_.resize(bytes);
        size_t written = 0;
        Iso2022Mode mode = Iso2022Mode::Ascii;
        if (!DecodePiece(p.encoding, t + s.start, bytes, scratch_.data(), written, mode)) {
            failed_ = true;
            failure_ = GetLastError();
            return {};
        }
        return Cut(scratch_.data(), written);
    }

    std::wstring Cut(const wchar_t* units, size_t n) const {
        if (n <= window_.from) return {};
        std::wstring shown(units + window_.from, std::min(n - window_.from, window_.units));
        std::replace(shown.begin(), shown.end(), L'\0', kNulShown);
        return shown;
    }

    LineWalk walk_;
    size_t before_;
    size_t left_;  // lines still to take, the record's own among them
    Window window_;
    std::deque<std::wstring> earlier_;  // the last lines of the pieces passed
    std::vector<std::wstring> lines_;
    size_t hit_ = 0;  // the record's line among lines_
    std::vector<wchar_t> scratch_;
    bool failed_ = false;
    DWORD failure_ = 0;  // the platform's code when a line can't be decoded
};

int Clamped(long long n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

extern "C" TESSUMI_API int FnLinesAround(const wchar_t* file, int recordLine, int before,
                                         int after, int fromUnit, int lineUnits, wchar_t* text,
                                         int capacity, int* firstLine, int* hitLine,
                                         wchar_t* statusText) {
    if (!statusText || !file || !text || !firstLine || !hitLine || before < 0 || after < 0 ||
        fromUnit < 0 || lineUnits < 0) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    const long long needed = (static_cast<long long>(before) + 1 + after) * (lineUnits + 2LL) + 1;
    if (capacity < needed) {
        status::SystemReasonOnly(statusText, ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    text[0] = L'\0';
    *firstLine = *hitLine = 1;
    try {
        const Window window{static_cast<size_t>(fromUnit), static_cast<size_t>(lineUnits)};
        long long target = recordLine > 1 ? recordLine : 1;
        Around around(target, before, after, window);
        auto take = [&](const TextPiece& p) { return around.Take(p); };
        if (!ReadTextPieces(file, take, statusText)) return 0;
        if (!around.reached() && around.lastRecordLine() < target) {
            // The file ends before the record's line: its last line stands for it.
            around = Around(around.lastRecordLine(), before, after, window);
            if (!ReadTextPieces(file, take, statusText)) return 0;
        }
        if (around.failed()) {
            status::SystemFailure(statusText, nullptr, status::kConversion, around.failure());
            return 0;
        }
        wchar_t* out = text;
        for (const std::wstring& line : around.lines()) {
            out = std::copy(line.begin(), line.end(), out);
            out = std::copy(kLineEnd, kLineEnd + 2, out);
        }
        *out = L'\0';
        *firstLine = Clamped(around.firstLine());
        *hitLine = Clamped(around.hitLine());
        status::Ok(statusText);
        return 1;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
