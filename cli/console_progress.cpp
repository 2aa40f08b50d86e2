#include "console_progress.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

namespace {

const ULONGLONG kRedrawMs = 100;  // ten times a second at most

std::atomic<bool> g_ctrlC{false};
ULONGLONG g_drawnAt = 0;
bool g_drawn = false;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    g_ctrlC.store(true);
    return TRUE;  // handled: the run ends through its callback
}

// The console behind stderr, or null when stderr goes to a file or a pipe.
HANDLE ErrorConsole() {
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode) ? h : nullptr;
}

// Columns a character takes in a console: East Asian wide characters two.
int Columns(wchar_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                   (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                   (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                   (c >= 0xFFE0 && c <= 0xFFE6)
               ? 2
               : 1;
}

int Columns(const std::wstring& text) {
    int n = 0;
    for (wchar_t c : text) n += Columns(c);
    return n;
}

// One line, never wrapping: the folder's end after an ellipsis when the
// whole would not fit.
std::wstring FitLine(const std::wstring& lead, const std::wstring& folder, int width) {
    const int room = width - 1 - Columns(lead);
    if (Columns(folder) <= room) return lead + folder;
    int used = 1;  // the ellipsis
    size_t from = folder.size();
    while (from > 0 && used + Columns(folder[from - 1]) <= room) used += Columns(folder[--from]);
    if (from < folder.size() && folder[from] >= 0xDC00 && folder[from] <= 0xDFFF) ++from;
    return lead + L"…" + folder.substr(from);
}

void Draw(HANDLE console, const std::wstring& line, int width) {
    // Back to the line's start, the text, and blanks over the rest of an
    // older, longer line.
    std::wstring out = L"\r" + line;
    out.append(static_cast<size_t>(std::max(0, width - 1 - Columns(line))), L' ');
    out += L"\r" + line;
    DWORD written = 0;
    WriteConsoleW(console, out.c_str(), static_cast<DWORD>(out.size()), &written, nullptr);
}

int ConsoleWidth(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info)) return 80;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace

void WatchForCtrlC() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

int CALLBACK ShowConsoleProgress(long long files, long long hits, const wchar_t* folder, void*) {
    if (g_ctrlC.load()) return 0;
    const ULONGLONG now = GetTickCount64();
    if (g_drawn && now - g_drawnAt < kRedrawMs) return 1;
    HANDLE console = ErrorConsole();
    if (!console) return 1;
    wchar_t lead[96];
    swprintf(lead, sizeof(lead) / sizeof(lead[0]), L"検索中（%lld ファイル、%lld 件）", files, hits);
    Draw(console, FitLine(lead, folder, ConsoleWidth(console)), ConsoleWidth(console));
    g_drawn = true;
    g_drawnAt = now;
    return 1;
}

void EndConsoleProgress() {
    HANDLE console = g_drawn ? ErrorConsole() : nullptr;
    if (console) Draw(console, L"", ConsoleWidth(console));
    g_drawn = false;
}
