// hold_file PATH SHARE: holds PATH open for writing with the share mode
// SHARE (a number), as another program does, says "held" on its standard
// output and keeps the file until its standard input ends.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const DWORD share = wcstoul(argv[2], nullptr, 0);
    HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD n = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held", 4, &n, nullptr);
    char c;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &n, nullptr) && n > 0) {
    }
    CloseHandle(file);
    return 0;
}
