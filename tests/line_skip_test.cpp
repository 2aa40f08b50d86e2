// The line search only tests lines where a literal that every match needs
// occurs, and only counts the others: the records must be exactly those of
// cutting every line and testing each with the standard library's search.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <locale>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "byte_text.h"
#include "text_encoding.h"
#include "lines.h"
#include "results_run_fixture.h"

using namespace testing_support;

namespace {

std::wregex Classic(const wchar_t* pattern) {
    std::wregex regex;
    regex.imbue(std::locale::classic());
    regex.assign(pattern, std::regex_constants::ECMAScript);
    return regex;
}

// Lines as the search cuts them: at every run of CR and LF, the piece
// before the first break a line even when empty, the last only when not.
template <class Text>
std::vector<Text> ReferenceLines(const Text& text) {
    std::vector<Text> lines;
    const typename Text::value_type breaks[] = {'\r', '\n', 0};
    for (size_t i = 0; i < text.size();) {
        const size_t end = std::min(text.find_first_of(breaks, i), text.size());
        lines.push_back(text.substr(i, end - i));
        i = std::min(text.find_first_not_of(breaks, end), text.size());
    }
    return lines;
}

// The records of one file as every line tested on its own gives them; the
// NUL units of a line are written as U+2400.
std::wstring ExpectedRecords(const std::wstring& path, const std::wstring& content,
                             const std::wregex& pattern) {
    const std::vector<std::wstring> lines =
        ReferenceLines(content[0] == kBom[0] ? content.substr(1) : content);
    std::wstring records;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!std::regex_search(lines[i], pattern)) continue;
        std::wstring shown = lines[i];
        std::replace(shown.begin(), shown.end(), L'\0', L'\x2400');
        records += Record(path, static_cast<int>(i + 1), shown);
    }
    return records;
}

class LineSkip : public ResultsRun {
protected:
    // A UTF-16 file holding exactly content, searched.
    int Search(const std::wstring& path, const std::wstring& content) {
        WriteBytes(path, "\xFF\xFE" + Utf16Bytes(content));
        return FnSearchLines(path.c_str(), path.size(), *run, status);
    }
};

// Texts made of words that the patterns look for and words that come close,
// between every kind of break, blank lines, zeros and tabs.
std::wstring RandomText(std::mt19937& rng) {
    static const std::vector<std::wstring> pieces = {
        L"fox",  L"fax", L"fo",  L"ox",   L"xyz",  L"x",    L"y",    L"漢字", L"漢", L"字",
        L"a",    L"b",   L"12",  L" ",    L" ",    L"\t",   L"_",    L"(",    L"\r\n", L"\n",
        L"\r",   L"\r\r\n", L"\n\n", L"\r\n\r\n", std::wstring(1, L'\0'), L"\xD842\xDFB7",
    };
    std::wstring text;
    size_t count = rng() % 60;
    for (size_t i = 0; i < count; ++i) text += pieces[rng() % pieces.size()];
    return text;
}

TEST_F(LineSkip, RecordsAreThoseOfTestingEveryLine) {
    // Literals, anchored or not, alternatives, patterns with a literal every
    // match needs, literals across a break or at a zero, patterns that
    // skip nothing.
    const wchar_t* patterns[] = {
        L"fox",        L"fox|xyz",     L"^fox",       L"fox$",     L"^fox$",    L"漢字",
        L"f.x",        L"fo+x",        L"\\bfox\\b",  L"(fox|fax)\\d?", L"x\\ny", L"\\n",
        L"a\\0b",      L"\\0",         L"fox|",       L"",         L"^$",       L"^",
        L"[a-z]+_\\(", L"y$|^x",       L"\\s*fox\\s+", L"\xD842\xDFB7", L"x(?=y)", L"(x)\\1",
    };
    std::mt19937 rng(20240612);
    int files = 0, records = 0;
    for (const wchar_t* pattern : patterns) {
        Open(pattern);
        const std::wregex reference = Classic(pattern);
        std::wstring expected = kBom;
        for (int i = 0; i < 40; ++i) {
            std::wstring path = dir / (L"f" + std::to_wstring(i) + L".txt");
            std::wstring content = RandomText(rng);
            ASSERT_EQ(Search(path, content), 1) << Show(pattern) << " " << Show(status);
            expected += ExpectedRecords(path, content, reference);
            ++files;
        }
        std::wstring file = Finish();
        ASSERT_EQ(file, expected) << "pattern " << Show(pattern);
        records += static_cast<int>(std::count(file.begin(), file.end(), L'\t'));
    }
    EXPECT_EQ(files, 40 * static_cast<int>(std::size(patterns)));
    EXPECT_GT(records, 1000);  // the texts keep matching
}

