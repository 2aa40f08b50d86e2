#include "status_text.h"

#include <cwchar>

namespace status {

const wchar_t kCreateWriteHandle[] = L"の書き出しハンドルを作成することができません\n理由：";
const wchar_t kWriteOut[] = L"を書き出すことができません\n理由：";
const wchar_t kSearchFolder[] = L"を検索することができません\n理由：";
const wchar_t kCreateReadHandle[] = L"の読み込みハンドルを作成することができません\n理由：";
const wchar_t kReadIn[] = L"を読む込むことができません\n理由：";  // 読む込む is the system's wording
const wchar_t kConversion[] = L"MultiByte2WideCharのエラー\n理由：";
const wchar_t kNoMemory[] = L"を読み込むメモリを確保することができません\n理由：";
const wchar_t kOpenDialog[] = L"を開くことができません。\n理由: ";
const wchar_t kTakeOut[] = L"を書庫から取り出すことができません\n理由：";
const wchar_t kNotGiven[] = L" が指定されていません\n理由：";
const wchar_t kOnlineOnly[] = L"この PC にないファイルです（オンラインのみ）";

namespace {
const wchar_t kOk[] = L"正常です。";
const wchar_t kRunComplete[] = L"正常です";
const wchar_t kStopped[] = L"検索を中止しました";

thread_local size_t room = kUnits;

// The text last composed on this thread: its buffer, its length as written
// and its reason, whole (a reason is held in kUnits, as the system's is).
struct Composed {
    const wchar_t* buffer;
    size_t length;
    wchar_t reason[kUnits];
};
thread_local Composed lastComposed = {nullptr, 0, {}};
}  // namespace

size_t Room() { return room; }

TextRoom::TextRoom(size_t units) : saved_(room) {
    room = units < kWholeUnits ? units : kWholeUnits;
}
TextRoom::~TextRoom() { room = saved_; }

const wchar_t* ReasonOf(const wchar_t* text) {
    const Composed& last = lastComposed;
    if (text != last.buffer || wcslen(text) != last.length || last.reason[0] == L'\0')
        return text;
    return last.reason;
}

void CopyBounded(wchar_t* out, size_t units, const wchar_t* text, size_t length) {
    if (units == 0) return;
    size_t n = length < units - 1 ? length : units - 1;
    // A cut between the halves of a surrogate pair would leave a broken character.
    if (n < length && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    wmemcpy(out, text, n);
    out[n] = L'\0';
}

void Ok(wchar_t* statusText) { CopyBounded(statusText, room, kOk, wcslen(kOk)); }

void RunComplete(wchar_t* statusText) {
    CopyBounded(statusText, room, kRunComplete, wcslen(kRunComplete));
}

void Stopped(wchar_t* statusText) {
    CopyBounded(statusText, room, kStopped, wcslen(kStopped));
}

std::wstring FillInserts(const std::wstring& reason, const wchar_t* path) {
    auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    const size_t n = reason.size();
    std::wstring out;
    size_t i = 0;
    while (i < n) {
        if (reason[i] == L'%' && i + 1 < n && reason[i + 1] == L'%') {
            out.append(reason, i, 2);  // an escaped "%", never an insert
            i += 2;
            continue;
        }
        if (reason[i] != L'%' || i + 1 >= n || reason[i + 1] < L'1' || reason[i + 1] > L'9') {
            out += reason[i++];
            continue;
        }
        size_t end = i + 2;
        if (end < n && isDigit(reason[end])) ++end;
        // A printf-style format after the number belongs to the insert.
        if (end < n && reason[end] == L'!') {
            size_t close = reason.find(L'!', end + 1);
            if (close != std::wstring::npos) end = close + 1;
        }
        if (path) out += path;
        i = end;
    }
    return out;
}

std::wstring SystemReason(DWORD code, const wchar_t* path) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_FROM_SYSTEM,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason;
    if (n != 0 && text != nullptr) {
        // The reason's own working buffer holds 256 units as well.
        wchar_t work[kUnits];
        CopyBounded(work, kUnits, text, wcslen(text));
        reason = FillInserts(work, path);
    }
    if (text != nullptr) LocalFree(text);
    return reason;
}

void Compose(wchar_t* statusText, const wchar_t* subject, const wchar_t* leadIn,
             const wchar_t* reason) {
    std::wstring text;
    if (subject) text += subject;
    if (leadIn) text += leadIn;
    if (reason) text += reason;
    CopyBounded(statusText, room, text.c_str(), text.size());
    Composed& last = lastComposed;
    last.buffer = statusText;
    last.length = wcslen(statusText);
    CopyBounded(last.reason, kUnits, reason ? reason : L"", reason ? wcslen(reason) : 0);
}

void SystemFailure(wchar_t* statusText, const wchar_t* subject, const wchar_t* leadIn,
                   DWORD code) {
    Compose(statusText, subject, leadIn, SystemReason(code, subject).c_str());
}

void NullArgument(wchar_t* statusText, const wchar_t* argument) {
    const std::wstring subject = std::wstring(L"引数 ") + argument;
    Compose(statusText, subject.c_str(), kNotGiven,
            SystemReason(ERROR_INVALID_PARAMETER).c_str());
}

void SystemReasonOnly(wchar_t* statusText, DWORD code) {
    statusText[0] = L'\0';
    Compose(statusText, nullptr, nullptr, SystemReason(code).c_str());
}

void FileTooLarge(wchar_t* statusText, const wchar_t* path) {
    Compose(statusText, L"ファイル", path, L"のサイズが大き過ぎます");
}

std::wstring LineOfFile(const wchar_t* path, size_t pathLength, long long number) {
    std::wstring place(path, pathLength);
    place += L'(';
    place += std::to_wstring(number);
    place += L')';
    return place;
}

namespace {

// 1234567 as "1,234,567".
std::wstring Grouped(uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L',');
    return digits;
}

// A size in whole gibibytes or else mebibytes, as "1 GB" and "32 MB".
std::wstring Megabytes(uint64_t bytes) {
    const uint64_t gib = uint64_t(1) << 30;
    return bytes % gib == 0 ? Grouped(bytes / gib) + L" GB" : Grouped(bytes >> 20) + L" MB";
}

// A size in whole gibibytes or mebibytes, or else in bytes.
std::wstring SizeText(uint64_t bytes) {
    return bytes % (uint64_t(1) << 20) == 0 && bytes > 0 ? Megabytes(bytes)
                                                         : Grouped(bytes) + L" バイト";
}

}  // namespace

