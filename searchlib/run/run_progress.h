// How a search run tells its caller how it goes, and learns that it should
// stop. The caller's callback is asked once at the start, then whenever
// kIntervalMs have passed since its last call returned (looked at for every entry
// of a folder, and inside a file every kCheckLines lines tested or
// kCheckUnits units passed, whichever comes first), and once at the end. Its
// 0 stops the run.
#pragma once

#include <windows.h>

#include <climits>
#include <cstddef>
#include <string>

#include "Tessumi.h"

class RunProgress {
public:
    static constexpr ULONGLONG kIntervalMs = 50;
    // Lines tested, or units of text passed, between two looks at the clock:
    // a look costs a few nanoseconds, and even lines that a slow pattern
    // takes milliseconds to test leave a stop waiting well under 0.2 s.
    static constexpr size_t kCheckLines = 16;
    static constexpr size_t kCheckUnits = 1u << 15;

    RunProgress(TessumiProgress callback, void* context)
        : callback_(callback), context_(context) {}

    bool stopped() const { return stopped_; }
    long long files() const { return files_; }
    long long hits() const { return hits_; }

    // The run's start, in its start folder (held by the caller for the run).
    bool Start(const wchar_t* startFolder, wchar_t* statusText);

    // At an entry of `folder`, which the walk holds until the next entry.
    // A file searched after this is searched from position 0.
    bool AtEntry(const std::wstring& folder, wchar_t* statusText) {
        folder_ = folder.c_str();
        if (!callback_) return true;
        checkAt_ = kCheckUnits;
        linesLeft_ = kCheckLines;
        return Look(statusText);
    }

    // Inside a file's text, at the line that starts at `position`: a count
    // and a comparison until the next look at the clock is due.
    bool InFile(size_t position, wchar_t* statusText) {
        return (--linesLeft_ != 0 && position < checkAt_) || LookInFile(position, statusText);
    }

    // While the run waits for files searched on other threads: a look at
    // the clock, and the callback when its time has come.
    bool Waiting(wchar_t* statusText) { return !callback_ || Look(statusText); }

    // Once the walk is over and its folders are gone.
    void AtStartFolder() { folder_ = startFolder_; }

    // A worker's progress (file_pool.h): the callback hears every look, at
    // every entry and every kCheckLines lines or kCheckUnits units.
    void AskAtEveryLook() { interval_ = 0; }

    // At the next block of a file read in blocks: positions count from 0
    // again, and a look at the clock is due.
    bool NewBlock(wchar_t* statusText) { return LookInFile(0, statusText); }

    void FileSearched() { ++files_; }
    void RecordAppended() { ++hits_; }

    // Called on this thread before every call of the callback, so that what
    // the run holds can be written first; its 0 (with its text) fails the
    // run as a failed write does.
    using BeforeAsking = int (*)(void* argument, wchar_t* statusText);
    void CallBeforeAsking(BeforeAsking before, void* argument) {
        before_ = before;
        beforeArgument_ = argument;
    }

    // Stops the run as the callback's 0 does, for another reason to stop.
    void Stop(wchar_t* statusText);

    // The end of a walk that went through: the callback hears the final
    // counts, and may still stop the run.
    bool Finish(wchar_t* statusText);

private:
    bool Look(wchar_t* statusText);
    bool LookInFile(size_t position, wchar_t* statusText);
    bool Ask(wchar_t* statusText);

    TessumiProgress callback_;
    void* context_;
    const wchar_t* startFolder_ = L"";
    const wchar_t* folder_ = L"";
    size_t checkAt_ = SIZE_MAX;    // without a callback, no look is ever due
    size_t linesLeft_ = SIZE_MAX;
    ULONGLONG answeredAt_ = 0;
    ULONGLONG interval_ = kIntervalMs;
    BeforeAsking before_ = nullptr;
    void* beforeArgument_ = nullptr;
    long long files_ = 0;
    long long hits_ = 0;
    bool stopped_ = false;
};
