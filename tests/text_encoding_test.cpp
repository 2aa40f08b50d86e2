// Which encoding a file's bytes are read in, at the edges of every rule, and
// the UTF-8 decoding against the platform's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "test_support.h"
#include "fallback_code_page.h"
#include "text_encoding.h"

using namespace testing_support;

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string Repeat(const std::string& s, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += s;
    return out;
}

TEST(TextEncodingTest, TheFirstRuleThatFitsDecides) {
    const std::string ascii40(40, 'a');  // long enough for the sixteen-byte steps
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        size_t markLength;
    } cases[] = {
        {"", TextEncoding::Ansi, 0},
        {"\xFF\xFE\xEF\xBB\xBF", TextEncoding::Utf16Le, 2},
        {"\xEF\xBB\xBF", TextEncoding::Utf8, 3},
        {"\xEF\xBB\xBF\x93\x8C", TextEncoding::Utf8, 3},  // the mark alone decides
        {"\xFE\xFF", TextEncoding::Utf16Be, 2},
        {"\xFE", TextEncoding::Ansi, 0},
        {ascii40 + "\r\n", TextEncoding::Ansi, 0},
        // ISO-2022-JP: 7-bit with an escape into JIS X 0208.
        {"a\x1B$BF|\x1B(B\r\n", TextEncoding::Iso2022Jp, 0},
        {ascii40 + "\x1B$@F|\x1B(J\\\x1B(I1\x1B(B", TextEncoding::Iso2022Jp, 0},
        {"\x1B(I1\x1B(B", TextEncoding::Ansi, 0},        // kana alone is not enough
        {"\x1B$BF\x1B(B", TextEncoding::Ansi, 0},        // half a pair
        {"\x1B$B\x7F\x7F\x1B(B", TextEncoding::Ansi, 0},  // no such pair
        {"\x1B$(DF|\x1B(B", TextEncoding::Iso2022Jp, 0},  // JIS X 0212
        {"\x1B$B\x29\x21\x1B(B", TextEncoding::Iso2022Jp, 0},  // unassigned: U+FFFD
        {"\x1B$(D\x30\r\n\x1B(B", TextEncoding::Iso2022Jp, 0},  // a break ends half a pair
        {"\x1B$BF|\x1B(B\xC3\xA9", TextEncoding::Utf8, 0},
        // UTF-8: well-formed with a multi-byte sequence, and nothing else.
        {"caf\xC3\xA9", TextEncoding::Utf8, 0},
        {ascii40 + "\xE6\x9D\xB1" + ascii40 + "\xF0\xA0\xAE\xB7", TextEncoding::Utf8, 0},
        {"\xF4\x8F\xBF\xBF", TextEncoding::Utf8, 0},
        {"a\xC0\x80", TextEncoding::Ansi, 0},          // overlong
        {"a\xE0\x80\xAF", TextEncoding::Ansi, 0},      // overlong
        {"a\xED\xA0\x80", TextEncoding::Ansi, 0},      // surrogate
        {"a\xF4\x90\x80\x80", TextEncoding::Ansi, 0},  // above U+10FFFF
        {ascii40 + "\xE6\x9D\xB1\xE6\x9D", TextEncoding::Utf8, 0},  // cut at the end
        {ascii40 + "\xE6\x9D\xB1\xF0\x90\x80", TextEncoding::Utf8, 0},
        {ascii40 + "\xE6\x9D\xB1\xE6\x9D\r\n", TextEncoding::Ansi, 0},  // cut before the end
        {ascii40 + "\xE6\x9D\xB1\xE0\x80", TextEncoding::Ansi, 0},  // no sequence begins so
        {"a\xE6\x9D", TextEncoding::Ansi, 0},  // nothing whole: Shift_JIS
        // A few ill-formed bytes: one, and one more for every 1,000 sequences.
        {"\xFF" + Repeat("\xE6\x9D\xB1", 8), TextEncoding::Utf8, 0},
        {"\xFF" + Repeat("\xE6\x9D\xB1", 7), TextEncoding::Ansi, 0},
        {"\xFF" + Repeat("\xE6\x9D\xB1", 1000) + "\xFF", TextEncoding::Utf8, 0},
        {"\xFF" + Repeat("\xE6\x9D\xB1", 999) + "\xFF", TextEncoding::Ansi, 0},
        // Valid both ways: the reading more like Japanese text.
        {"caf\xC3\xA9 25\xC2\xB0" "C \xC3\xA9t\xC3\xA9", TextEncoding::Utf8, 0},
        {"\xC3\xA9", TextEncoding::Ansi, 0},  // ﾃｩ
        // EUC-JP only where code page 932 fails.
        {"\xC5\xEC\xB5\xFE", TextEncoding::EucJp, 0},                  // 東京
        {ascii40 + "\xA4\xCE\x8E\xB1\xC5\xEC\xB5\xFE", TextEncoding::EucJp, 0},  // のｱ東京
        {"\xB1\xB2\xB3\xB4", TextEncoding::Ansi, 0},     // ｱｲｳｴ, a valid pair of EUC-JP too
        {"\xC5\xEC\xB5", TextEncoding::Ansi, 0},         // cut EUC-JP
        {"\x8F\xB0\xA1\xFE", TextEncoding::Ansi, 0},     // cut EUC-JP
        {"\x8F\xB0\xA1\xC5\xEC\xB5\xFE", TextEncoding::EucJp, 0},  // 丂 of JIS X 0212, 東京
        {"\x93\x8C\x8B\x9E", TextEncoding::Ansi, 0},     // 東京 in Shift_JIS
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(std::wstring(c.bytes.begin(), c.bytes.end())));
        DetectedEncoding d = DetectEncoding(Bytes(c.bytes), c.bytes.size());
        EXPECT_EQ(static_cast<int>(d.encoding), static_cast<int>(c.encoding));
        EXPECT_EQ(d.markLength, c.markLength);
    }
}

