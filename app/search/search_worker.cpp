#include "search_worker.h"

#include <atomic>
#include <chrono>
#include <memory>

#include "handle_owner.h"
#include "skip_kind.h"

namespace {

// A thread handle is closed like a file's.
using ThreadHandle = HandleOwner<FileHandleTraits>;

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Locked {
public:
    explicit Locked(CriticalSection& s) : s_(s) { s_.Enter(); }
    ~Locked() { s_.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& s_;
};

// Everything one run shares between the window's thread and its own.
struct Worker {
    HWND window = nullptr;
    UINT endedMessage = 0;
    SearchConditions conditions{};  // the run's own copy
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> reported{false};  // the first report came
    CriticalSection lock;
    SearchProgress latest;  // under lock
    SearchOutcome outcome;  // written by the run's thread before it posts
    ThreadHandle thread;
};

std::unique_ptr<Worker> g_worker;

int CALLBACK OnProgress(long long files, long long hits, const wchar_t* folder, void* context) {
    auto* w = static_cast<Worker*>(context);
    w->reported.store(true);
    {
        Locked locked(w->lock);
        w->latest.files = files;
        w->latest.hits = hits;
        w->latest.folder = folder;
    }
    if (!w->stopRequested.load()) return 1;
    w->outcome.stopped = true;
    return 0;
}

int CALLBACK OnSkipped(const wchar_t* path, const wchar_t* reason, void* context) {
    auto* w = static_cast<Worker*>(context);
    // Only this thread touches the outcome until the run has ended, and the
    // disk is asked here, off the window's thread. Out of memory, the entry
    // is lost but the count still grows.
    try {
        SkippedEntry entry{path ? path : L"", reason ? reason : L""};
        entry.lineRefused = IsLineRefusal(entry.path, KindOf);
        ++(entry.lineRefused ? w->outcome.refusedCount : w->outcome.skippedCount);
        w->outcome.skipped.push_back(std::move(entry));
    } catch (...) {
        ++w->outcome.skippedCount;
    }
    if (!w->stopRequested.load()) return 1;
    w->outcome.stopped = true;
    return 0;
}

DWORD WINAPI RunSearch(void* parameter) {
    auto* w = static_cast<Worker*>(parameter);
    const SearchConditions& c = w->conditions;
    const auto start = std::chrono::steady_clock::now();
    TessumiOptions options{};
    options.size = sizeof(options);
    options.flags = OptionFlags(c.options);
    options.excludedFolders = c.options.excludedFolders.c_str();
    options.statusTextUnits = kRunStatusTextUnits;
    std::vector<wchar_t> statusText(kRunStatusTextUnits, L'\0');
    w->outcome.result = FnLookForOptions(c.startFolder.c_str(), c.resultsFile.c_str(),
                                         c.pattern1.c_str(), c.pattern2.c_str(), &options,
                                         OnProgress, OnSkipped, w, statusText.data());
    w->outcome.statusText = statusText.data();
    w->outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    {
        Locked locked(w->lock);
        w->outcome.last = w->latest;
    }
    // Lost when the window is already gone; it then waits for this thread.
    PostMessageW(w->window, w->endedMessage, 0, 0);
    return 0;
}

}  // namespace

bool StartSearchWorker(HWND window, UINT endedMessage, const SearchConditions& conditions) {
    if (g_worker) return false;
    auto w = std::make_unique<Worker>();
    w->window = window;
    w->endedMessage = endedMessage;
    w->conditions = conditions;
    w->latest.folder = conditions.startFolder;
    // Stack size 0: the program's own default, as the window's thread has,
    // so the pattern tests reach their limits exactly where they did there.
    w->thread.reset(CreateThread(nullptr, 0, RunSearch, w.get(), 0, nullptr));
    if (!w->thread.valid()) return false;
    g_worker = std::move(w);
    return true;
}

bool SearchWorkerRunning() { return g_worker != nullptr; }

void RequestSearchStop() {
    if (g_worker) g_worker->stopRequested.store(true);
}

SearchProgress LatestSearchProgress() {
    if (!g_worker) return {};
    Locked locked(g_worker->lock);
    return g_worker->latest;
}

bool SearchResultsCreated() { return g_worker && g_worker->reported.load(); }

SearchOutcome JoinSearchWorker() {
    if (!g_worker) return {};
    WaitForSingleObject(g_worker->thread.get(), INFINITE);
    SearchOutcome outcome = g_worker->outcome;
    g_worker.reset();
    return outcome;
}
