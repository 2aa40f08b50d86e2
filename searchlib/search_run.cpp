// FnLookForOptions, FnLookForProgress and FnLookFor: one whole search run,
// from creating the results file to its final block.
#include <cstddef>
#include <cwchar>
#include <memory>

#include "Tessumi.h"
#include "arguments.h"
#include "file_pool.h"
#include "handle_owner.h"
#include "long_path.h"
#include "run_state.h"
#include "status_text.h"
#include "walk.h"
#include "writer.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;
const wchar_t kRunAborted[] = L"で検索を続けることができません\n理由：";

// The last part of a path, after its last separator.
std::wstring LeafName(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

// Remembers which file the results go to, so the walk can pass it by: its
// identity, the last part of its name as given and of its own long name (a
// name given in its 8.3 form is listed by the long one).
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
    run.resultsLeafName = LeafName(full);

    n = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring own(n, L'\0');
    if (n != 0 && GetFinalPathNameByHandleW(file, &own[0], n, FILE_NAME_NORMALIZED) < n) {
        own.resize(wcslen(own.c_str()));
        run.resultsLongLeafName = LeafName(own);
    }
}

// What can be found out before the results file is created is checked
// first, so that a mistyped pattern or folder leaves an earlier results
// file as it was: both patterns compile, and the start folder can be listed.
int CheckBeforeWriting(SearchRun& run, const wchar_t* startFolder, wchar_t* statusText) {
    const bool pathIsRegex = !run.options.Has(TESSUMI_PATTERN1_MASKS);
    return (!pathIsRegex || FnCompilePattern(run.pathPattern, statusText)) &&
           FnCompilePattern(run.linePattern, statusText) &&
           FnCheckStartFolder(startFolder, statusText);
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

// Before every progress call: the records found so far go to the file, so
// that a caller reading it meanwhile (the window's live view) sees every
// record the call counts, not only whole blocks.
int WriteBlockOut(void* argument, wchar_t* statusText) {
    SearchRun& run = *static_cast<SearchRun*>(argument);
    if (run.block.length == 0) return 1;
    if (!FnWriteOut(run.resultsFile, run.resultsName, run.block.text,
                    static_cast<int>(run.block.length * 2), statusText))
        return 0;
    run.block.Clear();
    return 1;
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
    if (size >= offsetof(TessumiOptions, threads) + sizeof(options->threads))
        read.threads = options->threads;
    if (size >= offsetof(TessumiOptions, statusTextUnits) + sizeof(options->statusTextUnits) &&
        options->statusTextUnits > 0)
        read.statusTextUnits = static_cast<size_t>(options->statusTextUnits);
    return read;
}

// The pointers every search export is given, checked before anything else.
bool RunArgumentsGiven(const wchar_t* startFolder, const wchar_t* resultsFile,
                       const wchar_t* pattern1, const wchar_t* pattern2, wchar_t* statusText) {
    return ArgumentsGiven({{startFolder, L"startFolder"},
                           {resultsFile, L"resultsFile"},
                           {pattern1, L"pattern1"},
                           {pattern2, L"pattern2"}},
                          statusText);
}

int RunSearch(const wchar_t* startFolder, const wchar_t* resultsFile, const wchar_t* pattern1,
              const wchar_t* pattern2, TessumiProgress progress, void* context,
              const RunOptions& options, wchar_t* statusText) {
    std::unique_ptr<SearchRun> run;
    std::wstring platformPath;
    try {
        run = std::make_unique<SearchRun>(INVALID_HANDLE_VALUE, resultsFile, pattern1, pattern2,
                                          progress, context, options);
        if (!CheckBeforeWriting(*run, startFolder, statusText)) return 0;
    } catch (...) {
        status::SystemFailure(statusText, resultsFile, kRunAborted, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    try {
        platformPath = PlatformPath(resultsFile);
    } catch (...) {
        status::SystemFailure(statusText, resultsFile, status::kCreateWriteHandle,
                              ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    SetLastError(0);
    // Readers may open the file while the run writes it (the window shows
    // the records as they come); nobody else may write it.
    FileHandle out(CreateFileW(platformPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
        status::SystemFailure(statusText, resultsFile, status::kCreateWriteHandle,
                              GetLastError());
        return 0;
    }
    status::Ok(statusText);

    try {
        run->resultsFile = out.get();
        NoteResultsFile(*run, out.get(), resultsFile);
        run->block.text[0] = kByteOrderMark;
        run->block.text[1] = L'\0';
        run->block.length = 1;
        run->progress.CallBeforeAsking(WriteBlockOut, run.get());

        // Declared after the run: the workers are joined before it goes.
        std::unique_ptr<FilePool> pool;
        const int workers = SearchThreadsFor(options.threads, LogicalProcessors());
        if (workers > 1) {
            pool = std::make_unique<FilePool>(*run, workers);
            if (pool->workers() > 0) run->pool = pool.get();
        }
        const int walked = run->progress.Start(startFolder, statusText) &&
                           FnWalkFolder(startFolder, *run, statusText);
        if (!FinishFiles(*run, walked, statusText) || !run->progress.Finish(statusText))
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

// The run's texts take the room the caller's StatusText has.
int RunInRoom(const wchar_t* startFolder, const wchar_t* resultsFile, const wchar_t* pattern1,
              const wchar_t* pattern2, TessumiProgress progress, void* context,
              const RunOptions& options, wchar_t* statusText) {
    const status::TextRoom room(options.statusTextUnits);
    return RunSearch(startFolder, resultsFile, pattern1, pattern2, progress, context, options,
                     statusText);
}

}  // namespace

extern "C" TESSUMI_API int FnLookForOptions(const wchar_t* startFolder,
                                            const wchar_t* resultsFile, const wchar_t* pattern1,
                                            const wchar_t* pattern2,
                                            const TessumiOptions* options,
                                            TessumiProgress progress, TessumiSkipped skipped,
                                            void* context, wchar_t* statusText) {
    if (!RunArgumentsGiven(startFolder, resultsFile, pattern1, pattern2, statusText)) return 0;
    RunOptions read;
    try {
        read = ReadOptions(options, skipped, context);
    } catch (...) {
        status::SystemFailure(statusText, resultsFile, kRunAborted, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return RunInRoom(startFolder, resultsFile, pattern1, pattern2, progress, context, read,
                     statusText);
}

extern "C" TESSUMI_API int FnLookForProgress(const wchar_t* startFolder,
                                             const wchar_t* resultsFile,
                                             const wchar_t* pattern1, const wchar_t* pattern2,
                                             TessumiProgress progress, void* context,
                                             wchar_t* statusText) {
    if (!RunArgumentsGiven(startFolder, resultsFile, pattern1, pattern2, statusText)) return 0;
    return RunInRoom(startFolder, resultsFile, pattern1, pattern2, progress, context,
                     RunOptions(), statusText);
}

extern "C" TESSUMI_API int FnLookFor(const wchar_t* startFolder, const wchar_t* resultsFile,
                                     const wchar_t* pattern1, const wchar_t* pattern2,
                                     wchar_t* statusText) {
    return FnLookForProgress(startFolder, resultsFile, pattern1, pattern2, nullptr, nullptr,
                             statusText);
}