// A file of TreeOfMisreadFilesReadsRight: its reading, and the lines that
// the pattern finds in it.
struct MixedFile {
    const wchar_t* name;
    std::string bytes;
    TextEncoding encoding;
    std::vector<std::pair<int, std::wstring>> hits;
};

// A UTF-8 log of 5 MB without a mark, "needle" on its first, middle and
// last lines, and one 0xFF at the start of one of them.
MixedFile StrayByteLog(const wchar_t* name, int strayLine) {
    const int lines = 120000;
    const std::wstring tail = L" 東京で処理が完了しました";
    MixedFile f{name, "", TextEncoding::Utf8, {}};
    for (int i = 1; i <= lines; ++i) {
        const bool needle = i == 1 || i == lines / 2 || i == lines;
        const std::wstring head = (needle ? L"needle " : L"line ") + std::to_wstring(i);
        f.bytes += (i == strayLine ? "\xFF" : "") + Utf8Bytes(head + tail) + "\n";
        if (needle) f.hits.push_back({i, (i == strayLine ? L"\xFFFD" : L"") + head + tail});
    }
    return f;
}

// Files a Japanese PC holds that earlier detection misread, each read as it
// should be; every line found once at its number, binary files passed by,
// UTF-16 without a mark kept.
TEST(TextEncodingTest, TreeOfMisreadFilesReadsRight) {
    std::vector<MixedFile> files = {
        StrayByteLog(L"01.log", 1), StrayByteLog(L"02.log", 60000), StrayByteLog(L"03.log", 120000),
        {L"04.txt", "\xCA\xB2", TextEncoding::Ansi, {{1, L"ﾊｲ"}}},
        {L"05.txt", "\xD2\xB0\xD9", TextEncoding::Ansi, {{1, L"ﾒｰﾙ"}}},
        {L"06.txt", "\xC3\xBD\xC4", TextEncoding::Ansi, {{1, L"ﾃｽﾄ"}}},
        {L"07.txt", "\xDB\xB8\xDE\r\n\xCA\xB2\xC3\xBD\xC4", TextEncoding::Ansi, {{1, L"ﾛｸﾞ"}, {2, L"ﾊｲﾃｽﾄ"}}},
        {L"08.txt", "\xE6\x9D\xB1\xE4\xBA\xAC", TextEncoding::Utf8, {{1, L"東京"}}},
        {L"09.txt", Utf16Bytes(L"a\r\nneedle\r\n"), TextEncoding::Utf16Le, {{2, L"needle"}}},
        {L"10.txt", Utf16Bytes(L"東京\r\n大阪needle"), TextEncoding::Utf16Le, {{1, L"東京"}, {2, L"大阪needle"}}},
        {L"11.txt", Utf16BeBytes(L"a\r\nneedle\r\n"), TextEncoding::Utf16Be, {{2, L"needle"}}},
        {L"12.txt", Utf16BeBytes(L"東京\r\n大阪needle"), TextEncoding::Utf16Be, {{1, L"東京"}, {2, L"大阪needle"}}},
        // A lead byte before a break: the break still ends its line.
        {L"13.txt", "\x95\x5C\x83\r\nneedle\r\n", TextEncoding::Ansi, {{2, L"needle"}}},
        {L"14.txt", "a\x1B$B\x45\x6C\x45\r\n\x1B(Bneedle", TextEncoding::Iso2022Jp, {{2, L"needle"}}},
    };
    for (auto& b : BinarySamples()) files.push_back({b.first, b.second, TextEncoding::Ansi, {}});
    TempDir tree, out;
    std::wstring expected = L"\xFEFF";
    for (const MixedFile& f : files) {
        const DetectedEncoding d = DetectEncoding(Bytes(f.bytes), f.bytes.size());
        EXPECT_EQ(static_cast<int>(d.encoding), static_cast<int>(f.encoding)) << Show(f.name);
        EXPECT_EQ(d.markLength, 0u);
        WriteBytes(tree / f.name, f.bytes);
        for (const auto& hit : f.hits) expected += Record(tree / f.name, hit.first, hit.second);
    }
    const std::wstring results = out / L"results.txt";
    const TessumiOptions options = {sizeof(TessumiOptions), TESSUMI_SKIP_BINARY, nullptr, 1};
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    ASSERT_EQ(FnLookForOptions(tree.path().c_str(), results.c_str(), L"",
                               L"needle|^[ｦ-ﾟ]+$|^東京$", &options, nullptr, nullptr, nullptr, status),
              1)
        << Show(status);
    EXPECT_EQ(ReadText(results), expected);
}

