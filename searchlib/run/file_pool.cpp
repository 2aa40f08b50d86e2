#include "file_pool.h"

#include <cwchar>
#include <new>

#include "handle_owner.h"
#include "lines.h"
#include "record_buffer.h"
#include "status_text.h"

namespace {

// While the walk's thread waits for a file, it wakes this often to tell
// the caller's progress callback how the run goes.
constexpr DWORD kWaitMs = static_cast<DWORD>(RunProgress::kIntervalMs);

// Files in flight, handed over and not yet written, for each worker: one
// being searched and one waiting, so that no worker idles while the walk
// lists the next folder.
constexpr int kFilesPerWorker = 2;

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

// The status text, kept while later steps may overwrite it.
struct SavedText {
    explicit SavedText(const wchar_t* text) { wcscpy_s(units, status::kUnits, text); }
    wchar_t units[status::kUnits];
};

}  // namespace

int DefaultSearchThreads() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    const int processors = static_cast<int>(info.dwNumberOfProcessors);
    return processors < 1 ? 1 : processors > kMaxSearchThreads ? kMaxSearchThreads : processors;
}

int SearchThreadsFor(int asked) {
    if (asked == 0) return DefaultSearchThreads();
    return asked < 1 ? 1 : asked > kMaxSearchThreads ? kMaxSearchThreads : asked;
}

// One file handed over: filled by the walk's thread, searched by a worker,
// written and emptied by the walk's thread.
struct FilePool::Job {
    std::wstring path;
    RecordBuffer records;
    int result = 0;
    bool threw = false;  // memory ran out: the walk's thread throws again at its turn
    bool done = false;   // under the lock
    wchar_t statusText[status::kUnits];
};

struct FilePool::Worker {
    Worker(FilePool& owner, const SearchRun& run)
        : pool(owner),
          search(INVALID_HANDLE_VALUE, run.resultsName, run.pathPattern.text().c_str(),
                 run.linePattern.text().c_str(), WorkerLook, &owner) {}
    FilePool& pool;
    SearchRun search;  // never writes: its records go to the job's buffer
    ThreadHandle thread;
};

FilePool::FilePool(SearchRun& run, int threads) : run_(run) {
    const SIZE_T reserve = CallerStackReserve();
    for (int i = 0; i < threads; ++i) {
        auto worker = std::make_unique<Worker>(*this, run);
        worker->thread.reset(CreateThread(nullptr, reserve, WorkerMain, worker.get(),
                                          STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
        if (!worker->thread.valid()) break;
        workers_.push_back(std::move(worker));
    }
    slots_.resize(workers_.size() * kFilesPerWorker);
    for (auto& slot : slots_) slot = std::make_unique<Job>();
}

FilePool::~FilePool() { Stop(); }

void FilePool::Stop() {
    cancelled_ = true;
    AcquireSRWLockExclusive(&lock_);
    closing_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&workCame_);
    for (auto& worker : workers_) WaitForSingleObject(worker->thread.get(), INFINITE);
}

FilePool::Job& FilePool::SlotOf(long long index) {
    return *slots_[static_cast<size_t>(index % static_cast<long long>(slots_.size()))];
}

DWORD WINAPI FilePool::WorkerMain(void* worker) {
    Worker& w = *static_cast<Worker*>(worker);
    w.pool.Work(w);
    return 0;
}

int CALLBACK FilePool::WorkerLook(long long, long long, const wchar_t*, void* pool) {
    return !static_cast<FilePool*>(pool)->cancelled_.load(std::memory_order_relaxed);
}

void FilePool::Work(Worker& worker) {
    static const std::wstring kNoFolder;
    AcquireSRWLockExclusive(&lock_);
    for (;;) {
        while (!closing_ && taken_ == added_)
            SleepConditionVariableSRW(&workCame_, &lock_, INFINITE, 0);
        if (closing_) break;
        Job& job = SlotOf(taken_++);
        ReleaseSRWLockExclusive(&lock_);

        SearchRun& search = worker.search;
        search.records = &job.records;
        try {
            job.result = search.progress.AtEntry(kNoFolder, job.statusText) &&
                         FnSearchLines(job.path.c_str(), job.path.size(), search, job.statusText);
        } catch (...) {
            job.threw = true;
            job.result = 0;
        }

        AcquireSRWLockExclusive(&lock_);
        job.done = true;
        WakeAllConditionVariable(&jobDone_);
    }
    ReleaseSRWLockExclusive(&lock_);
}

int FilePool::Add(const std::wstring& path, wchar_t* statusText) {
    const long long room = static_cast<long long>(slots_.size()) - 1;
    if (!WriteUpTo(added_ - room, statusText)) return 0;
    Job& job = SlotOf(added_);
    job.path = path;
    job.records.Clear();
    job.result = 0;
    job.threw = false;
    job.done = false;
    AcquireSRWLockExclusive(&lock_);
    ++added_;
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&workCame_);
    return 1;
}

int FilePool::Drain(wchar_t* statusText) { return WriteUpTo(added_, statusText); }

// Writes, in order, every file that is done and, waiting as long as needed,
// every file before index `until`.
int FilePool::WriteUpTo(long long until, wchar_t* statusText) {
    while (written_ < added_) {
        AcquireSRWLockExclusive(&lock_);
        Job& job = SlotOf(written_);
        if (!job.done && written_ < until)
            SleepConditionVariableSRW(&jobDone_, &lock_, kWaitMs, 0);
        const bool done = job.done;
        ReleaseSRWLockExclusive(&lock_);
        if (done) {
            if (!WriteJob(job, statusText)) return 0;
            ++written_;
        } else if (written_ >= until) {
            return 1;
        } else if (!run_.progress.Waiting(statusText)) {
            return 0;
        }
    }
    return 1;
}

// What searching the file on this thread would have done to the block and
// the counts, and its failure.
int FilePool::WriteJob(Job& job, wchar_t* statusText) {
    for (const BufferedRecord& record : job.records.records) {
        if (!AppendRecord(run_, job.path.c_str(), job.path.size(), record.number,
                          job.records.LineOf(record), statusText))
            return 0;
    }
    if (job.threw) throw std::bad_alloc();
    if (!job.result) {
        wcscpy_s(statusText, status::kUnits, job.statusText);
        return 0;
    }
    run_.progress.FileSearched();
    return 1;
}

int SearchFile(SearchRun& run, const std::wstring& path, wchar_t* statusText) {
    if (run.pool != nullptr) return run.pool->Add(path, statusText);
    if (!FnSearchLines(path.c_str(), path.size(), run, statusText)) return 0;
    run.progress.FileSearched();
    return 1;
}

int FinishFiles(SearchRun& run, int walked, wchar_t* statusText) {
    if (run.pool == nullptr || run.progress.stopped()) return walked;
    run.progress.AtStartFolder();  // the walk's folders are gone
    if (walked) return run.pool->Drain(statusText);
    // The files before the walk's failure come first.
    const SavedText failure(statusText);
    if (!run.pool->Drain(statusText)) return 0;
    wcscpy_s(statusText, status::kUnits, failure.units);
    return 0;
}
