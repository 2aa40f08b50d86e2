// The form of a path that the platform's file calls get: short paths as
// they are, long ones as the "\\?\" form of their full path.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "long_path.h"
#include "test_support.h"

using namespace testing_support;

namespace {

std::wstring CurrentDirectory() {
    wchar_t buffer[4096];
    DWORD n = GetCurrentDirectoryW(4096, buffer);
    std::wstring dir(buffer, n);
    if (dir.back() == L'\\') dir.pop_back();
    return dir;
}

TEST(PlatformPath, ShortPathsStayAndLongOnesTakeTheFullLongForm) {
    const std::wstring folder(60, L'f');  // one folder name; five make 300 characters
    const std::wstring deep = folder + L"\\" + folder + L"\\" + folder + L"\\" + folder + L"\\" +
                              folder;
    const std::wstring cwd = CurrentDirectory();
    // A relative name whose full path has exactly n characters.
    auto relative = [&](size_t n) { return std::wstring(n - cwd.size() - 1, L'r'); };
    // A drive path of exactly n characters.
    auto drive = [](size_t n) { return L"C:\\" + std::wstring(n - 3, L'd'); };
    struct Case {
        std::wstring path;
        std::wstring platform;
    };
    const Case cases[] = {
        {L"C:\\data\\a.txt", L"C:\\data\\a.txt"},
        {L"C:\\data\\..\\a.txt", L"C:\\data\\..\\a.txt"},  // short: the platform's own rules
        {drive(MAX_PATH - 1), drive(MAX_PATH - 1)},
        {drive(MAX_PATH), L"\\\\?\\" + drive(MAX_PATH)},
        {L"C:\\" + deep + L"\\a.txt", L"\\\\?\\C:\\" + deep + L"\\a.txt"},
        {L"C:\\" + deep + L"\\*.*", L"\\\\?\\C:\\" + deep + L"\\*.*"},  // a listing pattern
        {L"C:\\" + deep + L"\\x\\..\\.\\a.txt", L"\\\\?\\C:\\" + deep + L"\\a.txt"},
        // Long as given, short as a full path: still given in the full form.
        {L"C:\\" + deep + L"\\..\\..\\..\\..\\..\\a.txt", L"\\\\?\\C:\\a.txt"},
        {L"C:/" + folder + L"/" + folder + L"/" + folder + L"/" + folder + L"/" + folder +
             L"/a.txt",
         L"\\\\?\\C:\\" + deep + L"\\a.txt"},
        {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
        {L"\\\\server\\share\\short.txt", L"\\\\server\\share\\short.txt"},
        {relative(MAX_PATH - 1), relative(MAX_PATH - 1)},
        {relative(MAX_PATH), L"\\\\?\\" + cwd + L"\\" + relative(MAX_PATH)},
        {L"sub\\..\\" + relative(MAX_PATH), L"\\\\?\\" + cwd + L"\\" + relative(MAX_PATH)},
        {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
        {L"\\\\?\\UNC\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
    };
    for (const Case& c : cases) EXPECT_EQ(PlatformPath(c.path), c.platform) << Show(c.path);
}

}  // namespace
