#include "member_copies.h"

#include <cwchar>

#include "Tessumi.h"
#include "system_message.h"

namespace {

const wchar_t kCopiesFolder[] = L"Varnelo";
const wchar_t kEmptyName[] = L"member";
const wchar_t kNotInName[] = L"<>:\"/\\|?*";
const wchar_t kCannotMake[] = L"を作ることができません\n理由：";
const wchar_t* const kDeviceNames[] = {L"CON", L"PRN", L"AUX", L"NUL"};
const wchar_t* const kNumberedDevices[] = {L"COM", L"LPT"};
// An extension longer than this is cut with the rest of a long name.
const size_t kKeptExtensionUnits = 16;

LONG g_serial = 0;

bool IsDeviceName(const std::wstring& name) {
    const std::wstring stem = name.substr(0, name.find(L'.'));
    for (const wchar_t* device : kDeviceNames)
        if (_wcsicmp(stem.c_str(), device) == 0) return true;
    for (const wchar_t* device : kNumberedDevices)
        if (stem.size() == 4 && _wcsnicmp(stem.c_str(), device, 3) == 0 && stem[3] >= L'1' &&
            stem[3] <= L'9')
            return true;
    return false;
}

// At most units units of text, never half a surrogate pair.
std::wstring Cut(const std::wstring& text, size_t units) {
    if (text.size() <= units) return text;
    if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    return text.substr(0, units);
}

std::wstring SafeName(const std::wstring& memberPath) {
    std::wstring name = memberPath.substr(memberPath.find_last_of(L"\\/") + 1);
    for (wchar_t& c : name)
        if (c < L' ' || wcschr(kNotInName, c)) c = L'_';
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    if (name.empty()) return kEmptyName;
    if (IsDeviceName(name)) name.insert(0, 1, L'_');
    if (name.size() <= kCopyNameUnits) return name;
    const size_t dot = name.rfind(L'.');
    const std::wstring extension =
        dot != std::wstring::npos && name.size() - dot <= kKeptExtensionUnits ? name.substr(dot) : L"";
    return Cut(name.substr(0, name.size() - extension.size()), kCopyNameUnits - extension.size()) +
           extension;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(folder, n);
}

std::wstring WithSlash(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// The folder of a process's copies.
std::wstring ProcessFolder(const std::wstring& tempFolder, DWORD processId) {
    return WithSlash(tempFolder) + kCopiesFolder + L'\\' + std::to_wstring(processId);
}

// Every folder of path below tempFolder made; "" or the failure's text.
std::wstring MakeFolders(const std::wstring& tempFolder, const std::wstring& path) {
    for (size_t at = path.find(L'\\', WithSlash(tempFolder).size()); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        const std::wstring folder = path.substr(0, at);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return folder + kCannotMake + SystemMessageText(GetLastError());
    }
    return std::wstring();
}

// The folder and all it holds. A link inside is removed, never followed:
// only what this program made is deleted.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L'\\' + name;
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path);
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryW(path.c_str());
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// The process a folder of copies is named for: its decimal id, as
// ProcessFolder names it; 0 for any other name.
DWORD ProcessIdOfFolder(const std::wstring& name) {
    if (name.empty() || name.size() > 10 || name[0] == L'0') return 0;
    unsigned long long id = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9') return 0;
        id = id * 10 + (c - L'0');
    }
    return id <= MAXDWORD ? static_cast<DWORD>(id) : 0;
}

// Whether a process with this id runs. One the system will not let this
// user open (another user's) counts as running: its copies are not ours.
bool ProcessRuns(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

}  // namespace

std::wstring MemberCopyPath(const std::wstring& tempFolder, DWORD processId, unsigned serial,
                            const std::wstring& memberPath) {
    return ProcessFolder(tempFolder, processId) + L'\\' + std::to_wstring(serial) + L'\\' +
           SafeName(memberPath);
}

bool CopyMemberOut(const std::wstring& memberPath, std::wstring* copy, std::wstring* failure) {
    const std::wstring temp = TempFolder();
    if (temp.empty()) {
        *failure = std::wstring(L"%TEMP%") + kCannotMake + SystemMessageText(GetLastError());
        return false;
    }
    *copy = MemberCopyPath(temp, GetCurrentProcessId(),
                           static_cast<unsigned>(InterlockedIncrement(&g_serial)), memberPath);
    *failure = MakeFolders(temp, *copy);
    if (!failure->empty()) return false;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    if (!FnExtractMember(memberPath.c_str(), copy->c_str(), status)) {
        *failure = status;
        return false;
    }
    // A copy, not the member: an editor says so when it is about to be changed.
    SetFileAttributesW(copy->c_str(), FILE_ATTRIBUTE_READONLY);
    return true;
}

void RemoveMemberCopies() {
    const std::wstring temp = TempFolder();
    if (temp.empty()) return;
    const std::wstring copies = WithSlash(temp) + kCopiesFolder;
    // This process's copies, and those an earlier one left (a copy it could
    // not delete while a program held it, or a crash): a folder named for a
    // process that no longer runs.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((copies + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const DWORD id = ProcessIdOfFolder(found.cFileName);
            if (id != 0 && (id == GetCurrentProcessId() || !ProcessRuns(id)))
                RemoveTree(ProcessFolder(temp, id));
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(copies.c_str());
}
