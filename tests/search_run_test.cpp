// Whole search runs through the DLL on trees the tests build; results files
// compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "program_beside.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const std::wstring kBom = L"\xFEFF";

// A file held open for writing by another process, hold_file.exe beside
// this program, with the given share mode, until the holder is destroyed.
class HeldElsewhere {
public:
    HeldElsewhere(const std::wstring& path, DWORD share) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        CreatePipe(&childIn, &input_, &inherit, 0);
        CreatePipe(&output_, &childOut, &inherit, 0);
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        PROCESS_INFORMATION process = {};
        started_ = StartBeside(L"hold_file.exe", L"\"" + path + L"\" " + std::to_wstring(share),
                               childIn, childOut, &process);
        CloseHandle(childIn);
        CloseHandle(childOut);
        if (!started_) return;
        process_ = process.hProcess;
        CloseHandle(process.hThread);
        char said[4] = {};
        DWORD got = 0;
        held_ = ReadFile(output_, said, 4, &got, nullptr) && got == 4 &&
                std::string(said, 4) == "held";
    }
    ~HeldElsewhere() {
        CloseHandle(input_);  // the holder lets go when its input ends
        if (started_) {
            WaitForSingleObject(process_, 10000);
            CloseHandle(process_);
        }
        CloseHandle(output_);
    }
    bool held() const { return held_; }

private:
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    HANDLE process_ = nullptr;
    bool started_ = false;
    bool held_ = false;
};

class SearchRunTest : public ::testing::Test {
public:
    int Run(const std::wstring& start, const std::wstring& pattern1, const std::wstring& pattern2) {
        return FnLookFor(start.c_str(), results.c_str(), pattern1.c_str(), pattern2.c_str(), status);
    }
    std::wstring Status() const { return status; }

    TempDir tree;
    TempDir out;
    std::wstring results = out / L"results.txt";
    wchar_t status[256];
};

TEST_F(SearchRunTest, NothingMatchesGivesJustTheByteOrderMark) {
    WriteBytes(tree / L"a.txt", "alpha\r\nbeta\r\n");
    WriteBytes(results, "old results that must go");
    ASSERT_EQ(Run(tree.path(), L"", L"gamma"), 1);
    EXPECT_EQ(Status(), L"正常です");
    EXPECT_EQ(ReadBytes(results), "\xFF\xFE");

    ASSERT_EQ(Run(tree.path(), L"\\.csv$", L""), 1);
    EXPECT_EQ(ReadBytes(results), "\xFF\xFE");
}

TEST_F(SearchRunTest, MissingStartFolderLeavesTheResultsFileAsItWas) {
    WriteBytes(results, "old results that must stay");
    std::wstring missing = tree / L"missing";
    ASSERT_EQ(Run(missing, L"", L""), 0);
    EXPECT_EQ(Status(),
              missing + L"を検索することができません\n理由：" + SystemText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ReadBytes(results), "old results that must stay");
}

