// The editor's command line from the settings' template: quoting, %F, %L.
#include <gtest/gtest.h>

#include "editor_catalog.h"
#include "editor_command.h"
#include "test_support.h"

using testing_support::Show;

namespace {

TEST(EditorCommand, TemplatesBecomeCommandLines) {
    const struct {
        const wchar_t *command, *file;
        int line;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Windows\\notepad.exe %F", L"C:\\a.txt", 3, L"C:\\Windows\\notepad.exe C:\\a.txt"},
        {L"\"C:\\Program Files\\sakura\\sakura.exe\" -Y=%L %F", L"C:\\My Docs\\a.txt", 7,
         L"\"C:\\Program Files\\sakura\\sakura.exe\" -Y=7 \"C:\\My Docs\\a.txt\""},
        {L"code.exe -g %F:%L", L"C:\\x y\\a.c", 12, L"code.exe -g \"C:\\x y\\a.c\":12"},
        {L"ed.exe \"%F\" /l %L", L"C:\\x y\\a.c", 5, L"ed.exe \"C:\\x y\\a.c\" /l 5"},
        {L"ed.exe /j%L", L"C:\\a.txt", 1, L"ed.exe /j1 C:\\a.txt"},  // no %F: the file last
        {L"ed.exe 100%% %X %F", L"C:\\a", 2, L"ed.exe 100% %X C:\\a"},
        {L"  \"C:\\e d\\ed.exe\"", L"\\\\srv\\s h\\a", 9, L"\"C:\\e d\\ed.exe\" \"\\\\srv\\s h\\a\""},
    };
    for (const auto& c : cases) {
        const std::wstring line = EditorCommandLine(SplitEditorCommand(c.command), c.file, c.line);
        EXPECT_EQ(line, c.expected) << Show(c.command) << " gave " << Show(line);
    }
}

TEST(EditorCommand, SplitAndJoinKeepTheCommand) {
    const struct {
        const wchar_t *command, *program, *arguments, *joined;
    } cases[] = {
        {L"\"C:\\P F\\e.exe\"  -n%L %F", L"C:\\P F\\e.exe", L"-n%L %F", L"\"C:\\P F\\e.exe\" -n%L %F"},
        {L"e.exe", L"e.exe", L"", L"e.exe"},
        {L"\"C:\\unclosed x", L"C:\\unclosed x", L"", L"\"C:\\unclosed x\""},
    };
    for (const auto& c : cases) {
        const EditorCommand split = SplitEditorCommand(c.command);
        EXPECT_EQ(split.program, c.program) << Show(c.command);
        EXPECT_EQ(split.arguments, c.arguments) << Show(c.command);
        EXPECT_EQ(JoinEditorCommand(split), c.joined) << Show(c.command);
    }
}

// Wine has none of these editors: each is put where its installer would.
TEST(EditorCatalog, EditorsPresentAreFoundInTheirUsualFolders) {
    testing_support::TempDir root;
    const std::wstring programs = root / L"Programs";
    const struct {
        std::wstring folder;
        const wchar_t* exe;
    } installed[] = {{root / L"sakura", L"sakura.exe"},
                     {programs, nullptr},
                     {programs + L"\\Microsoft VS Code", L"Code.exe"},
                     {root / L"Mery", nullptr}};  // a folder without its program
    for (const auto& i : installed) {
        testing_support::MakeDir(i.folder);
        if (i.exe) testing_support::WriteBytes(i.folder + L"\\" + i.exe, "MZ");
    }
    SetEnvironmentVariableW(L"ProgramFiles", root.path().c_str());
    SetEnvironmentVariableW(L"ProgramFiles(x86)", nullptr);
    SetEnvironmentVariableW(L"ProgramW6432", nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", root.path().c_str());
    const std::vector<FoundEditor> found = FindEditors();
    const struct {
        const wchar_t *name, *arguments;
        std::wstring program;
    } expected[] = {{L"メモ帳", L"%F", NotepadCommand().program},
                    {L"サクラエディタ", L"-Y=%L %F", root / L"sakura\\sakura.exe"},
                    {L"Visual Studio Code", L"-g %F:%L", programs + L"\\Microsoft VS Code\\Code.exe"}};
    ASSERT_EQ(found.size(), std::size(expected));
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].name, expected[i].name) << i;
        EXPECT_EQ(found[i].command.program, expected[i].program) << Show(found[i].command.program);
        EXPECT_EQ(found[i].command.arguments, expected[i].arguments) << i;
    }
}

}  // namespace
