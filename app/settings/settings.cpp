#include "settings.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>

namespace settings {

namespace {

const wchar_t kIniName[] = L"Varnelo.ini";
const wchar_t kAppFolder[] = L"Varnelo";
const wchar_t kCountKey[] = L"Count";
// Room for a field of 32,767 characters, its quotes and the zero.
constexpr DWORD kValueUnits = 32767 + 3;

std::wstring& ChosenPath() {
    static std::wstring path;
    return path;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? L"" : path.substr(0, cut);
}

// An existing ini there must take writes; otherwise a new file must be
// possible. The probe leaves nothing behind.
bool FolderTakesIni(const std::wstring& folder) {
    if (folder.empty()) return false;
    const std::wstring ini = folder + L"\\" + kIniName;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    DWORD disposition = OPEN_EXISTING;
    std::wstring probe = ini;
    if (GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
        probe = folder + L"\\Varnelo.ini.probe";
        disposition = CREATE_NEW;
        flags |= FILE_FLAG_DELETE_ON_CLOSE;
    }
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    return path;
}

// WritePrivateProfileStringW writes UTF-16LE only into a file that already
// starts with the mark; a new file would get the ANSI code page.
bool EnsureUnicodeFile(const std::wstring& path) {
    if (path.empty()) return false;
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos) CreateDirectoryW(path.substr(0, cut).c_str(), nullptr);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    const unsigned char mark[] = {0xFF, 0xFE};
    DWORD written = 0;
    const bool ok = WriteFile(h, mark, sizeof(mark), &written, nullptr) && written == 2;
    CloseHandle(h);
    return ok;
}

std::wstring Number(size_t n) { return std::to_wstring(n); }

}  // namespace

std::wstring ChooseIniPath(const std::wstring& programFolder, bool programFolderWritable,
                           const std::wstring& appData) {
    if (!programFolder.empty() && programFolderWritable) return programFolder + L"\\" + kIniName;
    if (appData.empty()) return L"";
    return appData + L"\\" + kAppFolder + L"\\" + kIniName;
}

const std::wstring& IniPath() {
    std::wstring& path = ChosenPath();
    if (path.empty()) {
        const std::wstring folder = ProgramFolder();
        path = ChooseIniPath(folder, FolderTakesIni(folder), AppDataFolder());
    }
    return path;
}

void UseIniFile(const std::wstring& path) { ChosenPath() = path; }

std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) {
    const std::wstring& ini = IniPath();
    if (ini.empty()) return fallback;
    // A default that no value can equal tells a missing key from an empty one.
    const wchar_t kMissing[] = L"\x01missing\x01";
    std::wstring value(kValueUnits, L'\0');
    DWORD n = GetPrivateProfileStringW(section, key, kMissing, &value[0], kValueUnits,
                                       ini.c_str());
    value.resize(n);
    return value == kMissing ? fallback : value;
}

bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    const std::wstring& ini = IniPath();
    if (!EnsureUnicodeFile(ini)) return false;
    // Quoted, so that leading and trailing spaces of a pattern survive: the
    // reader strips one pair of quotes and nothing inside them.
    const std::wstring quoted = L"\"" + value + L"\"";
    return WritePrivateProfileStringW(section, key, quoted.c_str(), ini.c_str()) != FALSE;
}

int ReadInt(const wchar_t* section, const wchar_t* key, int fallback) {
    const std::wstring text = ReadString(section, key, L"");
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    errno = 0;
    long value = wcstol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != L'\0' || value < INT_MIN || value > INT_MAX)
        return fallback;
    return static_cast<int>(value);
}

bool WriteInt(const wchar_t* section, const wchar_t* key, int value) {
    return WriteString(section, key, std::to_wstring(value));
}

std::vector<std::wstring> ReadList(const wchar_t* section) {
    std::vector<std::wstring> values;
    const int count = ReadInt(section, kCountKey, 0);
    for (int i = 1; i <= count && i <= 1000; ++i) {
        std::wstring value = ReadString(section, Number(i).c_str(), L"");
        if (!value.empty()) values.push_back(value);
    }
    return values;
}

bool WriteList(const wchar_t* section, const std::vector<std::wstring>& values) {
    const std::wstring& ini = IniPath();
    if (!EnsureUnicodeFile(ini)) return false;
    // The whole section goes first, so no entry of a longer list survives.
    WritePrivateProfileStringW(section, nullptr, nullptr, ini.c_str());
    bool ok = WriteInt(section, kCountKey, static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        ok = WriteString(section, Number(i + 1).c_str(), values[i]) && ok;
    return ok;
}

void Remember(std::vector<std::wstring>& list, const std::wstring& value, size_t limit) {
    if (value.empty()) return;
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
    list.insert(list.begin(), value);
    if (list.size() > limit) list.resize(limit);
}

}  // namespace settings