// Found before the results file is made: an earlier one stays as it was.
TEST_F(SearchRunTest, FailuresBeforeWritingLeaveTheResultsFileAsItWas) {
    const std::wstring file = tree / L"notes.txt", lead = L"を検索することができません\n理由：";
    WriteBytes(file, "TODO\r\n");
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW((file + L"\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
    const std::wstring fileAsFolder = file + lead + SystemText(GetLastError());
    const std::wstring notGiven = L" が指定されていません\n理由：" + SystemText(ERROR_INVALID_PARAMETER);
    auto no = [&](const wchar_t* argument) { return L"引数 " + std::wstring(argument) + notGiven; };
    const wchar_t *at = tree.path().c_str(), *r = results.c_str();
    auto look = [&](const wchar_t* start, const wchar_t* p1, const wchar_t* p2) {
        return [=](wchar_t* s) { return FnLookFor(start, r, p1, p2, s); };
    };
    struct Case {
        std::function<int(wchar_t*)> call;  // given the status buffer
        std::wstring expected;              // empty: none is given
    } cases[] = {
        {look(at, L"*.txt", L""), L"パターン１「*.txt」を正規表現として使うことができません\n理由："
                                  L"繰り返しの記号（*、+、?、{）の前に繰り返すものがありません"},
        {look(at, L"\\.csv$", L"(x"),
         L"パターン２「(x」を正規表現として使うことができません\n理由：( と ) の対応が取れていません"},
        {look(L"", L"", L""), lead + SystemText(ERROR_PATH_NOT_FOUND)},
        {look(file.c_str(), L"", L""), fileAsFolder},
        {look(nullptr, L"", L""), no(L"startFolder")},
        {look(at, L"", nullptr), no(L"pattern2")},
        {[&](wchar_t* s) { return FnLookFor(at, nullptr, L"", L"", s); }, no(L"resultsFile")},
        {look(at, L"", L""), L""},  // no status buffer
        {[&](wchar_t* s) { return SubReadText(r, nullptr, nullptr, 1, s); }, no(L"text")},
        {[&](wchar_t*) { return SubMessageOut(nullptr, nullptr); }, L""},
        {[&](wchar_t* s) { return FnBrowseForFolder(nullptr, nullptr, s); }, no(L"path")},
    };
    const std::string earlier("\xFF\xFE" "o\0l\0d\0", 8);
    for (const Case& c : cases) {
        WriteBytes(results, earlier);
        wchar_t text[256] = L"";
        EXPECT_EQ(c.call(c.expected.empty() ? nullptr : text), 0) << Show(c.expected);
        EXPECT_EQ(text, c.expected) << Show(text);
        EXPECT_EQ(ReadBytes(results), earlier);
    }
}

TEST_F(SearchRunTest, ResultsFileInAMissingFolderCannotBeCreated) {
    std::wstring bad = out / L"no-such\\results.txt";
    ASSERT_EQ(FnLookFor(tree.path().c_str(), bad.c_str(), L"", L"", status), 0);
    EXPECT_EQ(Status(), bad + L"の書き出しハンドルを作成することができません\n理由：" +
                            SystemText(ERROR_PATH_NOT_FOUND));
}

TEST_F(SearchRunTest, DepthFirstInListingOrderAndFoldersAreNotSearchedAsFiles) {
    MakeDir(tree / L"sub.txt");  // a folder whose name matches pattern 1
    WriteBytes(tree / L"one.txt", "hit one\r\n");
    WriteBytes(tree / L"sub.txt\\two.txt", "hit two\r\n");
    WriteBytes(tree / L"three.txt", "hit three\r\n");
    WriteBytes(tree / L"skip.dat", "hit never\r\n");
    ASSERT_EQ(Run(tree.path(), L"\\.txt$", L"hit"), 1) << Show(Status());

    std::wstring expected = kBom;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& folder) {
        for (const std::wstring& name : Listing(folder)) {
            std::wstring path = folder + L"\\" + name;
            if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
                walk(path);
            } else if (name != L"skip.dat") {
                std::wstring word = name.substr(0, name.size() - 4);
                expected += Record(path, 1, L"hit " + word);
            }
        }
    };
    walk(tree.path());
    EXPECT_EQ(ReadText(results), expected);
}

TEST_F(SearchRunTest, PatternOneIsTestedAgainstTheWholePath) {
    MakeDir(tree / L"keep");
    WriteBytes(tree / L"keep\\a.dat", "x\r\n");
    WriteBytes(tree / L"other.dat", "x\r\n");
    ASSERT_EQ(Run(tree.path(), L"\\\\keep\\\\", L"x"), 1);
    EXPECT_EQ(ReadText(results), kBom + Record(tree / L"keep\\a.dat", 1, L"x"));

    // Found in the start folder's own path: every file below it is selected.
    std::wstring leaf = tree.path().substr(tree.path().find_last_of(L'\\') + 1);
    ASSERT_EQ(Run(tree.path(), leaf, L"x"), 1);
    EXPECT_EQ(ReadText(results).size(), 1 + Record(tree / L"keep\\a.dat", 1, L"x").size() +
                                             Record(tree / L"other.dat", 1, L"x").size());
}

TEST_F(SearchRunTest, TrailingBackslashOnTheStartFolderIsKept) {
    WriteBytes(tree / L"a.txt", "x\r\n");
    ASSERT_EQ(Run(tree.path() + L"\\", L"", L"x"), 1);
    EXPECT_EQ(ReadText(results), kBom + Record(tree.path() + L"\\\\a.txt", 1, L"x"));
}

TEST_F(SearchRunTest, ShiftJisAndUtf16FilesWithAJapanesePattern) {
    WriteBytes(tree / L"sjis.txt", SjisBytes(L"今日は晴れ\r\n明日の天気は雨\r\n"));
    WriteBytes(tree / L"utf16.txt", "\xFF\xFE" + Utf16Bytes(L"天気予報\r\nなし\r\n"));
    ASSERT_EQ(Run(tree.path(), L"", L"天気"), 1);
    std::wstring expected = kBom;
    for (const std::wstring& name : Listing(tree.path())) {
        if (name == L"sjis.txt") expected += Record(tree / name, 2, L"明日の天気は雨");
        if (name == L"utf16.txt") expected += Record(tree / name, 1, L"天気予報");
    }
    EXPECT_EQ(ReadText(results), expected);
}

