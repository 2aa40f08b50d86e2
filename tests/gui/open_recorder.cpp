// Stands in for the user's editor: appends its arguments, joined by tabs,
// and a line break to the UTF-16 log named by VARNELO_OPEN_LOG, so a test
// sees which file, at which line, a double-click opened.
#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    wchar_t log[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VARNELO_OPEN_LOG", log, MAX_PATH)) return 2;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 3;
    std::wstring line = argv[1];
    for (int i = 2; i < argc; ++i) line += std::wstring(L"\t") + argv[i];
    line += L"\n";
    LocalFree(argv);
    // The test reads the log meanwhile, and an earlier recorder may still
    // be writing it.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries) {
        file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    return 0;
}