// Random well-formed UTF-8, ASCII runs of every length against the sixteen-
// byte steps, decoded as the platform decodes it, and line by line as whole.
TEST(TextEncodingTest, Utf8DecodesAsThePlatformDoesWholeOrByLines) {
    const char* pieces[] = {"a", "\r\n", "\xC3\xA9", "\xE6\x9D\xB1", "\xEF\xBD\xB1",
                            "\xF0\xA0\xAE\xB7", "\xF4\x8F\xBF\xBF", "\xEE\x80\x80"};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        while (text.size() < 300) {
            const char* piece = pieces[random() % 8];
            size_t repeat = piece[0] == 'a' ? random() % 40 : 1 + random() % 3;
            for (size_t k = 0; k < repeat; ++k) text += piece;
        }
        const int n = static_cast<int>(text.size());
        std::wstring want(text.size(), L'\0');
        want.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, &want[0], n)));

        std::wstring whole(text.size(), L'#');
        size_t written = 0;
        ASSERT_TRUE(DecodeText(TextEncoding::Utf8, Bytes(text), text.size(), &whole[0], written));
        ASSERT_EQ(whole.substr(0, written), want) << Show(want);

        std::wstring byLines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            std::wstring line(end - start, L'#');
            ASSERT_TRUE(DecodeText(TextEncoding::Utf8, Bytes(text) + start, end - start,
                                   &line[0], written));
            byLines += line.substr(0, written);
            start = end;
        }
        EXPECT_EQ(byLines, want);
    }
    std::string malformed = std::string(40, 'a') + "\xE6\x9D";
    std::wstring out(malformed.size(), L'#');
    size_t written = 0;
    EXPECT_TRUE(DecodeText(TextEncoding::Utf8, Bytes(malformed), malformed.size(), &out[0],
                           written));
    EXPECT_EQ(out.substr(40, written - 40), L"\xFFFD\xFFFD");
}

