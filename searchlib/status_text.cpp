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

namespace {
const wchar_t kOk[] = L"正常です。";
const wchar_t kRunComplete[] = L"正常です";
const wchar_t kStopped[] = L"検索を中止しました";
}  // namespace

void CopyBounded(wchar_t* out, size_t units, const wchar_t* text, size_t length) {
    if (units == 0) return;
    size_t n = length < units - 1 ? length : units - 1;
    // A cut between the halves of a surrogate pair would leave a broken character.
    if (n < length && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    wmemcpy(out, text, n);
    out[n] = L'\0';
}

void Ok(wchar_t* statusText) { CopyBounded(statusText, kUnits, kOk, wcslen(kOk)); }

void RunComplete(wchar_t* statusText) {
    CopyBounded(statusText, kUnits, kRunComplete, wcslen(kRunComplete));
}

void Stopped(wchar_t* statusText) {
    CopyBounded(statusText, kUnits, kStopped, wcslen(kStopped));
}

std::wstring SystemReason(DWORD code) {
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
        reason = work;
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
    CopyBounded(statusText, kUnits, text.c_str(), text.size());
}

void SystemFailure(wchar_t* statusText, const wchar_t* subject, const wchar_t* leadIn,
                   DWORD code) {
    Compose(statusText, subject, leadIn, SystemReason(code).c_str());
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
