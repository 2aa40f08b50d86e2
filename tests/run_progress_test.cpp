// FnLookForProgress: what its callback hears, and what a stop leaves in the
// results file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Tessumi.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const std::wstring kBom = L"\xFEFF";
// Finds the hits; on a line of a's alone the matcher backtracks for about
// 30 ms, so that a file with a few such lines takes longer than the
// library's interval between two calls and every chance to call is taken.
const wchar_t kPattern[] = L"hit|(a*)*\\1[b]";
const std::string kSlowLine = std::string(10, 'a') + "\r\n";

struct Call {
    long long files;
    long long hits;
    std::wstring folder;
};

struct Listener {
    std::vector<Call> calls;
    size_t stopAt = 0;  // 1-based call that answers "stop"; 0: never
    bool stopAtFirstHits = false;
    long long stopAtHits = -1;  // the first call that hears this many hits stops
};

int CALLBACK Listen(long long files, long long hits, const wchar_t* folder, void* context) {
    auto* l = static_cast<Listener*>(context);
    l->calls.push_back({files, hits, folder});
    return l->calls.size() == l->stopAt || (l->stopAtFirstHits && hits > 0) ||
                   hits == l->stopAtHits
               ? 0
               : 1;
}

class RunProgressTest : public ::testing::Test {
protected:
    // Twelve files of three hits each, four of them in a subfolder.
    void MakeTree() {
        MakeDir(tree / L"sub");
        for (int i = 0; i < 12; ++i) {
            std::wstring name = (i < 4 ? L"sub\\f" : L"f") + std::to_wstring(i) + L".txt";
            WriteBytes(tree / name,
                       "hit a\r\nmiss\r\nhit b\r\nhit c\r\n" + kSlowLine + kSlowLine + kSlowLine);
        }
    }

    // The whole run's records, from a run without a callback.
    std::wstring FullResults() {
        EXPECT_EQ(FnLookFor(tree.path().c_str(), full.c_str(), L"", kPattern, status), 1);
        return ReadText(full);
    }

    // threads 0: FnLookForProgress's default pool; 1: the calls of one thread, which the
    // counts of files and calls below describe (file_pool_test covers the pool's stops).
    int RunWith(Listener& l, int threads = 0) {
        const TessumiOptions options = {sizeof options, 0, nullptr, threads};
        return FnLookForOptions(tree.path().c_str(), results.c_str(), L"", kPattern, &options,
                                Listen, nullptr, &l, status);
    }

    TempDir tree;
    TempDir out;
    std::wstring results = out / L"results.txt";
    std::wstring full = out / L"full.txt";
    wchar_t status[256];
};

// The first `hits` records of a results text, byte-order mark included.
std::wstring FirstRecords(const std::wstring& text, long long hits) {
    size_t at = 1;  // after the byte-order mark
    for (long long k = 0; k < hits; ++k) {
        at = text.find(L"\r\n\t(", at);  // the record's second line
        at = text.find(L"\r\n", at + 2);
        if (at == std::wstring::npos) return L"<fewer records>";
        at += 2;
    }
    return text.substr(0, at);
}

TEST_F(RunProgressTest, CallbackHearsGrowingCountsAndTheFinalTotals) {
    MakeTree();
    const std::wstring expected = FullResults();
    Listener l;
    ASSERT_EQ(RunWith(l, 1), 1) << Show(status);
    EXPECT_EQ(std::wstring(status), L"正常です");
    EXPECT_EQ(ReadText(results), expected) << "the same results as FnLookFor";

    ASSERT_GE(l.calls.size(), 13u);
    EXPECT_EQ(l.calls.front().files, 0);
    EXPECT_EQ(l.calls.front().hits, 0);
    EXPECT_EQ(l.calls.front().folder, tree.path());
    EXPECT_EQ(l.calls.back().files, 12);
    EXPECT_EQ(l.calls.back().hits, 36);
    bool sawSub = false;
    for (size_t i = 1; i < l.calls.size(); ++i) {
        EXPECT_GE(l.calls[i].files, l.calls[i - 1].files) << i;
        EXPECT_GE(l.calls[i].hits, l.calls[i - 1].hits) << i;
        EXPECT_LE(l.calls[i].files, l.calls[i - 1].files + 1) << "a call at every file " << i;
        sawSub = sawSub || l.calls[i].folder == tree / L"sub";
        EXPECT_TRUE(l.calls[i].folder == tree.path() || l.calls[i].folder == tree / L"sub")
            << Show(l.calls[i].folder);
    }
    EXPECT_TRUE(sawSub);
}

TEST_F(RunProgressTest, StopAtTheNthCallKeepsExactlyTheRecordsFoundBeforeIt) {
    MakeTree();
    const std::wstring expected = FullResults();
    Listener all;
    ASSERT_EQ(RunWith(all, 1), 1);
    // How many calls a run makes depends on the machine's pace (a call
    // inside a file once its interval has passed): the last stop is the
    // first call that hears every hit, wherever it falls.
    const size_t last = all.calls.size();
    for (size_t n : {size_t{1}, size_t{6}, last / 2 + 1, last}) {
        SCOPED_TRACE(n);
        Listener l;
        if (n == last)
            l.stopAtHits = 36;
        else
            l.stopAt = n;
        ASSERT_EQ(RunWith(l, 1), 0);
        EXPECT_EQ(std::wstring(status), L"検索を中止しました");
        if (n != last) ASSERT_EQ(l.calls.size(), n) << "no call after the stop";
        const long long hits = l.calls.back().hits;
        EXPECT_EQ(ReadText(results), FirstRecords(expected, hits)) << hits << " hits";
        if (n == 1) {
            EXPECT_EQ(hits, 0);
        } else if (n == last) {
            EXPECT_EQ(hits, 36);
        } else {
            EXPECT_GT(hits, 0);
            EXPECT_LT(hits, 36);
        }
    }
}

TEST_F(RunProgressTest, ABigFileIsStoppedInsideIt) {
    // 200,000 lines, every third a hit, and slow lines among them: far more
    // text and time than the library takes between two looks at the clock.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += i % 3 == 0 ? "line hit\r\n" : i % 20000 == 1 ? kSlowLine : "line\r\n";
    WriteBytes(tree / L"big.txt", text);
    const std::wstring expected = FullResults();
    Listener l;
    l.stopAtFirstHits = true;
    ASSERT_EQ(RunWith(l), 0);
    EXPECT_EQ(std::wstring(status), L"検索を中止しました");
    const Call& stop = l.calls.back();
    EXPECT_EQ(stop.files, 0) << "stopped while the file was searched";
    EXPECT_GT(stop.hits, 0);
    EXPECT_LT(stop.hits, 66667);
    EXPECT_EQ(ReadText(results), FirstRecords(expected, stop.hits));
}

}  // namespace
