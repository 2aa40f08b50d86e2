#include "run_progress.h"

#include "status_text.h"

bool RunProgress::Start(const wchar_t* startFolder, wchar_t* statusText) {
    startFolder_ = startFolder;
    folder_ = startFolder;
    return !callback_ || Ask(statusText);
}

bool RunProgress::Look(wchar_t* statusText) {
    // The interval counts from the start of the last call, so a slow
    // callback is asked again at the next chance.
    return GetTickCount64() - askedAt_ < interval_ || Ask(statusText);
}

bool RunProgress::LookInFile(size_t position, wchar_t* statusText) {
    if (!callback_) {
        linesLeft_ = SIZE_MAX;  // FnLookFor: a look at most every 2^64 lines
        return true;
    }
    checkAt_ = position + kCheckUnits;
    linesLeft_ = kCheckLines;
    return Look(statusText);
}

bool RunProgress::Finish(wchar_t* statusText) {
    folder_ = startFolder_;  // the walk's folders are gone
    return !callback_ || Ask(statusText);
}

bool RunProgress::Ask(wchar_t* statusText) {
    askedAt_ = GetTickCount64();
    if (callback_(files_, hits_, folder_, context_)) return true;
    stopped_ = true;
    status::Stopped(statusText);
    return false;
}
