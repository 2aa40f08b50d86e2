// FnLookForOptions, FnLookForProgress and FnLookFor: one whole search run,
// from creating the results file to its final block.
#include <cstddef>
#include <memory>

#include "Tessumi.h"
#include "handle_owner.h"
#include "long_path.h"
#include "run_state.h"
#include "status_text.h"
#include "walk.h"
#include "writer.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;
const wchar_t kRunAborted[] = L"で検索を続けることができません\n理由：";

// Remembers which file the results go to, so the walk can pass it by.
void NoteResultsFile(SearchRun& run, HANDLE file, const wchar_t* name) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        run.resultsIdentity.volume = info.dwVolumeSerialNumber;
        run.resultsIdentity.indexHigh = info.nFileIndexHigh;
        run.resultsIdentity.indexLow = info.nFileIndexLow;
        run.resultsIdentity.known = true;
    }
    DWORD n = GetFullPathNameW(name, 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    if (n == 0 || GetFullPathNameW(name, n, &full[0], nullptr) >= n) full = name;
    full.resize(wcslen(full.c_str()));
    size_t cut = full.find_last_of(L"\\/");
    run.resultsLeafName = cut == std::wstring::npos ? full : full.substr(cut + 1);
}

// A stopped run keeps what it found: the records in the block are whole,
// and they go to the file before it is closed.
int EndStoppedRun(SearchRun& run, wchar_t* statusText) {
    if (!FnWriteOut(run.resultsFile, run.resultsName, run.block.text,
                    static_cast<int>(run.block.length * 2), statusText))
        return 0;
    status::Stopped(statusText);
    return 0;
}

// The options as far as the caller's structure holds them: an older, shorter
// one leaves the later fields at their defaults.
RunOptions ReadOptions(const TessumiOptions* options, TessumiSkipped skipped, void* context) {
    RunOptions read;
    read.skipped = skipped;
    read.context = context;
    if (options == nullptr) return read;
    const size_t size = options->size > 0 ? static_cast<size_t>(options->size) : 0;
    if (size >= offsetof(TessumiOptions, flags) + sizeof(options->flags))
        read.flags = options->flags;
    if (size >= offsetof(TessumiOptions, excludedFolders) + sizeof(options->excludedFolders) &&
        options->excludedFolders != nullptr)
        read.excludedFolders = options->excludedFolders;
    return read;
}

int RunSearch(const wchar_t* startFolder, const wchar_t* resultsFile, const wchar_t* pattern1,
              const wchar_t* pattern2, TessumiProgress progress, void* context,
              const RunOptions& options, wchar_t* statusText) {
    std::wstring platformPath;
    try {
        platformPath = PlatformPath(resultsFile);
    } catch (...) {
        status::SystemFailure(statusText, resultsFile, status::kCreateWriteHandle,
                              ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    SetLastError(0);
    FileHandle out(CreateFileW(platformPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
        status::SystemFailure(statusText, resultsFile, status::kCreateWriteHandle,
                              GetLastError());
        return 0;
    }
    status::Ok(statusText);

    try {
        auto run = std::make_unique<SearchRun>(out.get(), resultsFile, pattern1, pattern2,
                                               progress, context, options);
        NoteResultsFile(*run, out.get(), resultsFile);
        run->block.text[0] = kByteOrderMark;
        run->block.text[1] = L'\0';
        run->block.length = 1;

        if (!run->progress.Start(startFolder, statusText) ||
            !FnWalkFolder(startFolder, *run, statusText) || !run->progress.Finish(statusText))
            return run->progress.stopped() ? EndStoppedRun(*run, statusText) : 0;
        if (!FnWriteOut(out.get(), resultsFile, run->block.text,
                        static_cast<int>(run->block.length * 2), statusText))
            return 0;
    } catch (...) {
        // Memory ran out somewhere in the walk; the run ends like any failure.
        status::SystemFailure(statusText, resultsFile, kRunAborted, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    out.reset();
    status::RunComplete(statusText);
    return 1;
}

}  // namespace

extern "C" TESSUMI_API int FnLookForOptions(const wchar_t* startFolder,
                                            const wchar_t* resultsFile, const wchar_t* pattern1,
                                            const wchar_t* pattern2,
                                            const TessumiOptions* options,
                                            TessumiProgress progress, TessumiSkipped skipped,
                                            void* context, wchar_t* statusText) {
    RunOptions read;
    try {
        read = ReadOptions(options, skipped, context);
    } catch (...) {
        status::SystemFailure(statusText, resultsFile, kRunAborted, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return RunSearch(startFolder, resultsFile, pattern1, pattern2, progress, context, read,
                     statusText);
}

extern "C" TESSUMI_API int FnLookForProgress(const wchar_t* startFolder,
                                             const wchar_t* resultsFile,
                                             const wchar_t* pattern1, const wchar_t* pattern2,
                                             TessumiProgress progress, void* context,
                                             wchar_t* statusText) {
    return RunSearch(startFolder, resultsFile, pattern1, pattern2, progress, context,
                     RunOptions(), statusText);
}

extern "C" TESSUMI_API int FnLookFor(const wchar_t* startFolder, const wchar_t* resultsFile,
                                     const wchar_t* pattern1, const wchar_t* pattern2,
                                     wchar_t* statusText) {
    return FnLookForProgress(startFolder, resultsFile, pattern1, pattern2, nullptr, nullptr,
                             statusText);
}
