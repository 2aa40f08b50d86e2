#include "settings.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <atomic>
#include <cwchar>
#include <memory>

#include "handle_owner.h"
#include "ini_text.h"

namespace settings {

namespace {

const wchar_t kIniName[] = L"Varnelo.ini";
const wchar_t kAppFolder[] = L"Varnelo";
const wchar_t kFreshSuffix[] = L".new";
const wchar_t kCountKey[] = L"Count";
const int kLongestList = 1000;
// A settings file is a few kilobytes; anything this big is damage, and
// reading it on every start would hold the window.
const ULONGLONG kLargestIni = 1024 * 1024;

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

std::wstring Number(size_t n) { return std::to_wstring(n); }

// The file's bytes; none when it is missing, unreadable or too big.
std::string FileBytes(const std::wstring& path) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!h.valid() || !GetFileSizeEx(h.get(), &size) || size.QuadPart <= 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > kLargestIni)
        return {};
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(h.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

// Written beside the file and moved over it, so the file is always either
// the old one or the new one, whole.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty()) return false;
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos) CreateDirectoryW(path.substr(0, cut).c_str(), nullptr);
    const std::wstring fresh = path + kFreshSuffix;
    {
        FileHandle h(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!h.valid() ||
            !WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size()) {
            h.reset();
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(fresh.c_str());
    return false;
}

// What this process holds of the file: read once, at the first use, and
// written back whole when the program saves.
struct Store {
    bool loaded = false;
    bool changed = false;  // since it was read or last handed to a write
    IniSections sections;
};

Store& TheStore() {
    static Store store;
    if (!store.loaded) {
        store.sections = ParseIni(FileBytes(IniPath()));
        store.loaded = true;
    }
    return store;
}

// One write at a time on a thread of its own.
struct BackgroundWrite {
    std::wstring path;
    std::string bytes;
};

HANDLE g_writer = nullptr;
std::atomic<bool> g_backgroundFailed{false};

DWORD WINAPI WriteInBackground(void* parameter) {
    std::unique_ptr<BackgroundWrite> job(static_cast<BackgroundWrite*>(parameter));
    if (!WriteWholeFile(job->path, job->bytes)) g_backgroundFailed.store(true);
    return 0;
}

IniSection& SectionToWrite(const wchar_t* name) {
    Store& store = TheStore();
    if (IniSection* found = FindSection(store.sections, name)) return *found;
    store.sections.push_back({name, {}});
    return store.sections.back();
}

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

void UseIniFile(const std::wstring& path) {
    WaitForSaving();
    ChosenPath() = path;
    TheStore() = Store{};
}

std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) {
    IniSection* found = FindSection(TheStore().sections, section);
    IniEntry* entry = found ? FindEntry(*found, key) : nullptr;
    return entry ? entry->value : fallback;
}

void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    IniSection& s = SectionToWrite(section);
    IniEntry* entry = FindEntry(s, key);
    if (entry && entry->value == value) return;
    if (entry)
        entry->value = value;
    else
        s.entries.push_back({key, value});
    TheStore().changed = true;
}

int ReadInt(const wchar_t* section, const wchar_t* key, int fallback, int least, int most) {
    const std::wstring text = ReadString(section, key, L"");
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    errno = 0;
    long value = wcstol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != L'\0' || value < least || value > most)
        return fallback;
    return static_cast<int>(value);
}

void WriteInt(const wchar_t* section, const wchar_t* key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

std::vector<std::wstring> ReadList(const wchar_t* section) {
    std::vector<std::wstring> values;
    const int count = ReadInt(section, kCountKey, 0, 0, kLongestList);
    for (int i = 1; i <= count; ++i) {
        std::wstring value = ReadString(section, Number(i).c_str(), L"");
        if (!value.empty()) values.push_back(value);
    }
    return values;
}

void WriteList(const wchar_t* section, const std::vector<std::wstring>& values) {
    // The whole section is replaced, so no entry of a longer list survives.
    std::vector<IniEntry> entries{{kCountKey, Number(values.size())}};
    for (size_t i = 0; i < values.size(); ++i) entries.push_back({Number(i + 1), values[i]});
    IniSection& s = SectionToWrite(section);
    const bool same = s.entries.size() == entries.size() &&
                      std::equal(entries.begin(), entries.end(), s.entries.begin(),
                                 [](const IniEntry& a, const IniEntry& b) {
                                     return a.key == b.key && a.value == b.value;
                                 });
    if (same) return;
    s.entries = std::move(entries);
    TheStore().changed = true;
}

void Remember(std::vector<std::wstring>& list, const std::wstring& value, size_t limit) {
    if (value.empty()) return;
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
    list.insert(list.begin(), value);
    if (list.size() > limit) list.resize(limit);
}

void SaveInBackground() {
    WaitForSaving();
    Store& store = TheStore();
    if (!store.changed) return;
    auto job = std::make_unique<BackgroundWrite>(BackgroundWrite{IniPath(), IniBytes(store.sections)});
    store.changed = false;
    g_writer = CreateThread(nullptr, 0, WriteInBackground, job.get(), 0, nullptr);
    if (g_writer)
        job.release();  // the thread's now
    else if (!WriteWholeFile(job->path, job->bytes))
        store.changed = true;
}

bool SaveNow() {
    WaitForSaving();
    Store& store = TheStore();
    if (!store.changed) return true;
    if (!WriteWholeFile(IniPath(), IniBytes(store.sections))) return false;
    store.changed = false;
    return true;
}

void WaitForSaving() {
    if (!g_writer) return;
    WaitForSingleObject(g_writer, INFINITE);
    CloseHandle(g_writer);
    g_writer = nullptr;
    // What failed to reach the file is written again at the next save.
    if (g_backgroundFailed.exchange(false)) TheStore().changed = true;
}

}  // namespace settings