// Files as users have them, each searched on its own: every record holds its
// line as the file's encoding gives it, numbered as the line cutting gives.
TEST_F(SearchRunTest, EveryEncodingIsSearchedAsItsText) {
    auto bigEndian = [](const std::wstring& text) {
        std::string bytes = Utf16Bytes(text);
        for (size_t k = 0; k + 1 < bytes.size(); k += 2) std::swap(bytes[k], bytes[k + 1]);
        return "\xFE\xFF" + bytes;
    };
    struct Hit {
        int number;
        std::wstring line;
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring pattern;
        std::vector<Hit> hits;
    } cases[] = {
        {"UTF-8 with a mark, as Notepad saves it", "\xEF\xBB\xBF" "会議の資料\r\n明日の天気は晴れ\r\n",
         L"天気", {{2, L"明日の天気は晴れ"}}},
        {"UTF-8 without a mark", "# メモ\n東京の天気\n大阪\n", L"天気", {{2, L"東京の天気"}}},
        {"UTF-8 with CR, LF and CR LF mixed", "一行目\r二行目の天気\n\n三行目\r\n四行目も天気",
         L"天気", {{2, L"二行目の天気"}, {4, L"四行目も天気"}}},
        {"UTF-16BE", bigEndian(L"天気予報\r\n明日は晴れ\r\n"), L"天気|晴",
         {{1, L"天気予報"}, {2, L"明日は晴れ"}}},
        // 田中様 / お世話になっております。 / 明日の天気は雨なので、ｶｻをお持ちください。 /
        // -- 山田, in JIS X 0208 (ESC $ B and ESC $ @), half-width kana and JIS-Roman.
        {"ISO-2022-JP mail body",
         "\x1B$BEDCfMM\x1B(B\r\n\r\n\x1B$B$*@$OC$K$J$C$F$*$j$^$9!#\x1B(B\r\n"
         "\x1B$BL@F|$NE75$$O1+$J$N$G!\"\x1B(I6;\x1B$B$r$*;}$A$/$@$5$$!#\x1B(B\r\n"
         "\x1B(J-- \x1B$@;3ED\x1B(B\r\n",
         L"天気|山田", {{3, L"明日の天気は雨なので、ｶｻをお持ちください。"}, {4, L"-- 山田"}}},
        // 東京の天気は晴れです。 / 明日は雨でしょう。
        {"EUC-JP",
         "\xC5\xEC\xB5\xFE\xA4\xCE\xC5\xB7\xB5\xA4\xA4\xCF"
         "\xC0\xB2\xA4\xEC\xA4\xC7\xA4\xB9\xA1\xA3\n"
         "\xCC\xC0\xC6\xFC\xA4\xCF\xB1\xAB\xA4\xC7\xA4\xB7\xA4\xE7\xA4\xA6\xA1\xA3\n",
         L"天気|雨", {{1, L"東京の天気は晴れです。"}, {2, L"明日は雨でしょう。"}}},
        // Half-width kana only: valid EUC-JP too, but Shift_JIS comes first.
        {"Shift_JIS with half-width kana",
         "\xBA\xB0\xC4\xDE,\xC3\xDE\xB0\xC0\r\n0001,\xB1\xB2\xB3\xB4\r\n",
         L"ﾃﾞｰﾀ|ｱｲｳｴ", {{1, L"ｺｰﾄﾞ,ﾃﾞｰﾀ"}, {2, L"0001,ｱｲｳｴ"}}},
        {"ASCII", "int main(void)\n{\n    return weather;\n}\n", L"weather",
         {{3, L"    return weather;"}}},
        // A log cut inside its last character is still UTF-8.
        {"UTF-8 but for its last byte", "weather: 東京\r\nend\r\n\xE6", L"weather|\uFFFD",
         {{1, L"weather: 東京"}, {3, L"\xFFFD"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir one;
        std::wstring path = one / L"file.txt";
        WriteBytes(path, c.bytes);
        ASSERT_EQ(Run(one.path(), L"", c.pattern), 1) << Show(Status());
        std::wstring expected = kBom;
        for (const Hit& hit : c.hits) expected += Record(path, hit.number, hit.line);
        EXPECT_EQ(ReadText(results), expected) << Show(ReadText(results));
    }
}

TEST_F(SearchRunTest, ResultsOfManyBlocksAreExactAndHoldNoZero) {
    std::string text;
    std::wstring path = tree / L"big.txt";
    std::wstring expected = kBom;
    for (int i = 1; i <= 2000; ++i) {
        std::string line = "entry number " + std::to_string(i);
        text += line + "\r\n";
        expected += Record(path, i, std::wstring(line.begin(), line.end()));
    }
    WriteBytes(path, text);
    ASSERT_EQ(Run(tree.path(), L"", L"entry"), 1);
    std::wstring file = ReadText(results);
    EXPECT_GT(file.size(), 3 * 4095u);
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.find(L'\0'), std::wstring::npos);
}

TEST_F(SearchRunTest, FaultyPatternEndsTheRunBeforeTheResultsFileIsMade) {
    WriteBytes(tree / L"a.txt", "x\r\n");
    ASSERT_EQ(Run(tree.path(), L"*.txt", L"x"), 0);
    std::wstring text = Status();
    EXPECT_EQ(text.rfind(L"パターン１", 0), 0u) << Show(text);
    EXPECT_NE(text.find(L"*.txt"), std::wstring::npos);
    EXPECT_NE(text.find(L"\n理由："), std::wstring::npos);
    EXPECT_FALSE(FileExists(results));  // found before the file was made

    // A faulty pattern 2 is found before the walk, though no line meets it.
    ASSERT_EQ(Run(tree.path(), L"\\.csv$", L"(unclosed"), 0);
    EXPECT_EQ(Status().rfind(L"パターン２", 0), 0u) << Show(Status());
}

TEST_F(SearchRunTest, TheRunNeverSearchesItsOwnResultsFile) {
    WriteBytes(tree / L"a.txt", "needle\r\n");
    std::wstring inside = tree / L"results.txt";
    // Spelled differently from the listing: another case and a detour.
    std::wstring spelled = tree / L"..\\" +
                           tree.path().substr(tree.path().find_last_of(L'\\') + 1) +
                           L"\\RESULTS.TXT";
    ASSERT_EQ(FnLookFor(tree.path().c_str(), spelled.c_str(), L"", L"needle", status), 1)
        << Show(Status());
    EXPECT_EQ(ReadText(inside), kBom + Record(tree / L"a.txt", 1, L"needle"));
    // Named by its 8.3 name, which the walk's listing doesn't give.
    ASSERT_TRUE(MoveFileW(inside.c_str(), (tree / L"results of today.txt").c_str()));
    wchar_t name[MAX_PATH];
    ASSERT_NE(GetShortPathNameW((tree / L"results of today.txt").c_str(), name, MAX_PATH), 0u);
    ASSERT_EQ(FnLookFor(tree.path().c_str(), name, L"", L"needle", status), 1) << Show(Status());
}

TEST_F(SearchRunTest, UnreadableFileEndsTheRunWithTheLoadersText) {
    WriteBytes(tree / L"a.txt", "x\r\n");
    std::wstring held = tree / L"b.txt";
    WriteBytes(held, "x\r\n");
    HANDLE h = CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int result = Run(tree.path(), L"", L"x");
    CloseHandle(h);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Status(), held + L"の読み込みハンドルを作成することができません\n理由：" +
                            SystemText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadBytes(results), "");  // nothing had filled a block yet
}

// A live log that another program keeps open for writing, sharing it with
// readers, is searched; a file held without any sharing still ends the run
// with the loader's open-failure text.
TEST_F(SearchRunTest, FileHeldByAnotherProcessIsSearchedWhenItSharesReading) {
    WriteBytes(tree / L"a.txt", "x\r\n");
    const std::wstring live = tree / L"live.log";
    WriteBytes(live, "x from the log\r\n");
    {
        HeldElsewhere holder(live, FILE_SHARE_READ);
        ASSERT_TRUE(holder.held());
        ASSERT_EQ(Run(tree.path(), L"", L"x"), 1) << Show(Status());
    }
    EXPECT_EQ(ReadText(results),
              kBom + Record(tree / L"a.txt", 1, L"x") + Record(live, 1, L"x from the log"));
    {
        HeldElsewhere holder(live, 0);
        ASSERT_TRUE(holder.held());
        EXPECT_EQ(Run(tree.path(), L"", L"x"), 0);
    }
    EXPECT_EQ(Status(), live + L"の読み込みハンドルを作成することができません\n理由：" +
                            SystemText(ERROR_SHARING_VIOLATION));
}

// More than 300 characters deep, the results file at the bottom: records
// keep the paths as the walk built them, and the run passes its own file by.
TEST_F(SearchRunTest, TreeDeeperThanThreeHundredCharacters) {
    std::wstring deep = tree.path();
    while (deep.size() <= 300) {
        deep += L"\\" + std::wstring(40, L'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring file = deep + L"\\a.txt";
    WriteBytes(L"\\\\?\\" + file, "one\r\nhit two\r\n");
    const std::wstring deepResults = deep + L"\\results.txt";
    ASSERT_EQ(FnLookFor(tree.path().c_str(), deepResults.c_str(), L"a\\.txt$|results", L"hit",
                        status),
              1)
        << Show(Status());
    EXPECT_EQ(Status(), L"正常です");
    EXPECT_EQ(ReadText(L"\\\\?\\" + deepResults), kBom + Record(file, 2, L"hit two"));
}

// A recursive walk overflows this stack some 330 levels down. Not 3,000
// levels: under Wine they cost the cube of the depth (docs/wine-notes.md).
TEST_F(SearchRunTest, DeepTreeOnASmallStack) {
    std::wstring deep = L"\\\\?\\" + tree.path();
    for (int i = 0; i < 800; ++i)
        ASSERT_TRUE(CreateDirectoryW((deep += L"\\d").c_str(), nullptr));
    WriteBytes(deep + L"\\a.txt", "top\r\ndeep down\r\n");
    auto run = [](void* t) -> DWORD {
        auto* test = static_cast<SearchRunTest*>(t);
        return test->Run(test->tree.path(), L"", L"deep");
    };
    HANDLE thread = CreateThread(nullptr, 256 << 10, run, this,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    DWORD result = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 600000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &result) && result == 1) << Show(Status());
    CloseHandle(thread);
    EXPECT_EQ(ReadText(results), kBom + Record(deep.substr(4) + L"\\a.txt", 2, L"deep down"));
    DeleteFileW((deep + L"\\a.txt").c_str());  // deepest first: TempDir recurses
    for (; deep.size() > tree.path().size() + 4; deep.resize(deep.size() - 2))
        RemoveDirectoryW(deep.c_str());
}

// FnLookForOptions: the run with options, and what its callbacks heard.
class OptionsRunTest : public SearchRunTest {
protected:
    int RunWith(int flags, const std::wstring& pattern1, const std::wstring& pattern2,
                const wchar_t* excluded = nullptr) {
        skipped.clear();
        TessumiOptions options = {sizeof(TessumiOptions), flags, excluded};
        return FnLookForOptions(tree.path().c_str(), results.c_str(), pattern1.c_str(),
                                pattern2.c_str(), &options, Progress, Skipped, this, status);
    }
    // The files in the results, sorted, each once, as names below the tree.
    std::wstring FoundFiles() {
        std::wstring text = ReadText(results), found;
        std::vector<std::wstring> files;
        for (size_t at = 1; at < text.size();) {
            size_t end = text.find(L"\r\n", at), line = text.find(L"\r\n", end + 2);
            files.push_back(text.substr(at + tree.path().size() + 1, end - at - tree.path().size() - 1));
            at = line + 2;
        }
        std::sort(files.begin(), files.end());
        files.erase(std::unique(files.begin(), files.end()), files.end());
        for (const std::wstring& f : files) found += f + L" ";
        return found;
    }
    // The records of the results, each as its path and line.
    std::set<std::wstring> Records() {
        const std::wstring text = ReadText(results);
        std::set<std::wstring> records;
        for (size_t at = 1; at < text.size();) {
            const size_t end = text.find(L"\r\n", text.find(L"\r\n", at) + 2);
            records.insert(text.substr(at, end - at));
            at = end + 2;
        }
        return records;
    }
    static int CALLBACK Progress(long long, long long, const wchar_t*, void* self) {
        auto* t = static_cast<OptionsRunTest*>(self);
        t->calls.push_back({GetTickCount64(), 0});
        if (t->slowProgressMs) Sleep(t->slowProgressMs);
        t->calls.back().second = GetTickCount64();
        return 1;
    }
    static int CALLBACK Skipped(const wchar_t* path, const wchar_t* reason, void* self) {
        auto* t = static_cast<OptionsRunTest*>(self);
        t->skipped.push_back({path, reason});
        return t->goOnAfterSkip;
    }
    std::vector<std::pair<std::wstring, std::wstring>> skipped;
    std::vector<std::pair<ULONGLONG, ULONGLONG>> calls;  // each progress call's start and end
    DWORD slowProgressMs = 0;
    int goOnAfterSkip = 1;
};

// Each row: a line, a pattern, the folding flags and whether it is found;
// a found line is recorded as it is in the file.
TEST_F(OptionsRunTest, FoldingFindsWhatTheUserSeesAsTheSame) {
    const int C = TESSUMI_IGNORE_CASE, W = TESSUMI_IGNORE_WIDTH, K = TESSUMI_IGNORE_KANA;
    struct Row { const wchar_t* text; const wchar_t* pattern; int flags; bool found; };
    const Row rows[] = {
        {L"ＡＢＣ", L"abc", C | W, true},      {L"ＡＢＣ", L"abc", C, false},
        {L"ＡＢＣ", L"ａｂｃ", C, true},        {L"ｔｏｋｙｏ", L"TOKYO", C | W, true},
        {L"ｶﾞｷﾞ", L"ガギ", W, true},           {L"ガギ", L"ｶﾞｷﾞ", W, true},
        {L"ｶﾞｷﾞ", L"ガギ", 0, false},          {L"ﾊﾟﾝ", L"パン", W, true},
        {L"ﾊﾟﾝ", L"ハン", W, false},           {L"ひらがな", L"ヒラガナ", K, true},
        {L"ひらがな", L"ヒラガナ", W, false},  {L"東京\x3000駅", L"東京 駅", W, true},
        {L"アｶｶﾞ", L"カガ", W, true},          {L"xｶﾞy", L"ｶ", W, true},
        {L"Tokyo-2024", L"^[a-z]+-\\d+$", C, true}, {L"Tokyo-2024", L"^[a-z]+-\\d+$", 0, false},
        {L"ＴＯＫＹＯ", L"^[t][^A-Z]{4}$", C | W, false}, {L"ＴＯＫＹＯ", L"^[t][a-z]{4}$", C | W, true},
        {L"Tokyo TOKYO", L"(\\w+) \\1", C, true}, {L"\x212A\x03A3", L"k\x03C2", C, true},
        {L"ﾞ", L"゛", W, true},                {L"（注）", L"\\(注\\)", W, true},
        {L"MemCpy(a)", L"memcpy", C, true},    {L"ｍemcpy", L"memcpy", W, true},
        {L"MEMCPY", L"memcpy", W, false},      {L"a\x017Fk", L"SK", C, true},
        // What the line held without the option it still holds with it.
        {L"ｶﾞ", L"[ｶﾞ]", W, true},             {L"ｳﾞｧｲｵﾘﾝ", L"ﾞ", W, true},
        {L"ﾜﾞｲﾝ", L"\\uFF9C\\uFF9E", W, true}, {L"３３", L"^\\D\\D$", W, true},
        {L"３", L"\\d", W, true},              {L"３", L"\\d", 0, false},
    };
    for (const Row& r : rows) {
        const std::wstring text = std::wstring(L"x\r\n") + r.text + L"\r\n";
        // In UTF-16 and in UTF-8, which the line search reads on its bytes.
        for (const std::string& bytes : {"\xFF\xFE" + Utf16Bytes(text), Utf8Bytes(text)}) {
            WriteBytes(tree / L"a.txt", bytes);
            ASSERT_EQ(RunWith(r.flags, L"", r.pattern), 1) << Show(r.pattern) << Show(Status());
            EXPECT_EQ(ReadText(results), kBom + (r.found ? Record(tree / L"a.txt", 2, r.text) : L""))
                << Show(r.text) << " / " << Show(r.pattern) << " flags " << r.flags;
        }
    }
}

// Masks test the name alone; excluded folders are not walked at any depth.
TEST_F(OptionsRunTest, MasksAndExcludedFolders) {
    for (const wchar_t* name : {L"a.txt", L"b.md", L"C.TXT", L"d.txt.bak", L"noext", L"sub\\e.txt",
                                L"sub\\.git\\f.txt", L"node_modules\\g.md"}) {
        const std::wstring path = tree / name;
        MakeDir(path.substr(0, path.rfind(L'\\')));
        WriteBytes(path, "x\r\n");
    }
    struct Row { const wchar_t* masks; const wchar_t* excluded; const wchar_t* found; };
    const Row rows[] = {
        {L"*.txt", L"", L"C.TXT a.txt sub\\.git\\f.txt sub\\e.txt "},
        {L"*.txt; *.md", L".git;node_modules", L"C.TXT a.txt b.md sub\\e.txt "},
        {L"?.md;*.*", L"sub;NODE_*", L"C.TXT a.txt b.md d.txt.bak noext "},
        {L"", L"s?b", L"C.TXT a.txt b.md d.txt.bak node_modules\\g.md noext "},
        {L"*.tx", L"", L""},
        {L"sub*", L"", L""},
        {L" \x3000；", L".git", L"C.TXT a.txt b.md d.txt.bak node_modules\\g.md noext sub\\e.txt "},
        {L"*.", L"", L"noext "},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(RunWith(TESSUMI_PATTERN1_MASKS, r.masks, L"x", r.excluded), 1) << Show(Status());
        EXPECT_EQ(FoundFiles(), r.found) << Show(r.masks) << " / " << Show(r.excluded);
    }
}

// Look-alikes that Shift_JIS tables map differently find each other under
// width folding, both ways and in every encoding, and not without it.
TEST_F(OptionsRunTest, LookAlikesMeetUnderWidthFolding) {
    // The form a Windows Shift_JIS file decodes to, its bytes, the other form.
    struct Row { const wchar_t* windows; const char* sjis; const wchar_t* other; };
    const Row rows[] = {
        {L"～", "\x81\x60", L"〜"}, {L"~", "~", L"〜"},         {L"－", "\x81\x7C", L"−"},
        {L"-", "-", L"−"},         {L"∥", "\x81\x61", L"‖"}, {L"―", "\x81\x5C", L"—"},
        {L"￤", "\xFA\x55", L"¦"}, {L"￠", "\x81\x91", L"¢"}, {L"￡", "\x81\x92", L"£"},
        {L"￢", "\x81\xCA", L"¬"},
    };
    const std::wstring all = L"o16.txt o8.txt sj.txt w16.txt w8.txt ";
    for (const Row& r : rows) {
        for (const auto& [form, name] : {std::pair{r.windows, L"w"}, std::pair{r.other, L"o"}}) {
            const std::wstring line = std::wstring(L"x") + form + L"\r\n";
            WriteBytes(tree / (name + std::wstring(L"16.txt")), "\xFF\xFE" + Utf16Bytes(line));
            WriteBytes(tree / (name + std::wstring(L"8.txt")), Utf8Bytes(line));
        }
        WriteBytes(tree / L"sj.txt", std::string("x") + r.sjis + "\r\n");
        for (const auto& [pattern, without] : {std::pair{r.other, L"o16.txt o8.txt "},
                                               std::pair{r.windows, L"sj.txt w16.txt w8.txt "}}) {
            ASSERT_EQ(RunWith(0, L"", pattern), 1) << Show(Status());
            EXPECT_EQ(FoundFiles(), without) << Show(pattern);
            ASSERT_EQ(RunWith(TESSUMI_IGNORE_WIDTH, L"", pattern), 1) << Show(Status());
            EXPECT_EQ(FoundFiles(), all) << Show(pattern);
        }
    }
}

// An option only adds records: random patterns on random lines of kana,
// full and half width and with marks, in UTF-16, UTF-8 and Shift_JIS.
TEST_F(OptionsRunTest, AnOptionOnlyAddsRecords) {
    std::mt19937 rng(30);
    const std::wstring alphabet = L"カガハパかがはぱｶｶﾊｱｳﾜﾞﾞﾟｰー漢aA3３-－−~〜 \x3000";
    std::wstring text;
    for (int i = 0; i < 60; ++i) {
        for (size_t k = 1 + rng() % 8; k > 0; --k) text += alphabet[rng() % alphabet.size()];
        text += L"\r\n";
    }
    WriteBytes(tree / L"u16.txt", "\xFF\xFE" + Utf16Bytes(text));
    WriteBytes(tree / L"u8.txt", Utf8Bytes(text));
    WriteBytes(tree / L"sjis.txt", SjisBytes(text));
    const wchar_t* tokens[] = {
        L"カ", L"ガ", L"ｶ", L"ﾞ", L"ﾟ", L"ｶﾞ", L"ﾊﾟ", L"か", L"a", L"3", L"３", L"-", L"〜",
        L"[ｶﾞ]", L"[ｱ-ﾝ]", L"[^ｶ]", L"[^a-z3]", L".", L"\\w", L"\\W", L"\\d", L"\\D",
        L"\\s", L"\\S", L"\\b", L"\\B", L"\\uFF76", L"\\uFF9E", L"(?!ﾞ)", L"[[:alpha:]]",
        L"*", L"+", L"?", L"^", L"$", L"|", L"(", L")", L"(ｶ|ﾞ)\\1", L"\\cｶ"};
    const int C = TESSUMI_IGNORE_CASE, W = TESSUMI_IGNORE_WIDTH, K = TESSUMI_IGNORE_KANA;
    size_t compared = 0, added = 0;
    for (int n = 0; n < 200; ++n) {
        std::wstring pattern;
        for (size_t k = 1 + rng() % 4; k > 0; --k) pattern += tokens[rng() % std::size(tokens)];
        if (RunWith(0, L"", pattern) != 1) continue;  // faulty: the options refuse it too
        const std::set<std::wstring> without = Records();
        for (int flags : {C, W, K, C | W | K}) {
            ASSERT_EQ(RunWith(flags, L"", pattern), 1) << Show(pattern) << Show(Status());
            const std::set<std::wstring> with = Records();
            for (const std::wstring& record : without)
                ASSERT_TRUE(with.count(record)) << Show(pattern) << " flags " << flags << " lost "
                                                << Show(record);
            added += with.size() - without.size();
            ++compared;
        }
    }
    std::printf("options: %zu runs compared, %zu records added\n", compared, added);
    EXPECT_GT(compared, 300u);
    EXPECT_GT(added, 300u);
}

// A real PNG, zip and program have NUL bytes early; UTF-16 text too, with a mark or without.
TEST_F(OptionsRunTest, BinaryFilesArePassedBy) {
    for (const auto& b : BinarySamples()) WriteBytes(tree / b.first, b.second);
    WriteBytes(tree / L"text.txt", "text\r\n");
    WriteBytes(tree / L"utf16.txt", "\xFF\xFE" + Utf16Bytes(L"text\r\n"));
    WriteBytes(tree / L"utf16le.txt", Utf16Bytes(L"text\r\n"));
    const wchar_t* pattern = L"";  // every line
    ASSERT_EQ(RunWith(0, L"", pattern), 1) << Show(Status());
    EXPECT_EQ(FoundFiles(), L"dot.png program.exe text.txt text.zip utf16.txt utf16le.txt ");
    ASSERT_EQ(RunWith(TESSUMI_SKIP_BINARY, L"", pattern), 1) << Show(Status());
    EXPECT_EQ(FoundFiles(), L"text.txt utf16.txt utf16le.txt ");
}

// What would end the run without keep-going is told and passed by; a
// callback that answers 0 stops the run, which keeps what it found.
TEST_F(OptionsRunTest, KeepGoingPassesByAndTheCallbackCanStop) {
    WriteBytes(tree / L"a.txt", "x\r\n");
    const std::wstring held = tree / L"b.txt";
    WriteBytes(held, "x\r\n");
    {
        HeldElsewhere holder(held, 0);
        ASSERT_TRUE(holder.held());
        ASSERT_EQ(RunWith(0, L"", L"x"), 0);
        ASSERT_EQ(RunWith(TESSUMI_KEEP_GOING, L"", L"x"), 1) << Show(Status());
        EXPECT_EQ(Status(), L"正常です");
        EXPECT_EQ(ReadText(results), kBom + Record(tree / L"a.txt", 1, L"x"));
        ASSERT_EQ(skipped.size(), 1u);
        EXPECT_EQ(skipped[0].first, held);
        EXPECT_EQ(skipped[0].second, SystemText(ERROR_SHARING_VIOLATION));  // the reason alone
        goOnAfterSkip = 0;
        EXPECT_EQ(RunWith(TESSUMI_KEEP_GOING, L"", L"x"), 0);
        EXPECT_EQ(Status(), L"検索を中止しました");
    }
    EXPECT_EQ(ReadText(results), kBom + Record(tree / L"a.txt", 1, L"x"));
    EXPECT_EQ(RunWith(TESSUMI_KEEP_GOING, L"", L"x", nullptr), 1);
    EXPECT_TRUE(skipped.empty());
    // A line beyond the matcher's limits: its place, the limits text.
    WriteBytes(tree / L"c.txt", "x\r\n" + std::string(30, 'a') + "\r\n");
    goOnAfterSkip = 1;
    ASSERT_EQ(RunWith(TESSUMI_KEEP_GOING, L"c\\.txt$", L"(a*)*\\1[b]|x"), 1) << Show(Status());
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].first, tree / L"c.txt(2)");
    EXPECT_NE(skipped[0].second.find(L"処理の限界"), std::wstring::npos) << Show(skipped[0].second);
    skipped.clear();  // a failing start folder ends the run, and is no skip
    EXPECT_EQ(FnLookForOptions((tree / L"missing").c_str(), results.c_str(), L"", L"x", nullptr,
                               nullptr, Skipped, this, status), 0);
    EXPECT_TRUE(skipped.empty());
}