// The text mode loader's whole text of a file (U+FEFF first).
std::wstring LoadedText(const std::wstring& path) {
    wchar_t* text = nullptr;
    int n = 0;
    wchar_t status[256];
    EXPECT_EQ(SubReadText(path.c_str(), &text, &n, 1, status), 1);
    std::wstring copy(text, static_cast<size_t>(n));
    delete[] text;
    return copy;
}

// Code page 932 bytes: characters whose second byte looks like ASCII (ソ is
// 83 5C, 表 95 5C), half-width kana, lead bytes before breaks, zeros and a
// lone lead byte, between every kind of break. With utf8, UTF-8 text: ファイル,
// ｱ and ソ in their UTF-8 bytes (ソ is E3 82 BD) and the same ASCII and breaks.
std::string RandomBytes(std::mt19937& rng, bool utf8) {
    static const std::vector<std::string> common = {
        "fox", "x", "y", "\\", "\\", "a", " ", "\r\n", "\n", "\r", "\r\r\n", "\n\n",
        std::string(1, '\0'),
    };
    static const std::vector<std::string> ansi = {
        "\x83\x5C", "\x95\x5C", "\x83\x74\x83\x40\x83\x43\x83\x8B", "\xB1\xB2", "\xB1", "\x83",
        "\x81", "\x81\x81", "\x83\x00", "\x80", "\xFD",
    };
    static const std::vector<std::string> unicode = {
        "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB", "\xEF\xBD\xB1", "\xE3\x82\xBD",
    };
    const std::vector<std::string>& special = utf8 ? unicode : ansi;
    std::string text;
    size_t count = rng() % 40;
    for (size_t i = 0; i < count; ++i) {
        size_t k = rng() % (common.size() + special.size());
        text += k < common.size() ? common[k] : special[k - common.size()];
    }
    return text;
}

// The platform's conversion of each line cut on the bytes: a CR or LF byte
// ends a line even after a lead byte.
std::vector<std::wstring> PlatformLines(const std::string& bytes, TextEncoding encoding) {
    std::vector<std::wstring> lines;
    for (const std::string& line : ReferenceLines(bytes)) {
        const UINT codePage = encoding == TextEncoding::Utf8 ? CP_UTF8 : CP_ACP;
        const int n = static_cast<int>(line.size());
        std::wstring units(line.size(), L'#');
        units.resize(static_cast<size_t>(
            n ? MultiByteToWideChar(codePage, 0, line.data(), n, &units[0], n) : 0));
        lines.push_back(units);
    }
    return lines;
}

TEST_F(LineSkip, LinesDecodedOneByOneAreThoseOfTheWholeText) {
    // The loader's whole text and every line that the bytes give, decoded on
    // its own, hold the platform's conversion of each line cut on the bytes.
    std::mt19937 rng(932);
    std::vector<wchar_t> scratch;
    const std::vector<ByteLiteral> none;
    int kept[2] = {}, leadBeforeBreak = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string bytes = RandomBytes(rng, i % 4 == 0) + (i % 5 == 0 ? "\x83" : "");
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const TextEncoding encoding = DetectEncoding(b, bytes.size()).encoding;
        if (encoding != TextEncoding::Ansi && encoding != TextEncoding::Utf8) continue;
        ++kept[encoding == TextEncoding::Utf8];
        for (size_t k = 1; k < bytes.size() && encoding == TextEncoding::Ansi; ++k)
            leadBeforeBreak += (bytes[k] == '\r' || bytes[k] == '\n') && IsDBCSLeadByte(bytes[k - 1]);
        const std::vector<std::wstring> expected = PlatformLines(bytes, encoding);
        std::wstring path = dir / L"a.txt";
        WriteBytes(path, bytes);
        const std::wstring whole = LoadedText(path);
        ASSERT_EQ(ReferenceLines(whole.substr(1)), expected) << Show(whole);
        ByteText text(encoding, b, bytes.size(), 0, none, scratch);
        std::vector<std::wstring> got;
        for (size_t next = 0; next < bytes.size();) {
            const size_t start = next;
            const size_t end = text.NextLine(next);
            Line line;
            ASSERT_EQ(text.Content(start, end, line, status), 1);
            got.emplace_back(line.start, line.length);
        }
        ASSERT_EQ(got, expected) << Show(whole);
        // Counted without cutting: one line for every run of breaks.
        const bool unbroken = !bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n';
        EXPECT_EQ(text.CountLines(0, bytes.size()) + unbroken, expected.size()) << Show(whole);
    }
    EXPECT_GT(kept[0], 1000);
    EXPECT_GT(kept[1], 200);
    EXPECT_GT(leadBeforeBreak, 100);  // a break after a lead byte is met
}

