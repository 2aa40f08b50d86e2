#include "command_line.h"

#include <cwchar>

namespace {

struct FlagName {
    const wchar_t* name;
    int flag;
};

const FlagName kFlags[] = {
    {L"-i", TESSUMI_IGNORE_CASE},
    {L"--ignore-case", TESSUMI_IGNORE_CASE},
    {L"--width", TESSUMI_IGNORE_WIDTH},
    {L"--kana", TESSUMI_IGNORE_KANA},
    {L"--binary-skip", TESSUMI_SKIP_BINARY},
    {L"--keep-going", TESSUMI_KEEP_GOING},
    {L"--mask", TESSUMI_PATTERN1_MASKS},
    {L"--documents", TESSUMI_DOCUMENTS},
    {L"--archives", TESSUMI_ARCHIVES},
};

const wchar_t kExclude[] = L"--exclude=";
constexpr int kMostThreads = 16;

// The N of "-j N": 1 to kMostThreads, nothing else after it; 0 when not so.
int ThreadCount(const wchar_t* text) {
    wchar_t* end = nullptr;
    const long n = text ? wcstol(text, &end, 10) : 0;
    return text && end != text && *end == L'\0' && n >= 1 && n <= kMostThreads ? int(n) : 0;
}

const wchar_t kUsage[] =
    L"使い方: lookfor [オプション] 検索フォルダー 結果ファイル パターン１ パターン２\n"
    L"検索フォルダーの下の、パスがパターン１に合うファイルから、パターン２に合う行を\n"
    L"結果ファイル（UTF-16）に書き出します。パターンは正規表現（ECMAScript）です。\n"
    L"\n"
    L"オプション:\n"
    L"  -i               大文字と小文字を区別しない（A と a、Ａ と ａ）\n"
    L"  --width          全角と半角を区別しない（Ａ と A、ｶﾞ と ガ、全角空白と空白）\n"
    L"  --kana           ひらがなとカタカナを区別しない\n"
    L"  --mask           パターン１をファイル名のワイルドカードとする（例: *.txt;*.md）\n"
    L"  --exclude=一覧   名前が合うフォルダーは調べない（例: --exclude=.git;node_modules）\n"
    L"  --binary-skip    先頭 8 KB に NUL バイトのあるファイルを除く（UTF-16 は除かない）\n"
    L"  --keep-going     読めないフォルダーやファイルは飛ばし、標準エラーに知らせる\n"
    L"  --documents      Excel・Word・PowerPoint の文書（.xlsx .docx .pptx など）は中の文字を探す\n"
    L"  --archives       zip の中のファイルも 1 つずつ探す（zip の中の zip も 3 段まで）\n"
    L"  -j 数            同時に調べるファイルの数（1 から 16、既定は論理プロセッサーの数）\n"
    L"  --time           かかった秒数と最大ワーキングセットも表示する\n"
    L"  --help           この説明を表示する\n"
    L"  --               これより後はすべてフォルダー、ファイル、パターンとして読む\n"
    L"\n"
    L"終了コード: 0 見つかった、1 見つからなかった、2 失敗した（理由は標準エラーに）\n";

}  // namespace

CommandLine ReadCommandLine(int argc, wchar_t** argv) {
    CommandLine line;
    bool flagsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* a = argv[i];
        if (flagsEnded || a[0] != L'-' || a[1] == L'\0') {
            line.positional.push_back(a);
            continue;
        }
        if (wcscmp(a, L"--") == 0) {
            flagsEnded = true;
        } else if (wcscmp(a, L"--help") == 0) {
            line.help = true;
        } else if (wcscmp(a, L"--time") == 0) {
            line.timed = true;
        } else if (wcscmp(a, L"-j") == 0) {
            line.threads = ThreadCount(i + 1 < argc ? argv[++i] : nullptr);
            if (line.threads == 0 && line.error.empty())
                line.error = L"-j の後には同時に調べるファイルの数（1 から 16）が要ります";
        } else if (wcsncmp(a, kExclude, wcslen(kExclude)) == 0) {
            line.excludedFolders = a + wcslen(kExclude);
        } else {
            bool known = false;
            for (const FlagName& f : kFlags) {
                if (wcscmp(a, f.name) == 0) {
                    line.flags |= f.flag;
                    known = true;
                }
            }
            if (!known && line.error.empty()) {
                line.error = L"知らないオプションです: ";
                line.error += a;
            }
        }
    }
    if (line.error.empty() && !line.help && line.positional.size() != 4)
        line.error = L"検索フォルダー、結果ファイル、パターン１、パターン２の四つが要ります";
    return line;
}

const wchar_t* UsageText() { return kUsage; }