// A 600-character folder's failure text comes whole to a caller that says its buffer holds
// it, cut at 255 units to any other; the skipped callback hears the reason alone, whole.
TEST_F(OptionsRunTest, LongTextsComeWholeToACallerWithRoom) {
    std::wstring deep = tree.path();
    while (deep.size() < 600) {
        deep += L"\\" + std::wstring(50, L'長');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring file = deep + L"\\a.txt", reason = SystemText(ERROR_SHARING_VIOLATION);
    WriteBytes(L"\\\\?\\" + file, "x\r\n");
    HeldElsewhere holder(L"\\\\?\\" + file, 0);
    const std::wstring whole = file + L"の読み込みハンドルを作成することができません\n理由：" + reason;
    const struct { int size, units, flags; std::wstring text; } rows[] = {
        {sizeof(TessumiOptions), 4096, 0, whole},
        {sizeof(TessumiOptions), 0, 0, whole.substr(0, 255)},
        {offsetof(TessumiOptions, statusTextUnits), 4096, 0, whole.substr(0, 255)},
        {sizeof(TessumiOptions), 0, TESSUMI_KEEP_GOING, L"正常です"},
    };
    for (const auto& r : rows) {
        std::vector<wchar_t> text(4096 + 1, L'#');
        const TessumiOptions options = {r.size, r.flags, nullptr, 0, r.units};
        EXPECT_EQ(FnLookForOptions(tree.path().c_str(), results.c_str(), L"", L"x", &options,
                                   nullptr, Skipped, this, text.data()), r.flags != 0);
        EXPECT_EQ(text.data(), r.text) << r.size << " " << r.units;
        EXPECT_EQ(text[r.units ? r.units : 256], L'#') << "written beyond the buffer";
    }
    EXPECT_EQ(skipped, (decltype(skipped){{file, reason}}));
}

// A slow callback still leaves the run 50 ms between the end of one call and
// the start of the next.
TEST_F(OptionsRunTest, ProgressIntervalCountsFromTheEndOfTheLastCall) {
    for (int i = 0; i < 40; ++i) WriteBytes(tree / (L"f" + std::to_wstring(i) + L".txt"), "x\r\n");
    slowProgressMs = 60;
    ASSERT_EQ(RunWith(0, L"", L"x"), 1);
    ASSERT_GE(calls.size(), 2u);
    for (size_t i = 1; i + 1 < calls.size(); ++i)
        EXPECT_GE(calls[i].first - calls[i - 1].second, 50u) << "call " << i;
}

}  // namespace
