// Files searched on 1, 2 and 8 threads give one thread's results, texts, return values and
// skipped calls.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "Tessumi.h"
#include "file_pool.h"
#include "handle_owner.h"
#include "test_support.h"
#include "writer.h"

using namespace testing_support;

namespace {

const int kThreadCounts[] = {1, 2, 8};

// The return value, status text, results file's bytes, skipped paths and final counts heard.
using Counts = std::pair<long long, long long>;
using Outcome = std::tuple<int, std::wstring, std::string, std::vector<std::wstring>, Counts>;

struct Query {
    const wchar_t* pattern2;
    int threads;
    const wchar_t* pattern1 = L"";
    int flags = 0;
    int writes = -1;  // writes before the results file's volume is full; -1: never
    int calls = -1;   // skipped calls before one answers "stop"; -1: never
    bool callbacks = true;  // false: both callbacks null
    int size = sizeof(TessumiOptions);
};

struct Heard {
    int callsLeft;
    Counts counts{-1, -1};
    std::vector<std::wstring> skipped;
};

int CALLBACK Progress(long long files, long long hits, const wchar_t*, void* context) {
    auto* h = static_cast<Heard*>(context);
    h->counts = {files, hits};
    Sleep(60);  // longer than the interval: every chance to call is taken
    return h->callsLeft-- != 0;
}

int CALLBACK Count(long long files, long long hits, const wchar_t*, void* context) {
    static_cast<Heard*>(context)->counts = {files, hits};
    return 1;
}

int CALLBACK Skipped(const wchar_t* path, const wchar_t*, void* context) {
    static_cast<Heard*>(context)->skipped.push_back(path);
    return static_cast<Heard*>(context)->callsLeft-- != 0;
}

TempDir out;
const std::wstring results = out / L"results.txt";

int writesLeft = -1;
BOOL WINAPI FailingWrite(HANDLE f, LPCVOID d, DWORD n, LPDWORD done, LPOVERLAPPED o) {
    return writesLeft-- == 0 ? (SetLastError(ERROR_DISK_FULL), FALSE) : WriteFile(f, d, n, done, o);
}

// One run on a thread of its own: a run that never ends fails the test.
Outcome Search(const std::wstring& tree, const Query& q, Heard* heard = nullptr) {
    Heard own{q.calls};
    struct Call {
        const std::wstring& tree;
        const Query& q;
        Heard& heard;
        wchar_t status[256];
        int result;
    } c{tree, q, heard ? *heard : own, {}, -1};
    writesLeft = q.writes;
    writeFileCall = FailingWrite;
    FileHandle thread(CreateThread(nullptr, 0, [](void* p) -> DWORD {
        auto& c = *static_cast<Call*>(p);
        const TessumiOptions options = {c.q.size, c.q.flags, nullptr, c.q.threads, 0};
        const bool noStop = c.q.flags & TESSUMI_KEEP_GOING || c.heard.callsLeft < 0;
        c.result = FnLookForOptions(c.tree.c_str(), results.c_str(), c.q.pattern1, c.q.pattern2,
                                    &options, !c.q.callbacks ? nullptr : noStop ? Count : Progress,
                                    c.q.callbacks ? Skipped : nullptr, &c.heard, c.status);
        return 0;
    }, &c, 0, nullptr));
    if (WaitForSingleObject(thread.get(), 120000) != WAIT_OBJECT_0) ExitProcess(3);
    writeFileCall = WriteFile;
    const bool totals = c.result == 1;  // the last call of a run that went through
    return Outcome(c.result, c.status, ReadBytes(results), c.heard.skipped,
                   totals ? c.heard.counts : Counts(-1, -1));
}

// Runs that went through write the same bytes. A run that failed wrote the
// blocks it had before its failure, and a run writes its block whenever it
// tells its progress, so the two hold whole records of one list, the one
// perhaps fewer than the other; all else is the same.
bool SameRun(const Outcome& a, const Outcome& b) {
    if (std::get<0>(a) == 1 || std::get<0>(b) == 1) return a == b;
    const std::string& x = std::get<2>(a);
    const std::string& y = std::get<2>(b);
    const std::string& shorter = x.size() < y.size() ? x : y;
    const std::string& longer = x.size() < y.size() ? y : x;
    const std::string recordEnd("\r\0\n\0", 4);
    const bool wholeRecords =
        shorter.size() == 2 ||
        (shorter.size() > 4 && shorter.compare(shorter.size() - 4, 4, recordEnd) == 0);
    return std::get<0>(a) == std::get<0>(b) && std::get<1>(a) == std::get<1>(b) &&
           std::get<3>(a) == std::get<3>(b) && std::get<4>(a) == std::get<4>(b) &&
           wholeRecords && longer.compare(0, shorter.size(), shorter) == 0;
}

// Folders two deep, many small files and a few big ones, in Shift_JIS, UTF-8 and UTF-16.
void MakeTree(const TempDir& tree, std::mt19937& rng, int files, int big) {
    const wchar_t* words[] = {L"alpha ", L"needle ", L"図書館 ", L"x", L"\r\n", L"\n"};
    for (int i = 0; i < files; ++i) {
        std::wstring folder = L"d" + std::to_wstring(rng() % 5);
        MakeDir(tree / folder);
        if (rng() % 2) MakeDir(tree / (folder += L"\\e" + std::to_wstring(rng() % 3)));
        std::wstring text;
        for (size_t n = (i < big ? 600000 : 1 + rng() % 60); n > 0; --n) text += words[rng() % 6];
        const unsigned kind = rng() % 3;
        WriteBytes(tree / (folder + L"\\f" + std::to_wstring(i) + L".txt"),
                   kind == 0 ? SjisBytes(text) : kind == 1 ? Utf16Bytes(L"\xFEFF" + text)
                                                           : "\xEF\xBB\xBF" + Utf8Bytes(text));
    }
}

TEST(FilePool, EveryThreadCountWritesWhatOneThreadWrites) {
    TempDir tree;
    std::mt19937 rng(26);
    MakeTree(tree, rng, 400, 3);
    std::vector<FileHandle> held(2);  // files mid-walk that can't be opened
    for (size_t i = 0; i < held.size(); ++i) {
        const std::wstring path = tree / (L"d" + std::to_wstring(i + 2) + L"\\locked.txt");
        WriteBytes(path, "needle\r\n");
        held[i].reset(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0));
    }
    WriteBytes(tree / L"d1\\bin.txt", std::string("needle\0\1", 8));  // binary
    // Pattern 1 takes every .txt file, and more steps than allowed at a
    // path in a folder that the walk lists last.
    const std::wstring slow = L"z" + std::wstring(50, L'a');
    MakeDir(tree / slow);
    WriteBytes(tree / (slow + L"\\f.txt"), "needle");
    ASSERT_EQ(Listing(tree.path()).back(), slow);
    const struct { const char* name; Query q; int result; } rows[] = {
        {"files that can't be opened", {L"needle|図書館", 1}, 0},
        {"keep going past them", {L"needle|図書館", 1, L"", TESSUMI_KEEP_GOING}, 1},
        {"binary files too", {L"needle", 1, L"", TESSUMI_KEEP_GOING | TESSUMI_SKIP_BINARY}, 1},
        {"no callbacks", {L"needle|図書館", 1, L"", TESSUMI_KEEP_GOING, -1, -1, false}, 1},
        {"three fields", {L"needle", 1, L"", TESSUMI_KEEP_GOING, -1, -1, false, 16}, 1},
        {"skipped callback stops", {L"needle|図書館", 1, L"", TESSUMI_KEEP_GOING, -1, 1}, 0},
        {"the results file's volume full", {L"needle|図書館", 1, L"", TESSUMI_KEEP_GOING, 40}, 0},
        {"pattern 1 beyond its limits mid-walk", {L"needle|図書館", 1, L"\\.txt$|(a|a)*\\1x"}, 0},
    };
    for (const auto& row : rows) {
        const Outcome one = Search(tree.path(), row.q);
        EXPECT_EQ(std::get<0>(one), row.result) << row.name << ": " << Show(std::get<1>(one));
        if (row.result == 1) EXPECT_GT(std::get<2>(one).size(), 40000u);
        for (Query q = row.q; q.threads <= 8; q.threads *= q.threads == 1 ? 2 : 4)
            EXPECT_TRUE(SameRun(Search(tree.path(), q), one)) << row.name << ", " << q.threads;
    }
}