void LineTooLong(wchar_t* statusText, const wchar_t* path, long long number,
                 uint64_t limitBytes) {
    const std::wstring leadIn =
        L"の " + std::to_wstring(number) + L" 行目を検索することができません\n理由：";
    Compose(statusText, path, leadIn.c_str(),
            (L"行が長過ぎます（" + SizeText(limitBytes) + L" を超えます）").c_str());
}

std::wstring InsideReason(InsideFault fault) {
    switch (fault) {
    case InsideFault::Truncated: return L"書庫が途中で切れています";
    case InsideFault::NoDirectory: return L"書庫の目録が見つかりません（zip 形式でないか、壊れています）";
    case InsideFault::BadDirectory: return L"書庫の目録が壊れています";
    case InsideFault::Split: return L"複数のファイルに分割された書庫の中は探せません";
    case InsideFault::BadHeader: return L"メンバーの見出しが書庫の目録と合いません（壊れています）";
    case InsideFault::BadData: return L"圧縮されたデータが壊れています";
    case InsideFault::BadCrc: return L"展開したデータの CRC が書庫の目録と合いません（壊れています）";
    case InsideFault::BadSize: return L"展開したデータの大きさが書庫の目録と合いません（壊れています）";
    case InsideFault::Encrypted: return L"暗号化されているため探せません";
    case InsideFault::OldFormat: return L"この形式の中は探せません";
    case InsideFault::NoMember: return L"書庫にその名前のメンバーがありません";
    }
    return std::wstring();
}

namespace {

// The heads of the reasons a design refuses to read, which IsRefusal knows.
const wchar_t kMethodHead[] = L"圧縮方式 ";
const wchar_t kExpansionHead[] = L"展開すると大き過ぎます（";
const wchar_t kNestingHead[] = L"書庫の入れ子が深過ぎます（";
const wchar_t* const kBoundHeads[] = {
    L"ブックの共有文字列が大き過ぎます（", L"1 つのセルか段落の文字が多過ぎます（",
    L"文書の部品が多過ぎます（", L"文書の XML のタグが大き過ぎます（"};

}  // namespace

bool IsRefusal(const std::wstring& reason) {
    for (InsideFault fault : {InsideFault::Encrypted, InsideFault::OldFormat, InsideFault::Split})
        if (reason == InsideReason(fault)) return true;
    auto startsWith = [&](const wchar_t* head) { return reason.rfind(head, 0) == 0; };
    if (startsWith(kMethodHead) || startsWith(kExpansionHead) || startsWith(kNestingHead))
        return true;
    for (const wchar_t* head : kBoundHeads)
        if (startsWith(head)) return true;
    return false;
}

std::wstring MethodReason(unsigned method) {
    static const struct {
        unsigned method;
        const wchar_t* name;
    } known[] = {{1, L"Shrink"},     {2, L"Reduce"},    {3, L"Reduce"},   {4, L"Reduce"},
                 {5, L"Reduce"},     {6, L"Implode"},   {9, L"Deflate64"}, {10, L"PKWARE DCL Implode"},
                 {12, L"bzip2"},     {14, L"LZMA"},     {18, L"IBM TERSE"}, {19, L"IBM LZ77"},
                 {20, L"Zstandard"}, {93, L"Zstandard"}, {95, L"XZ"},      {96, L"JPEG"},
                 {97, L"WavPack"},   {98, L"PPMd"}};
    std::wstring name = std::to_wstring(method) + L" ";
    for (const auto& k : known)
        if (k.method == method) name = std::wstring(k.name) + L"（" + std::to_wstring(method) + L"）";
    return kMethodHead + name + L"の展開には対応していません";
}

std::wstring ExpansionReason(uint64_t limitBytes, unsigned ratio) {
    return kExpansionHead + Megabytes(limitBytes) + L"、または圧縮時の " +
           Grouped(ratio) + L" 倍を超えます）";
}

std::wstring NestingReason(int levels) {
    return kNestingHead + std::to_wstring(levels) + L" 段までを探します）";
}

std::wstring XmlReason(const std::wstring& part) {
    return L"文書の部品 " + part + L" の XML が壊れています";
}

std::wstring MissingPartReason(const std::wstring& part) {
    return L"文書の部品 " + part + L" が見つかりません（壊れています）";
}

std::wstring BoundReason(DocumentBound what, uint64_t limit) {
    switch (what) {
    case DocumentBound::SharedStrings:
        return kBoundHeads[0] + Megabytes(limit) + L" を超えます）";
    case DocumentBound::Piece:
        return kBoundHeads[1] + Grouped(limit) + L" 文字を超えます）";
    case DocumentBound::Parts:
        return kBoundHeads[2] + Grouped(limit) + L" 個を超えます）";
    case DocumentBound::Tag:
        return kBoundHeads[3] + Megabytes(limit) + L" を超えます）";
    }
    return std::wstring();
}

}  // namespace status
