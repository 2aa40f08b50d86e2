#include "console_out.h"

namespace {

// What a person reads redirected output with: the console's output code
// page, or the ANSI code page when there is no console.
UINT RedirectedCodePage() {
    UINT codePage = GetConsoleOutputCP();  // 0 without a console
    return codePage != 0 ? codePage : GetACP();
}

}  // namespace

void WriteOut(DWORD which, const std::wstring& text) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD done = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        return;
    }
    // As the C runtime's text mode wrote it: CR LF line ends in files.
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    const UINT codePage = RedirectedCodePage();
    const int units = static_cast<int>(lines.size());
    int n = WideCharToMultiByte(codePage, 0, lines.data(), units, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, lines.data(), units, &bytes[0], n, nullptr, nullptr);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}
