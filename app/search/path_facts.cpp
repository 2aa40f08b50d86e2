#include "path_facts.h"

#include "handle_owner.h"

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";
const wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return L"";
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    if (n == 0 || n >= full.size()) return L"";
    full.resize(n);
    return full;
}

// The form the file functions take at any length.
std::wstring Askable(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(kLongPrefix, 0) == 0) return path;
    std::wstring full = FullPath(path);
    if (full.rfind(L"\\\\", 0) == 0) return kLongUncPrefix + full.substr(2);
    return full.empty() ? path : kLongPrefix + full;
}

}  // namespace

PathKind KindOf(const std::wstring& path) {
    if (path.empty()) return PathKind::kNothing;
    DWORD attributes = GetFileAttributesW(Askable(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNothing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

std::wstring ContainingFolder(const std::wstring& path) {
    std::wstring full = FullPath(path);
    size_t cut = full.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L"";
    // "C:\x.txt" lies in "C:\", not in the current folder of drive C.
    if (cut == 2 && full[1] == L':') ++cut;
    return full.substr(0, cut);
}

FileIdentity IdentityOf(const std::wstring& path) {
    FileIdentity id;
    if (path.empty()) return id;
    // No access asked and every sharing allowed: even a file held open
    // elsewhere tells who it is.
    FileHandle h(CreateFileW(Askable(path).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h.get(), &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.indexHigh = info.nFileIndexHigh;
        id.indexLow = info.nFileIndexLow;
        id.known = true;
    }
    return id;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.volume == b.volume && a.indexHigh == b.indexHigh &&
           a.indexLow == b.indexLow;
}