TEST(FilePool, ProgressStopLeavesTheWholeRecordsOfAPrefix) {
    TempDir tree;
    std::mt19937 rng(7);
    MakeTree(tree, rng, 300, 4);
    Search(tree.path(), {L"needle", 1});
    const std::wstring whole = ReadText(results);
    for (int threads : kThreadCounts) {
        for (int calls : {1, 3}) {
            Heard heard{calls};
            const Outcome o = Search(tree.path(), {L"needle", threads}, &heard);
            EXPECT_EQ(std::get<1>(o), L"検索を中止しました");
            const std::wstring text = ReadText(results);  // whole records of a prefix
            EXPECT_EQ(text, whole.substr(0, text.size())) << threads << " threads";
            EXPECT_TRUE(text.size() == 1 || text.back() == L'\n');
            long long records = 0;
            for (size_t at = 0; (at = text.find(L"\r\n\t(", at)) != text.npos; ++at) ++records;
            EXPECT_EQ(records, heard.counts.second);
        }
    }
}

// Behind a slow file, a file of more hits than the pool holds unwritten: its worker waits
// for its turn, and a stop meanwhile ends the run with whole records.
TEST(FilePool, ManyHitsBehindASlowFile) {
    TempDir tree;
    std::string slow, hits;
    for (int i = 0; i < 40; ++i) slow += std::string(10, 'a') + "\r\n";
    for (int i = 0; i < 400000; ++i) hits += "hit " + std::to_string(i) + "\n";
    WriteBytes(tree / L"a.txt", slow);
    WriteBytes(tree / L"b.txt", hits);
    ASSERT_EQ(Listing(tree.path()).front(), L"a.txt");
    const wchar_t* pattern = L"hit|(a*)*\\1[b]";  // each line of a's takes the matcher long
    const Outcome one = Search(tree.path(), {pattern, 1});
    EXPECT_EQ(std::get<4>(one).second, 400000);
    for (int threads : {2, 8}) {
        EXPECT_TRUE(Search(tree.path(), {pattern, threads}) == one) << threads;
        Heard heard{3};
        EXPECT_EQ(std::get<1>(Search(tree.path(), {pattern, threads}, &heard)), L"検索を中止しました")
            << threads;
    }
}

TEST(FilePool, RandomTreesGiveTheSameResultsOnOneAndEightThreads) {
    const wchar_t* patterns[] = {L"needle", L"^x*$", L"館\\s", L"a.p", L"^$"};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TempDir random;
        std::mt19937 rng(seed);
        MakeTree(random, rng, 20 + rng() % 200, rng() % 2);
        const wchar_t* pattern = patterns[seed % 5];
        EXPECT_TRUE(Search(random.path(), {pattern, 1}) ==
                    Search(random.path(), {pattern, 8}))
            << "seed " << seed << " pattern " << Show(pattern);
    }
}

TEST(SearchThreads, DefaultIsTheProcessorsUpToSixteenAndAnyAskIsKeptInBounds) {
    const int rows[][3] = {{0, 1, 1}, {0, 2, 2}, {0, 16, 16}, {0, 64, 16}, {0, 0, 1}, {1, 8, 1},
                           {8, 2, 8}, {17, 2, 16}, {-1, 8, 1}};  // asked, processors, threads
    for (const auto& r : rows) EXPECT_EQ(SearchThreadsFor(r[0], r[1]), r[2]) << r[0];
}

}  // namespace
