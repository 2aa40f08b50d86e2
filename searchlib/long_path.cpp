#include "long_path.h"

#include <windows.h>

#include <cwchar>

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";      // \\?\ .
const wchar_t kLongUncPrefix[] = L"\\\\?\\UNC";  // \\?\UNC, then the "\server\share..." rest
const wchar_t kDevicePrefix[] = L"\\\\.\\";    // \\.\ .

bool StartsWith(const std::wstring& s, const wchar_t* prefix) {
    return s.compare(0, wcslen(prefix), prefix) == 0;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "X:\..." or "\\server\...": the platform takes it as it stands, so a short
// one stays short.
bool IsFullyQualified(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return true;
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::wstring();
    std::wstring full(n, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    if (length == 0 || length >= n) return std::wstring();
    full.resize(length);
    return full;
}

}  // namespace

std::wstring PlatformPath(const std::wstring& path) {
    // Already in a form the platform takes literally.
    if (StartsWith(path, kLongPrefix) || StartsWith(path, kDevicePrefix)) return path;
    if (path.size() < MAX_PATH && IsFullyQualified(path)) return path;

    // A relative path is limited by the length of the full path it stands for.
    std::wstring full = FullPath(path);
    if (full.empty() || (full.size() < MAX_PATH && path.size() < MAX_PATH)) return path;
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\')
        return kLongUncPrefix + full.substr(1);
    return kLongPrefix + full;
}
