// The files of one search run searched side by side: the walk, on the
// thread that called the export, hands each file whose path matched pattern
// 1 to a pool of workers, and writes their records itself, file by file in
// walk order, through the run's one ResultBlock. The results file, the
// status text and the return value are those of searching every file on
// the walk's own thread; so are the callbacks, which only that thread calls.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "record_buffer.h"
#include "run_state.h"

constexpr int kMaxSearchThreads = 16;

// The threads a run searches with when its caller asks for `asked` on a
// machine with `processors` logical processors: 0 asks for the default, one
// a logical processor up to kMaxSearchThreads; any other number is kept
// within 1 and kMaxSearchThreads (more threads than processors still keep
// more slow opens in flight).
int SearchThreadsFor(int asked, int processors);

// The logical processors of the processor group this thread runs in.
int LogicalProcessors();

// Searches the file at path, whose path matched pattern 1: at once on this
// thread when the run has no pool, otherwise handed to the pool. 0 when
// this file, or a file handed over before it, fails or the run stops; the
// text is that of the first of them in walk order.
int SearchFile(SearchRun& run, const std::wstring& path, wchar_t* statusText);

// The end of the walk: walked is its result. Waits for the files still in
// the pool and writes their records in order. After a walk that failed
// (not stopped), a file before the failure that fails decides the text; the
// walk's own text stays otherwise. Returns 1 only when walked did and every
// file went through.
int FinishFiles(SearchRun& run, int walked, wchar_t* statusText);

class FilePool {
public:
    // A pool of `threads` workers, each with its own copy of pattern 2
    // (its matcher keeps per-thread state). Fewer start when the system
    // refuses threads; none at all leaves the run on one thread.
    FilePool(SearchRun& run, int threads);
    ~FilePool();  // discards the files not yet written and joins the workers
    FilePool(const FilePool&) = delete;
    FilePool& operator=(const FilePool&) = delete;

    int workers() const { return static_cast<int>(workers_.size()); }
    // A file or a write failed, or the caller stopped the run, in Add or Drain.
    bool failed() const { return failed_; }

    // Writes the files that are done, waits for room (at most two files a
    // worker in flight) and hands over path. 0 as SearchFile.
    int Add(const std::wstring& path, wchar_t* statusText);

    // A path the walk passes by, told to the skipped callback in its turn
    // among the files. 0 as SearchFile.
    int AddSkipped(const wchar_t* path, const wchar_t* reason, wchar_t* statusText);

    // Waits for every file handed over and writes them.
    int Drain(wchar_t* statusText);

private:
    struct Job;
    struct Worker;
    static DWORD WINAPI WorkerMain(void* worker);
    static int CALLBACK WorkerLook(long long, long long, const wchar_t*, void* worker);
    static int CALLBACK WorkerSkipped(const wchar_t* path, const wchar_t* reason, void* worker);
    Job* NextJob(wchar_t* statusText);
    void Work(Worker& worker);
    void HandOver(Worker& worker, bool finished);
    RecordBuffer TakeSpare();
    Job& SlotOf(long long index);
    int WriteUpTo(long long until, wchar_t* statusText);
    int WriteHandedOver(Job& job, wchar_t* statusText);
    int EndJob(Job& job, wchar_t* statusText);
    void Stop();

    SearchRun& run_;
    const size_t textRoom_;  // the status texts' room (status_text.h), the walk's
    std::vector<std::unique_ptr<Job>> slots_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<RecordBuffer> handedOver_;  // the walk's thread's, reused
    std::vector<RecordBuffer> spare_;       // under the lock: emptied, for the workers
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE workCame_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE jobDone_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE roomCame_ = CONDITION_VARIABLE_INIT;  // records written, or a new oldest
    long long added_ = 0;    // files handed over
    long long taken_ = 0;    // files a worker has begun
    // Files whose records went to the block: changed by the walk's thread
    // under the lock.
    long long written_ = 0;
    size_t heldBytes_ = 0;   // under the lock: records handed over, unwritten
    bool closing_ = false;
    bool failed_ = false;
    std::atomic<bool> cancelled_{false};  // workers leave the file they are in
};
