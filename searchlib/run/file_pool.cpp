#include "file_pool.h"

#include <cwchar>
#include <new>

#include "handle_owner.h"
#include "inside_search.h"
#include "lines.h"
#include "record_buffer.h"
#include "run_skipped.h"
#include "status_text.h"

namespace {

// While the walk's thread waits for a file, it wakes this often to tell
// the caller's progress callback how the run goes.
constexpr DWORD kWaitMs = static_cast<DWORD>(RunProgress::kIntervalMs);

// Files in flight, handed over and not yet written, for each worker: one
// being searched and one waiting, so that no worker idles while the walk
// lists the next folder.
constexpr int kFilesPerWorker = 2;

// Records a worker hands over at once, in a big file with many hits: each
// handover costs a lock and a wake, and the interval still bounds the wait.
constexpr size_t kHandOverRecords = 1024;

// Records handed over and not yet written are bounded: a worker whose file
// is not the oldest in flight waits while all of them take kHeldBytes, and
// the oldest file's worker while its own take kOldestHeldBytes, so that a
// file of millions of hits behind a slow one holds its worker, not memory.
constexpr size_t kHeldBytes = size_t(16) << 20;
constexpr size_t kOldestHeldBytes = size_t(4) << 20;

// Records the writer formats between two looks at the caller's progress.
constexpr size_t kRecordsBetweenLooks = 64;

// A record buffer emptied by the writer goes back to the workers, unless a
// long line made it big.
constexpr size_t kSpareUnits = size_t(1) << 16;

using ThreadHandle = HandleOwner<FileHandleTraits>;

// The stack the calling thread reserved: each worker reserves as much, so
// that the matcher, which measures its room on the stack, has at least the
// room there that it has on the walk's thread.
SIZE_T CallerStackReserve() {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(&region, &region, sizeof region) == 0) return 0;
    // The reservation is one allocation: its regions, from its base up.
    const uintptr_t base = reinterpret_cast<uintptr_t>(region.AllocationBase);
    uintptr_t end = base;
    MEMORY_BASIC_INFORMATION part{};
    while (VirtualQuery(reinterpret_cast<void*>(end), &part, sizeof part) != 0 &&
           part.AllocationBase == region.AllocationBase && part.RegionSize != 0)
        end += part.RegionSize;
    return end - base;
}

}  // namespace

int LogicalProcessors() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors);
}

int SearchThreadsFor(int asked, int processors) {
    const int n = asked == 0 ? processors : asked;
    return n < 1 ? 1 : n > kMaxSearchThreads ? kMaxSearchThreads : n;
}

// One file handed over: filled by the walk's thread, searched by a worker,
// written and emptied by the walk's thread.
struct FilePool::Job {
    std::wstring path;
    long long index = 0;  // its place in walk order
    // Under the lock: records the worker found and handed over, unwritten,
    // and the memory they take. The walk's thread writes them as they come
    // while this is the oldest file in flight, so that a big file's records
    // leave as it is searched.
    std::vector<RecordBuffer> found;
    std::wstring memberPath;  // the records written now are this member's, when not empty
    size_t heldBytes = 0;
    int result = 0;
    bool threw = false;  // memory ran out: the walk's thread throws again at its turn
    bool done = false;   // under the lock
    std::vector<wchar_t> statusText;  // as much room as the walk's own
};

struct FilePool::Worker {
    Worker(FilePool& owner, const SearchRun& run)
        : pool(owner),
          search(INVALID_HANDLE_VALUE, run.resultsName, run.pathPattern.text().c_str(),
                 run.linePattern.text().c_str(), WorkerLook, this, OptionsOf(run, this)) {
        search.records = &found;
        search.progress.AskAtEveryLook();
    }
    // The run's options, with the skipped callback's calls kept for the
    // walk's thread.
    static RunOptions OptionsOf(const SearchRun& run, Worker* worker) {
        RunOptions options = run.options;
        // No callback to keep when the caller gave none.
        if (options.skipped) options.skipped = WorkerSkipped;
        options.context = worker;
        return options;
    }
    FilePool& pool;
    SearchRun search;    // never writes: its records go to `found`
    RecordBuffer found;  // records not yet handed over
    Job* job = nullptr;  // the file being searched
    ULONGLONG handedAt = 0;
    ThreadHandle thread;
};

