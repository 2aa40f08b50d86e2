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

std::wstring LineOfFile(const wchar_t* path, size_t pathLength, int number) {
    std::wstring place(path, pathLength);
    place += L'(';
    place += std::to_wstring(number);
    place += L')';
    return place;
}

}  // namespace status
