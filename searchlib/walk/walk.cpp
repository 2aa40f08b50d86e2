#include "walk.h"

#include <cwchar>

#include "file_pool.h"
#include "handle_owner.h"
#include "lines.h"
#include "long_path.h"
#include "status_text.h"

namespace {

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool SameNameIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1,
                                              TRUE) == CSTR_EQUAL;
}

}  // namespace

bool IsResultsFile(const SearchRun& run, const std::wstring& path, const wchar_t* name,
                   const wchar_t* alternate) {
    if (!run.resultsIdentity.known) return false;
    // The name only preselects; the file's identity decides, so no other
    // file of that name is ever skipped.
    if (!SameNameIgnoringCase(run.resultsLeafName, name) &&
        !(alternate[0] != L'\0' && SameNameIgnoringCase(run.resultsLeafName, alternate)))
        return false;
    // No access rights requested: this open never conflicts with the run's
    // own unshared handle.
    FileHandle probe(CreateFileW(PlatformPath(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!probe.valid() || !GetFileInformationByHandle(probe.get(), &info)) return false;
    return info.dwVolumeSerialNumber == run.resultsIdentity.volume &&
           info.nFileIndexHigh == run.resultsIdentity.indexHigh &&
           info.nFileIndexLow == run.resultsIdentity.indexLow;
}

int FnWalkFolder(const std::wstring& folder, SearchRun& run, wchar_t* statusText) {
    std::wstring entry = folder;
    entry += L"\\*.*";

    WIN32_FIND_DATAW data;
    const std::wstring listingPath = PlatformPath(entry);
    SetLastError(0);
    FindHandle listing(FindFirstFileW(listingPath.c_str(), &data));
    if (!listing.valid()) {
        status::SystemFailure(statusText, folder.c_str(), status::kSearchFolder, GetLastError());
        return 0;
    }
    status::Ok(statusText);

    const size_t base = folder.size() + 1;  // folder path and one "\"
    do {
        if (!run.progress.AtEntry(folder, statusText)) return 0;
        entry.resize(base);
        entry += data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsDotOrDotDot(data.cFileName)) continue;
            if (!FnWalkFolder(entry, run, statusText)) return 0;
            continue;
        }
        int found = FnPatternFound(run.pathPattern, entry.c_str(), entry.size(), statusText);
        if (found < 0) return 0;
        if (found == 0) continue;
        if (IsResultsFile(run, entry, data.cFileName, data.cAlternateFileName)) continue;
        if (!SearchFile(run, entry, statusText)) return 0;
    } while (FindNextFileW(listing.get(), &data));
    return 1;
}