FilePool::FilePool(SearchRun& run, int threads) : run_(run), textRoom_(status::Room()) {
    const SIZE_T reserve = CallerStackReserve();
    try {
        workers_.reserve(static_cast<size_t>(threads));
        for (int i = 0; i < threads; ++i) {
            auto worker = std::make_unique<Worker>(*this, run);
            worker->thread.reset(CreateThread(nullptr, reserve, WorkerMain, worker.get(),
                                              STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
            if (!worker->thread.valid()) break;
            workers_.push_back(std::move(worker));
        }
        slots_.resize(workers_.size() * kFilesPerWorker);
        for (auto& slot : slots_) {
            slot = std::make_unique<Job>();
            slot->statusText.assign(textRoom_, L'\0');
        }
    } catch (...) {
        Stop();  // no destructor runs for a pool that was never made
        throw;
    }
}

FilePool::~FilePool() { Stop(); }

void FilePool::Stop() {
    cancelled_ = true;
    AcquireSRWLockExclusive(&lock_);
    closing_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&workCame_);
    WakeAllConditionVariable(&roomCame_);
    for (auto& worker : workers_) WaitForSingleObject(worker->thread.get(), INFINITE);
}

FilePool::Job& FilePool::SlotOf(long long index) {
    return *slots_[static_cast<size_t>(index % static_cast<long long>(slots_.size()))];
}

DWORD WINAPI FilePool::WorkerMain(void* worker) {
    Worker& w = *static_cast<Worker*>(worker);
    const status::TextRoom room(w.pool.textRoom_);
    w.pool.Work(w);
    return 0;
}

// Asked by a worker's own progress every few lines while it searches: the
// records found so far are handed over in batches, or when the caller's
// interval has passed, so that a big file's hits show and can be stopped
// at while it is searched.
int CALLBACK FilePool::WorkerLook(long long, long long, const wchar_t*, void* worker) {
    Worker& w = *static_cast<Worker*>(worker);
    const size_t held = w.found.records.size();
    if (held >= kHandOverRecords ||
        (held > 0 && GetTickCount64() - w.handedAt >= RunProgress::kIntervalMs))
        w.pool.HandOver(w, false);
    return !w.pool.cancelled_.load(std::memory_order_relaxed);
}

int CALLBACK FilePool::WorkerSkipped(const wchar_t* path, const wchar_t* reason, void* worker) {
    Worker& w = *static_cast<Worker*>(worker);
    w.found.AddSkipped(path, reason);
    return !w.pool.cancelled_.load(std::memory_order_relaxed);
}

// Hands the records found so far to the walk's thread; finished: and the
// file. Unless finished, waits while the records held take their bound.
void FilePool::HandOver(Worker& worker, bool finished) {
    if (worker.found.records.empty() && !finished) return;
    Job& job = *worker.job;
    AcquireSRWLockExclusive(&lock_);
    if (!worker.found.records.empty()) {
        const size_t bytes = worker.found.Bytes();
        job.found.push_back(std::move(worker.found));
        job.heldBytes += bytes;
        heldBytes_ += bytes;
        worker.found = TakeSpare();
    }
    job.done = finished;
    // The walk's thread waits for the oldest file alone.
    if (job.index == written_) WakeAllConditionVariable(&jobDone_);
    while (!finished && !cancelled_.load(std::memory_order_relaxed) &&
           (job.index == written_ ? job.heldBytes >= kOldestHeldBytes : heldBytes_ >= kHeldBytes))
        SleepConditionVariableSRW(&roomCame_, &lock_, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock_);
    worker.found.Clear();
    worker.handedAt = GetTickCount64();
}

// An emptied record buffer, under the lock: a spare one while there is one.
RecordBuffer FilePool::TakeSpare() {
    if (spare_.empty()) return RecordBuffer();
    RecordBuffer spare = std::move(spare_.back());
    spare_.pop_back();
    return spare;
}

void FilePool::Work(Worker& worker) {
    static const std::wstring kNoFolder;
    AcquireSRWLockExclusive(&lock_);
    for (;;) {
        while (!closing_ && taken_ == added_)
            SleepConditionVariableSRW(&workCame_, &lock_, INFINITE, 0);
        if (closing_) break;
        Job& job = SlotOf(taken_++);
        if (job.done) continue;  // a skipped path of the walk's, nothing to search
        ReleaseSRWLockExclusive(&lock_);

        worker.job = &job;
        wchar_t* text = job.statusText.data();
        try {
            SearchRun& search = worker.search;
            // The outcome as it is: a file passed by is not counted as searched.
            job.result = search.progress.AtEntry(kNoFolder, text)
                             ? SearchFileOrInside(job.path, search, text)
                             : kFileFailed;
        } catch (...) {
            job.threw = true;
            job.result = 0;
        }
        HandOver(worker, true);
        AcquireSRWLockExclusive(&lock_);
    }
    ReleaseSRWLockExclusive(&lock_);
}

int FilePool::Add(const std::wstring& path, wchar_t* statusText) {
    Job* job = NextJob(statusText);
    if (job == nullptr) return 0;
    job->path = path;
    AcquireSRWLockExclusive(&lock_);
    ++added_;
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&workCame_);
    return 1;
}

int FilePool::AddSkipped(const wchar_t* path, const wchar_t* reason, wchar_t* statusText) {
    Job* job = NextJob(statusText);
    if (job == nullptr) return 0;
    job->path.clear();
    job->found.emplace_back();
    job->found.back().AddSkipped(path, reason);
    job->result = kFilePassedBy;
    AcquireSRWLockExclusive(&lock_);
    job->heldBytes = job->found.back().Bytes();
    heldBytes_ += job->heldBytes;
    job->done = true;
    ++added_;
    ReleaseSRWLockExclusive(&lock_);
    return 1;
}

