#include "run_progress.h"

#include "status_text.h"

bool RunProgress::Start(const wchar_t* startFolder, wchar_t* statusText) {
    startFolder_ = startFolder;
    folder_ = startFolder;
    return !callback_ || Ask(statusText);
}

bool RunProgress::Look(wchar_t* statusText) {
    // The interval counts from the end of the last call, so a slow callback
    // still leaves the run its 50 ms between calls.
    return GetTickCount64() - answeredAt_ < interval_ || Ask(statusText);
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
    if (before_ && !before_(beforeArgument_, statusText)) return false;
    const bool goOn = callback_(files_, hits_, folder_, context_) != 0;
    answeredAt_ = GetTickCount64();
    if (goOn) return true;
    Stop(statusText);
    return false;
}

void RunProgress::Stop(wchar_t* statusText) {
    stopped_ = true;
    status::Stopped(statusText);
}
