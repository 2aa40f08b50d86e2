#include "run_skipped.h"

#include <string>

#include "file_pool.h"
#include "status_text.h"

bool TellSkipped(SearchRun& run, const wchar_t* path, const wchar_t* reason,
                 wchar_t* statusText) {
    if (!run.options.skipped) return true;
    // Told in walk order, after the files handed to the pool before it.
    if (run.pool != nullptr) return run.pool->AddSkipped(path, reason, statusText);
    return AskSkipped(run, path, reason, statusText);
}

bool AskSkipped(SearchRun& run, const wchar_t* path, const wchar_t* reason,
                wchar_t* statusText) {
    if (!run.options.skipped || run.options.skipped(path, reason, run.options.context))
        return true;
    run.progress.Stop(statusText);
    return false;
}

bool PassBy(SearchRun& run, const wchar_t* path, wchar_t* statusText) {
    if (!run.options.Has(TESSUMI_KEEP_GOING)) return false;
    // The callback hears the reason alone, whole (the path is its own
    // argument); the status text is the run's own.
    const std::wstring reason = status::ReasonOf(statusText);
    status::Ok(statusText);
    return TellSkipped(run, path, reason.c_str(), statusText);
}

int FileFailed(SearchRun& run, const wchar_t* path, wchar_t* statusText) {
    if (run.progress.stopped()) return kFileFailed;
    return PassBy(run, path, statusText) ? kFilePassedBy : kFileFailed;
}
