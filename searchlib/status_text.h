// The one module that composes every text the library leaves in a
// StatusText: the success texts and every failure text, formed as subject +
// lead-in + reason and never longer than the room the StatusText has: the
// 256 units every caller provides, or more for a search run's caller that
// says it gave more (TextRoom).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace status {

constexpr size_t kUnits = 256;  // StatusText capacity, terminating zero included
// Room for any text whole: the longest path, a lead-in and a reason.
constexpr size_t kWholeUnits = 32768 + 2 * kUnits;

// The units a StatusText written on this thread holds: kUnits, or what the
// innermost TextRoom alive on this thread says.
size_t Room();

// While it lives, texts written on this thread may take `units` units
// (at most kWholeUnits): a search run's caller may give a bigger buffer,
// which then gets longer texts whole.
class TextRoom {
public:
    explicit TextRoom(size_t units);
    ~TextRoom();
    TextRoom(const TextRoom&) = delete;
    TextRoom& operator=(const TextRoom&) = delete;

private:
    size_t saved_;
};

// The reason alone of text, whole however much of the text was cut: the
// reason of the text last composed on this thread, when text still holds
// that text and its reason is not empty; otherwise text itself.
const wchar_t* ReasonOf(const wchar_t* text);

// Lead-ins, each naming the operation that failed.
extern const wchar_t kCreateWriteHandle[];  // results file can't be created
extern const wchar_t kWriteOut[];           // a block can't be written
extern const wchar_t kSearchFolder[];       // a folder can't be listed
extern const wchar_t kCreateReadHandle[];   // a file can't be opened
extern const wchar_t kReadIn[];             // a file can't be read
extern const wchar_t kConversion[];         // ANSI text can't be converted (no subject)
extern const wchar_t kNoMemory[];           // a file's buffer can't be allocated
extern const wchar_t kOpenDialog[];         // the save dialog fails
extern const wchar_t kTakeOut[];            // a member can't be copied out of its archive

void Ok(wchar_t* statusText);           // "正常です。"
void RunComplete(wchar_t* statusText);  // "正常です", after a whole search run
void Stopped(wchar_t* statusText);      // "検索を中止しました", after a run its caller stopped

extern const wchar_t kNotGiven[];           // an export's pointer argument is null
extern const wchar_t kOnlineOnly[];         // a file that is online only, passed by

// The system's own message text for code in the user's default language
// (line end included), cut to 255 units, with each insert ("%1", "%2!s!",
// ...) replaced by path, or removed when path is null; empty when the system
// has none.
std::wstring SystemReason(DWORD code, const wchar_t* path = nullptr);

// reason with each insert "%N" or "%N!format!" (N from 1 to 99) replaced by
// path, or removed when path is null. Other "%" sequences are kept.
std::wstring FillInserts(const std::wstring& reason, const wchar_t* path);

// subject + leadIn + the system's reason for code, whose inserts are
// filled with subject.
void SystemFailure(wchar_t* statusText, const wchar_t* subject, const wchar_t* leadIn,
                   DWORD code);

// The system's reason alone, no subject and no lead-in.
void SystemReasonOnly(wchar_t* statusText, DWORD code);

// A null pointer given to an export for `argument` (its name in Tessumi.h):
// "引数 " + argument + kNotGiven + the system's reason for
// ERROR_INVALID_PARAMETER. The subject names the argument, because the
// mistake is in the calling program, not in any file.
void NullArgument(wchar_t* statusText, const wchar_t* argument);

// "ファイル" + path + "のサイズが大き過ぎます".
void FileTooLarge(wchar_t* statusText, const wchar_t* path);

// A line's place for the skipped list: path + "(" + number + ")", as the
// records show it.
std::wstring LineOfFile(const wchar_t* path, size_t pathLength, long long number);

// A line longer than limitBytes, not searched: path + "の 3 行目を検索する
// ことができません\n理由：" + "行が長過ぎます（64 MB を超えます）".
void LineTooLong(wchar_t* statusText, const wchar_t* path, long long number,
                 uint64_t limitBytes);

// subject + leadIn + reason, cut to Room() - 1 units and terminated.
void Compose(wchar_t* statusText, const wchar_t* subject, const wchar_t* leadIn,
             const wchar_t* reason);

// Copies text into a buffer of `units` units (terminating zero included),
// cutting it if it does not fit, never leaving half a surrogate pair.
void CopyBounded(wchar_t* out, size_t units, const wchar_t* text, size_t length);

// Why an archive, a member of one or a document is passed by: whole reasons
// for the skipped callback, with no subject (the caller names the path).
enum class InsideFault {
    Truncated,     // the archive ends before a part it lists
    NoDirectory,   // no end record: not a zip, or cut short
    BadDirectory,  // the central directory is damaged
    Split,         // one volume of an archive split over several files
    BadHeader,     // a member's local header disagrees with the directory
    BadData,       // the compressed data can't be inflated
    BadCrc,        // the inflated data's CRC is not the directory's
    BadSize,       // the inflated size is not the directory's
    Encrypted,     // a member that needs a password
    OldFormat,     // .xls .doc .ppt and PDF: their insides can't be read
    NoMember,      // a path that names no member of an archive
};
std::wstring InsideReason(InsideFault fault);

// Whether reason says the design refuses to read something (encrypted, a
// method not read, too big, too deep, an old format, a split archive),
// which is told and passed by, rather than damage, which fails the run
// unless it keeps going.
bool IsRefusal(const std::wstring& reason);

// A compression method other than stored and deflated, named when known:
// "圧縮方式 Deflate64（9）の展開には対応していません".
std::wstring MethodReason(unsigned method);

// A member that would expand beyond limitBytes, or beyond ratio times its
// packed size.
std::wstring ExpansionReason(uint64_t limitBytes, unsigned ratio);

// An archive nested deeper than levels archives.
std::wstring NestingReason(int levels);

// A document's part (its name in the package) that is not well-formed XML,
// and one that its document names but its package does not hold.
std::wstring XmlReason(const std::wstring& part);
std::wstring MissingPartReason(const std::wstring& part);

// A document that holds more than a bound allows, held in memory to read it.
enum class DocumentBound {
    SharedStrings,  // a workbook's shared strings, in bytes
    Piece,          // one cell's or paragraph's text, in characters
    Parts,          // the parts of a document's package
    Tag,            // one XML tag, in bytes
};
std::wstring BoundReason(DocumentBound what, uint64_t limit);

}  // namespace status
