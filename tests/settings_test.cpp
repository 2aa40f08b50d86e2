// Varnelo.ini: read once and as the system's ini functions read it, damage
// and impossible values taken for defaults, written whole only when saved.
#include <gtest/gtest.h>

#include <string>

#include "settings.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const std::string kMark = "\xFF\xFE";

TEST(Settings, ReadsWhatTheFileHoldsAndDefaultsForDamageOrTheImpossible) {
    const std::string window =
        kMark + Utf16Bytes(L"[Window]\r\nLeft=\"-20\"\r\nRight=60000\r\n [ search ] \r\n"
                           L"pattern2 = \"  東京 \"x\" \" \r\nPattern2=\"second\"\r\nnoise\r\n");
    const struct {
        std::string bytes;
        const wchar_t *section, *key;
        int least, most;
        std::wstring text;  // ReadString, "-" for the fallback
        int number;         // ReadInt within [least, most], fallback 7
    } cases[] = {
        {window, L"Window", L"Left", -32768, 32767, L"-20", -20},
        {window, L"Window", L"Right", -32768, 32767, L"60000", 7},  // more than a window can have
        // Names without case, spaces and one pair of quotes gone, the first key.
        {window, L"SEARCH", L"Pattern2", 0, 1, L"  東京 \"x\" ", 7},
        {window, L"Window", L"Top", 0, 1, L"-", 7},
        {"\xEF\xBB\xBF[A]\r\nk=\xE6\x9D\xB1\r\n", L"A", L"k", 0, 1, L"東", 7},  // UTF-8
        {"[A]\r\nk=\x93\x8C\r\n", L"A", L"k", 0, 1, L"東", 7},                    // ANSI
        {kMark + Utf16Bytes(L"[A]\r\nk=1\r\n" + std::wstring(512 * 1024, L';')), L"A", L"k", 0, 1,
         L"-", 7},  // over 1 MB: damage
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(std::wstring(c.section) + L"/" + c.key));
        WriteBytes(dir / L"Varnelo.ini", c.bytes);
        settings::UseIniFile(dir / L"Varnelo.ini");
        EXPECT_EQ(settings::ReadString(c.section, c.key, L"-"), c.text);
        EXPECT_EQ(settings::ReadInt(c.section, c.key, 7, c.least, c.most), c.number);
    }
}

TEST(Settings, WrittenWholeOnlyWhenSavedAndOnlyWhenChanged) {
    TempDir dir;
    const std::wstring ini = dir / L"Varnelo.ini";
    const std::string damaged = kMark + Utf16Bytes(std::wstring(600 * 1024, L'x'));
    WriteBytes(ini, damaged);
    settings::UseIniFile(ini);
    settings::WriteString(L"Search", L"Pattern1", L" a\"b ");
    settings::WriteList(L"Pattern1History", {L"x", L"y"});
    settings::WriteList(L"Pattern1History", {L"z"});
    EXPECT_EQ(ReadBytes(ini), damaged) << "nothing written before the save";
    settings::SaveInBackground();
    settings::WaitForSaving();
    EXPECT_EQ(ReadBytes(ini), kMark + Utf16Bytes(L"[Search]\r\nPattern1=\" a\"b \"\r\n[Pattern1History]\r\n"
                                        L"Count=\"1\"\r\n1=\"z\"\r\n"));
    EXPECT_FALSE(FileExists(ini + L".new"));
    // Nothing changed: nothing written, even over a file changed meanwhile.
    WriteBytes(ini, "changed elsewhere");
    settings::WriteString(L"Search", L"Pattern1", L" a\"b ");
    EXPECT_TRUE(settings::SaveNow());
    EXPECT_EQ(ReadBytes(ini), "changed elsewhere");
}

}  // namespace