TEST_F(LineSkip, ByteRecordsAreThoseOfTestingEveryLine) {
    // Literals that occur as a second byte (\\), Japanese ones, half-width
    // kana, one across a break (never found), alternatives; the first file
    // compiles the pattern, the others are searched on their bytes, in code
    // page 932 and in UTF-8.
    const wchar_t* patterns[] = {
        L"\\\\", L"ソ", L"ファイル", L"ｱｲ", L"x\\ny", L"x\\r?\\n?y", L"fox|ソ", L"a\\\\",
        L"\\\\\\b", L"ｱ|x",
    };
    std::mt19937 rng(20240613);
    for (const wchar_t* pattern : patterns) {
        Open(pattern);
        const std::wregex reference = Classic(pattern);
        std::wstring expected = kBom;
        for (int i = 0; i < 80; ++i) {
            std::wstring path = dir / (L"f" + std::to_wstring(i) + L".txt");
            WriteBytes(path, RandomBytes(rng, i % 2 == 1));
            ASSERT_EQ(FnSearchLines(path.c_str(), path.size(), *run, status), 1) << Show(status);
            expected += ExpectedRecords(path, LoadedText(path), reference);
        }
        EXPECT_TRUE(run->ansiLiterals.usable) << Show(pattern);
        EXPECT_TRUE(run->utf8Literals.usable) << Show(pattern);
        ASSERT_EQ(Finish(), expected) << "pattern " << Show(pattern);
    }
}

TEST_F(LineSkip, LongTextsWithRareMatches) {
    // Matches far apart in long texts: many lines are only counted between them.
    Open(L"needle\\d");
    std::wstring path = dir / L"long.txt";
    std::wstring content;
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        content += std::wstring(rng() % 30, L'w');
        content += (i % 997 == 0) ? L"needle7" : (i % 311 == 0) ? L"needle" : L"";
        content += (i % 5 == 0) ? L"\r\n\r\n" : (i % 7 == 0) ? L"\r" : L"\n";
    }
    ASSERT_EQ(Search(path, content), 1);
    EXPECT_EQ(Finish(), kBom + ExpectedRecords(path, content, Classic(L"needle\\d")));
}

TEST_F(LineSkip, FaultyPatternShowsAtTheFirstLineSearchedOnly) {
    Open(L"a(b");
    // A file with no line tests nothing: the pattern is not even compiled.
    ASSERT_EQ(Search(dir / L"bom.txt", L""), 1);
    EXPECT_FALSE(run->linePattern.compiled());
    // The first line searched shows the fault, whatever its text holds.
    EXPECT_EQ(Search(dir / L"lines.txt", L"xyz\r\nab"), 0);
    EXPECT_EQ(std::wstring(status).find(L"パターン２「a(b」を正規表現として使うことができません"), 0u)
        << Show(status);
}

TEST_F(LineSkip, FirstLineIsTestedEvenWhenEmpty) {
    // The pattern is compiled at the empty line 1 and matches it.
    Open(L"^$|fox");
    std::wstring path = dir / L"lead.txt";
    ASSERT_EQ(Search(path, L"\r\nfox\r\nno"), 1);
    EXPECT_EQ(Finish(), kBom + Record(path, 1, L"") + Record(path, 2, L"fox"));
}

}  // namespace
