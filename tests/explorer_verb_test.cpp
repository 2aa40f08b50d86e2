// Explorer's menu entry: the keys written for this program and how the one
// found is judged (the registry itself: tests/gui/start_gui_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "explorer_verb.h"
#include "test_support.h"

using testing_support::Show;

namespace {

const wchar_t kExe[] = L"C:\\ツール\\Varnelo\\Varnelo.exe";

TEST(ExplorerVerb, KeysNameThisProgramAndTheStateFollowsWhatIsFound) {
    const std::vector<VerbKey> keys = VerbKeys(kExe);
    ASSERT_EQ(keys.size(), 3u);
    for (const std::wstring& key : {keys[0].key, keys[1].key, keys[2].key})
        EXPECT_EQ(key.rfind(L"Software\\Classes\\", 0), 0u) << Show(key);
    EXPECT_EQ(keys[1].command, L"\"" + std::wstring(kExe) + L"\" \"%1\"");  // the drive's
    EXPECT_EQ(ProgramOfCommand(keys[2].command), kExe);

    const std::wstring moved = VerbKeys(L"D:\\old\\Varnelo.exe")[0].command;
    std::wstring upper = keys[1].command;
    CharUpperW(&upper[0]);
    const struct {
        std::vector<std::wstring> found;
        VerbState state;
    } cases[] = {
        {{L"", L"", L""}, VerbState::kAbsent},
        {{keys[0].command, upper, keys[2].command}, VerbState::kThisCopy},
        {{moved, keys[1].command, keys[2].command}, VerbState::kElsewhere},
        {{keys[0].command, L"", keys[2].command}, VerbState::kElsewhere},
    };
    for (const auto& c : cases) EXPECT_EQ(JudgeVerb(c.found, keys), c.state) << Show(c.found[0]);
}

}  // namespace
