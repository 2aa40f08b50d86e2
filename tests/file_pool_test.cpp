// Files searched on 1, 2 and 8 threads: the results file, the status text
// and the return value are those of one thread, through failures and stops.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "file_pool.h"
#include "handle_owner.h"
#include "search_run.h"
#include "test_support.h"
#include "writer.h"

using namespace testing_support;

namespace {

const int kThreadCounts[] = {1, 2, 8};
const DWORD kPatienceMs = 120000;  // a run that takes longer is taken for a deadlock

// The return value, the status text and the results file's bytes.
using Outcome = std::tuple<int, std::wstring, std::string>;

struct Stopper {
    int callsLeft;  // the call that comes after these answers "stop"
    long long hits = -1;
};

int CALLBACK StopLater(long long, long long hits, const wchar_t*, void* context) {
    auto* s = static_cast<Stopper*>(context);
    s->hits = hits;
    Sleep(60);  // longer than the interval: every chance to call is taken
    return s->callsLeft-- > 0;
}

int writesLeft = -1;  // writes that go through before every write fails; -1: all do
BOOL WINAPI FailingWrite(HANDLE f, LPCVOID d, DWORD n, LPDWORD done, LPOVERLAPPED o) {
    if (writesLeft == 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    if (writesLeft > 0) --writesLeft;
    return WriteFile(f, d, n, done, o);
}

// One run on a thread of its own, so that a run that never ends fails the
// test instead of hanging it.
Outcome Search(const std::wstring& tree, const std::wstring& results, const wchar_t* pattern2,
               int threads, Stopper* stopper = nullptr, int writes = -1,
               const wchar_t* pattern1 = L"") {
    struct Call {
        const std::wstring &tree, &results;
        const wchar_t *pattern1, *pattern2;
        int threads;
        Stopper* stopper;
        wchar_t status[256];
        int result;
    } call{tree, results, pattern1, pattern2, threads, stopper, {}, -1};
    writesLeft = writes;
    writeFileCall = FailingWrite;
    FileHandle thread(CreateThread(nullptr, 0, [](void* p) -> DWORD {
        auto& c = *static_cast<Call*>(p);
        c.result = LookForWithThreads(c.tree.c_str(), c.results.c_str(), c.pattern1, c.pattern2,
                                      c.stopper ? StopLater : nullptr, c.stopper, c.threads,
                                      c.status);
        return 0;
    }, &call, 0, nullptr));
    if (WaitForSingleObject(thread.get(), kPatienceMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "a run on %d threads did not end\n", threads);
        ExitProcess(3);
    }
    writeFileCall = WriteFile;
    return Outcome(call.result, call.status, ReadBytes(results));
}

// Folders two deep, many small files and a few of several megabytes, in
// Shift_JIS, UTF-8 and UTF-16.
void MakeTree(const TempDir& tree, std::mt19937& rng, int files, int big) {
    const wchar_t* words[] = {L"alpha ", L"needle ", L"図書館 ", L"x", L"\r\n", L"\n"};
    for (int i = 0; i < files; ++i) {
        std::wstring folder = L"d" + std::to_wstring(rng() % 5);
        MakeDir(tree / folder);
        if (rng() % 2) MakeDir(tree / (folder += L"\\e" + std::to_wstring(rng() % 3)));
        std::wstring text;
        for (size_t n = (i < big ? 600000 : 1 + rng() % 60); n > 0; --n) text += words[rng() % 6];
        const int kind = static_cast<int>(rng() % 3);
        WriteBytes(tree / (folder + L"\\f" + std::to_wstring(i) + L".txt"),
                   kind == 0 ? SjisBytes(text) : kind == 1 ? Utf16Bytes(L"\xFEFF" + text)
                                                           : "\xEF\xBB\xBF" + Utf8Bytes(text));
    }
}

class FilePoolTest : public ::testing::Test {
protected:
    TempDir tree, out;
    std::wstring results = out / L"results.txt";
};

TEST_F(FilePoolTest, EveryThreadCountWritesWhatOneThreadWrites) {
    std::mt19937 rng(26);
    MakeTree(tree, rng, 400, 3);
    MakeDir(tree / L"d2");
    const std::wstring locked = tree / L"d2\\locked.txt";
    WriteBytes(locked, "needle\r\n");
    // Pattern 1 takes every .txt file, and more steps than allowed at a
    // path in a folder that the walk lists last.
    const std::wstring slow = L"z" + std::wstring(50, L'a');
    MakeDir(tree / slow);
    WriteBytes(tree / (slow + L"\\f.txt"), "needle");
    ASSERT_EQ(Listing(tree.path()).back(), slow);
    struct Row {
        const char* name;
        bool lock;   // a file mid-walk that can't be opened
        int writes;  // writes before the results file's volume is full; -1: never
        const wchar_t* pattern1;
        int result;
    } rows[] = {{"whole run", false, -1, L"", 1},
                {"a file that can't be opened", true, -1, L"", 0},
                {"the results file's volume full", false, 40, L"", 0},
                {"pattern 1 beyond its limits mid-walk", false, -1, L"\\.txt$|(a|a)*\\1x", 0}};
    for (const Row& row : rows) {
        FileHandle hold(row.lock ? CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE);
        const Outcome one =
            Search(tree.path(), results, L"needle|図書館", 1, nullptr, row.writes, row.pattern1);
        const std::wstring& status = std::get<1>(one);
        EXPECT_EQ(std::get<0>(one), row.result) << row.name << ": " << Show(status);
        if (row.result == 1) EXPECT_GT(std::get<2>(one).size(), 40000u);
        if (row.lock) EXPECT_NE(status.find(locked), std::wstring::npos) << Show(status);
        for (int threads : kThreadCounts)
            EXPECT_TRUE(Search(tree.path(), results, L"needle|図書館", threads, nullptr,
                               row.writes, row.pattern1) == one)
                << row.name << " on " << threads << " threads";
    }
}

TEST_F(FilePoolTest, StopLeavesTheWholeRecordsOfAPrefix) {
    std::mt19937 rng(7);
    MakeTree(tree, rng, 300, 4);
    const std::string whole = std::get<2>(Search(tree.path(), results, L"needle", 1));
    for (int threads : kThreadCounts) {
        for (int calls : {1, 3}) {
            Stopper stopper{calls};
            const Outcome o = Search(tree.path(), results, L"needle", threads, &stopper);
            EXPECT_EQ(o, Outcome(0, L"検索を中止しました", whole.substr(0, std::get<2>(o).size())));
            const std::wstring text = ReadText(results);
            size_t records = 0;
            for (size_t at = 0; (at = text.find(L"\r\n\t(", at)) != std::wstring::npos; ++at)
                ++records;
            EXPECT_EQ(static_cast<long long>(records), stopper.hits) << threads << " threads";
            EXPECT_TRUE(text.size() == 1 || text.compare(text.size() - 2, 2, L"\r\n") == 0);
        }
    }
}

TEST_F(FilePoolTest, RandomTreesGiveTheSameResultsOnOneAndEightThreads) {
    const wchar_t* patterns[] = {L"needle", L"^x*$", L"館\\s", L"a.p", L"^$"};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TempDir random;
        std::mt19937 rng(seed);
        MakeTree(random, rng, 20 + rng() % 200, rng() % 2);
        const wchar_t* pattern = patterns[seed % 5];
        EXPECT_TRUE(Search(random.path(), results, pattern, 1) ==
                    Search(random.path(), results, pattern, 8))
            << "seed " << seed << " pattern " << Show(pattern);
    }
}

TEST(SearchThreads, DefaultIsTheProcessorsUpToSixteenAndAnyAskIsKeptInBounds) {
    const struct { int asked, processors, threads; } rows[] = {
        {0, 1, 1}, {0, 2, 2}, {0, 16, 16}, {0, 64, 16}, {0, 0, 1},
        {1, 8, 1}, {8, 2, 8}, {17, 2, 16}, {-1, 8, 1}};
    for (const auto& r : rows)
        EXPECT_EQ(SearchThreadsFor(r.asked, r.processors), r.threads) << r.asked << " " << r.processors;
}

}  // namespace
