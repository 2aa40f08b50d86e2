#include "walk.h"

#include <cwchar>
#include <memory>
#include <vector>

#include "file_pool.h"
#include "inside_search.h"
#include "handle_owner.h"
#include "lines.h"
#include "link_decision.h"
#include "long_path.h"
#include "pattern/name_masks.h"
#include "online_only.h"
#include "path_passes.h"
#include "run_skipped.h"
#include "status_text.h"

namespace {

const wchar_t kAllEntries[] = L"\\*.*";

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool SameNameIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1,
                                              TRUE) == CSTR_EQUAL;
}

bool FolderExcluded(const SearchRun& run, const wchar_t* name) {
    return !run.options.excludedFolders.empty() &&
           NameMatchesMasks(name, wcslen(name), run.options.excludedFolders);
}

// Whether a listing that failed at its first entry with `code` found a
// folder with nothing in it: a drive's root lists no "." nor "..".
bool ListsNothing(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES;
}

// One folder whose listing is open: the walk holds one for every level
// between the start folder and the folder at hand.
struct OpenFolder {
    std::wstring folder;
    std::wstring entry;  // folder, "\" and the name of the entry at hand
    FindHandle listing;  // not valid for a folder with nothing to list
    WIN32_FIND_DATAW data;
};

// Opens folder's listing at its first entry. Short names are not asked for
// and entries come in large batches: listing is most of a walk's cost.
// 0 with the listing failure text when the folder can't be listed; 1 with
// no listing open when it lists nothing.
int OpenListing(OpenFolder& at, wchar_t* statusText) {
    at.entry = at.folder;
    at.entry += kAllEntries;
    const std::wstring listingPath = PlatformPath(at.entry);
    SetLastError(0);
    at.listing.reset(FindFirstFileExW(listingPath.c_str(), FindExInfoBasic, &at.data,
                                      FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH));
    if (!at.listing.valid()) {
        const DWORD code = GetLastError();
        if (ListsNothing(code)) return 1;
        status::SystemFailure(statusText, at.folder.c_str(), status::kSearchFolder, code);
        return 0;
    }
    return 1;
}

// Opens a listing for folder on top of the walk's stack: 1 when it is open,
// or passed by under the run's options (below the start folder only, whose
// failure ends the run whatever the options); 0 at a failure.
int Descend(std::vector<std::unique_ptr<OpenFolder>>& open, const std::wstring& folder,
            SearchRun& run, wchar_t* statusText) {
    open.push_back(std::make_unique<OpenFolder>());
    open.back()->folder = folder;
    if (!OpenListing(*open.back(), statusText)) {
        if (open.size() == 1 || !PassBy(run, folder.c_str(), statusText)) return 0;
        open.pop_back();
        return 1;
    }
    status::Ok(statusText);
    if (!open.back()->listing.valid()) open.pop_back();  // an empty folder: walked
    return 1;
}

// Searches one listed file when its path passes pattern 1; 0 at a failure.
// An online-only file is passed by, and only a skipped callback hears of it.
// An archive searched inside is walked whatever its own path: pattern 1
// tests its members' paths.
int VisitFile(OpenFolder& at, SearchRun& run, wchar_t* statusText) {
    const int found = WalkedInside(run, at.entry)
                          ? 1
                          : PathPasses(run, at.entry, at.data.cFileName, statusText);
    if (found < 0) return 0;
    if (found == 0) return 1;
    if (IsResultsFile(run, at.entry, at.data.cFileName)) return 1;
    if (IsOnlineOnly(at.data.dwFileAttributes))
        return TellSkipped(run, at.entry.c_str(), status::kOnlineOnly, statusText);
    return SearchFile(run, at.entry, statusText);
}

}  // namespace

bool IsResultsFile(const SearchRun& run, const std::wstring& path, const wchar_t* name) {
    if (!run.resultsIdentity.known) return false;
    // The name only preselects; the file's identity decides, so no other
    // file of that name is ever skipped. The file's own long name is known
    // from its handle, so a results file named by its short name is found
    // without the listing's short names.
    if (!SameNameIgnoringCase(run.resultsLeafName, name) &&
        !SameNameIgnoringCase(run.resultsLongLeafName, name))
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

int FnCheckStartFolder(const std::wstring& folder, wchar_t* statusText) {
    if (folder.empty()) {
        status::SystemFailure(statusText, folder.c_str(), status::kSearchFolder,
                              ERROR_PATH_NOT_FOUND);
        return 0;
    }
    OpenFolder at;
    at.folder = folder;
    return OpenListing(at, statusText);
}

int FnWalkFolder(const std::wstring& folder, SearchRun& run, wchar_t* statusText) {
    // The folders being listed, the start folder first; each holds its
    // listing open while the folders below it are walked, exactly where a
    // recursive walk would, so the order is the same.
    std::vector<std::unique_ptr<OpenFolder>> open;
    if (!Descend(open, folder, run, statusText)) return 0;
    bool atFirstEntry = true;
    while (!open.empty()) {
        OpenFolder& at = *open.back();
        if (!atFirstEntry && !FindNextFileW(at.listing.get(), &at.data)) {
            open.pop_back();
            continue;
        }
        atFirstEntry = false;
        if (!run.progress.AtEntry(at.folder, statusText)) return 0;
        at.entry.resize(at.folder.size() + 1);  // folder path and one "\"
        at.entry += at.data.cFileName;
        if (!(at.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!VisitFile(at, run, statusText)) return 0;
        } else if (!IsDotOrDotDot(at.data.cFileName) &&
                   WalksInto(at.data.dwFileAttributes, at.data.dwReserved0) &&
                   !FolderExcluded(run, at.data.cFileName)) {
            const size_t levels = open.size();
            if (!Descend(open, at.entry, run, statusText)) return 0;
            atFirstEntry = open.size() > levels;  // a folder passed by leaves its parent's turn
        }
    }
    return 1;
}