// A free slot for the next job, made empty; null when writing the files
// before it failed or stopped the run.
FilePool::Job* FilePool::NextJob(wchar_t* statusText) {
    const long long room = static_cast<long long>(slots_.size()) - 1;
    if (!WriteUpTo(added_ - room, statusText)) {
        failed_ = true;
        return nullptr;
    }
    Job& job = SlotOf(added_);
    job.index = added_;
    job.found.clear();
    job.memberPath.clear();
    job.heldBytes = 0;
    job.result = 0;
    job.threw = false;
    job.done = false;
    return &job;
}

int FilePool::Drain(wchar_t* statusText) {
    failed_ = failed_ || !WriteUpTo(added_, statusText);
    return !failed_;
}

// Writes, in order, the records that the oldest file in flight has handed
// over, and every file before index `until`, waiting for them as long as
// needed. The caller's progress is looked at after each file and each
// wait, as the walk looks at it after each entry, and between records.
int FilePool::WriteUpTo(long long until, wchar_t* statusText) {
    while (written_ < added_) {
        Job& job = SlotOf(written_);
        AcquireSRWLockExclusive(&lock_);
        if (!job.done && job.found.empty() && written_ < until)
            SleepConditionVariableSRW(&jobDone_, &lock_, kWaitMs, 0);
        handedOver_.swap(job.found);
        const bool done = job.done;
        ReleaseSRWLockExclusive(&lock_);
        if (!WriteHandedOver(job, statusText)) return 0;
        if (done) {
            if (!EndJob(job, statusText)) return 0;
            AcquireSRWLockExclusive(&lock_);
            ++written_;  // the next file is the oldest now
            ReleaseSRWLockExclusive(&lock_);
            WakeAllConditionVariable(&roomCame_);
        }
        if (!run_.progress.Waiting(statusText)) return 0;
        // No more than needed: the walk's next entry is the next chance to
        // look, as it is between two files on one thread.
        if (written_ >= until) return 1;
    }
    return 1;
}

// Writes the records in handedOver_, which `job` handed over, and gives
// the room they took back to the workers.
int FilePool::WriteHandedOver(Job& job, wchar_t* statusText) {
    if (handedOver_.empty()) return 1;
    int ok = 1;
    size_t bytes = 0;
    for (const RecordBuffer& found : handedOver_) {
        bytes += found.Bytes();
        for (size_t i = 0; ok && i < found.records.size(); ++i) {
            const BufferedRecord& record = found.records[i];
            const std::wstring& path = job.memberPath.empty() ? job.path : job.memberPath;
            switch (record.kind) {
            case Buffered::Path: {
                const Line named = found.LineOf(record);
                job.memberPath.assign(named.start, named.length);
                break;
            }
            case Buffered::Searched: run_.progress.FileSearched(); break;
            case Buffered::Skipped:
                ok = AskSkipped(run_, found.PathOf(record), found.ReasonOf(record), statusText);
                break;
            case Buffered::Record:
                ok = AppendRecord(run_, path.c_str(), path.size(), record.number,
                                  found.LineOf(record), statusText);
                break;
            }
            if (ok && (i + 1) % kRecordsBetweenLooks == 0) ok = run_.progress.Waiting(statusText);
        }
    }
    for (RecordBuffer& found : handedOver_) found.Clear();
    AcquireSRWLockExclusive(&lock_);
    job.heldBytes -= bytes;
    heldBytes_ -= bytes;
    for (RecordBuffer& found : handedOver_)
        if (found.lines.capacity() <= kSpareUnits && spare_.size() < workers_.size())
            spare_.push_back(std::move(found));
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&roomCame_);
    handedOver_.clear();
    return ok;
}

// The end of a file whose records are written: its failure, if it failed,
// is the run's.
int FilePool::EndJob(Job& job, wchar_t* statusText) {
    if (job.threw) throw std::bad_alloc();
    if (job.result == kFileFailed) {
        wcscpy_s(statusText, textRoom_, job.statusText.data());
        return 0;
    }
    if (job.result == kFileSearched) run_.progress.FileSearched();
    return 1;
}

int SearchFile(SearchRun& run, const std::wstring& path, wchar_t* statusText) {
    if (run.pool != nullptr) return run.pool->Add(path, statusText);
    const int searched = SearchFileOrInside(path, run, statusText);
    if (searched == kFileSearched) run.progress.FileSearched();
    return searched != kFileFailed;
}

int FinishFiles(SearchRun& run, int walked, wchar_t* statusText) {
    if (run.pool == nullptr || run.progress.stopped()) return walked;
    run.progress.AtStartFolder();  // the walk's folders are gone
    if (walked) return run.pool->Drain(statusText);
    if (run.pool->failed()) return 0;  // a file or a write failed: its text stands
    // The files before the walk's failure come first.
    const std::wstring failure = statusText;
    if (!run.pool->Drain(statusText)) return 0;
    status::CopyBounded(statusText, status::Room(), failure.c_str(), failure.size());
    return 0;
}