// 丂 of JIS X 0212 as the platform's code page 20932 converts it: Windows'
// has it, Wine's has no JIS X 0212 and gives U+FFFD.
std::wstring Jis0212Sample() {
    wchar_t c[2];
    return MultiByteToWideChar(20932, MB_ERR_INVALID_CHARS, "\x8F\xB0\xA1", 3, c, 2) == 1
               ? std::wstring(1, c[0])
               : L"\xFFFD";
}

// What each encoding's decoding makes of the characters a platform refuses
// or that earlier versions read as raw escapes.
TEST(TextEncodingTest, MendsOfUtf8AndIso2022Jp) {
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {TextEncoding::Utf8, "a\xE6\x9D\xE6\x9D\xB1\xC0\x80", L"a\xFFFD\xFFFD東\xFFFD\xFFFD"},
        {TextEncoding::Utf8, "\xF0\x90\x80", L"\xFFFD\xFFFD\xFFFD"},
        // NEC row 13 as code page 932 has it, JIS X 0212, an unassigned pair.
        {TextEncoding::Iso2022Jp, "\x1B$B\x2D\x21\x2D\x6A" "E75$\x1B(B", L"①㈱天気"},
        {TextEncoding::Iso2022Jp, "\x1B$(D\x30\x21\x1B(Ba\x1B$B\x29\x21",
         Jis0212Sample() + L"a\xFFFD"},
        {TextEncoding::EucJp, "\xC5\xEC\x8F\xB0\xA1\xC5\xEC", L"東" + Jis0212Sample() + L"東"},
        // NUL is a character in every set; a break ends half a pair.
        {TextEncoding::Iso2022Jp, std::string("\x1B$B\0El\x45\r\n", 9), std::wstring(L"\0東\xFFFD\r\n", 5)},
    };
    for (const Case& c : cases) {
        std::wstring out(c.bytes.size(), L'#');
        size_t written = 0;
        ASSERT_TRUE(DecodeText(c.encoding, Bytes(c.bytes), c.bytes.size(), &out[0], written));
        out.resize(written);
        EXPECT_EQ(out, c.text) << Show(out);
    }
}

UINT systemCodePage = 0;
UINT WINAPI TestCodePage() { return systemCodePage; }

// A system whose ANSI code page is UTF-8 reads files without a mark as
// Shift_JIS (Wine can't be switched to it, so the decision is tested here).
TEST(TextEncodingTest, FallbackIsShiftJisOnAUtf8System) {
    struct Case {
        UINT system;
        UINT codePage;
        DWORD flags;
        TextEncoding kana;  // ﾊｲ (CA B2), weighed against UTF-8 where Shift_JIS is read
    } cases[] = {{932, CP_ACP, MB_PRECOMPOSED, TextEncoding::Ansi},
                 {1252, CP_ACP, MB_PRECOMPOSED, TextEncoding::Utf8},
                 {65001, 932, 0, TextEncoding::Ansi}};
    systemAnsiCodePage = TestCodePage;
    for (const Case& c : cases) {
        systemCodePage = c.system;
        const FallbackConversion f = FallbackCodePage();
        EXPECT_EQ(f.codePage, c.codePage) << c.system;
        EXPECT_EQ(f.flags, c.flags) << c.system;
        EXPECT_EQ(static_cast<int>(DetectEncoding(Bytes("\xCA\xB2"), 2).encoding),
                  static_cast<int>(c.kana)) << c.system;
    }
    const std::string tokyo = "\x93\x8C\x8B\x9E";
    std::wstring out(4, L'#');
    size_t written = 0;
    ASSERT_TRUE(DecodeText(TextEncoding::Ansi, Bytes(tokyo), tokyo.size(), &out[0], written));
    EXPECT_EQ(out.substr(0, written), L"東京");
    systemAnsiCodePage = GetACP;
}

}  // namespace
