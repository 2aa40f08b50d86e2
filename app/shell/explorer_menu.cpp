#include "explorer_menu.h"

#include <string>

#include "explorer_verb.h"
#include "message_boxes.h"
#include "resources/resource_ids.h"
#include "settings.h"
#include "system_message.h"

namespace {

const wchar_t kAddItem[] = L"エクスプローラーのメニューに追加(&M)";
const wchar_t kRemoveItem[] = L"エクスプローラーのメニューから削除(&M)";
const wchar_t kAdded[] =
    L"エクスプローラーの右クリックメニュー（フォルダー、ドライブ、フォルダーの空いている所）に"
    L"「Varnelo で検索」を追加しました。\nWindows 11 では「その他のオプションを確認」の中にあります。";
const wchar_t kRemoved[] = L"エクスプローラーの右クリックメニューから「Varnelo で検索」を削除しました。";
const wchar_t kCannotChange[] = L"エクスプローラーのメニューを変更することができません\n理由：";
const wchar_t kPointsElsewhere[] =
    L"エクスプローラーのメニューの「Varnelo で検索」は、別の場所の Varnelo.exe を起動します。\n"
    L"登録されている場所：";
const wchar_t kPartlyMissing[] =
    L"エクスプローラーのメニューの「Varnelo で検索」の一部が見つかりません。\n登録されている場所：";
const wchar_t kThisCopy[] = L"\nこの Varnelo.exe：";
const wchar_t kFixQuestion[] = L"\n\nこの Varnelo.exe を起動するように直しますか?";
const wchar_t kSection[] = L"ExplorerMenu";
const wchar_t kDeclinedKey[] = L"DeclinedProgram";

VerbState StateNow(const std::wstring& exe) {
    return JudgeVerb(RegisteredCommands(VerbKeys(exe)), VerbKeys(exe));
}

// The other program the verb runs; this one's path when keys are only missing.
std::wstring RegisteredProgram(const std::wstring& exe) {
    const std::vector<VerbKey> wanted = VerbKeys(exe);
    const std::vector<std::wstring> found = RegisteredCommands(wanted);
    for (size_t i = 0; i < found.size(); ++i)
        if (!found[i].empty() && found[i] != wanted[i].command) return ProgramOfCommand(found[i]);
    return exe;
}

void Report(HWND owner, long error, const wchar_t* done) {
    if (error == ERROR_SUCCESS)
        ShowInformationBox(owner, done);
    else
        ShowFailureBox(owner, (kCannotChange + SystemMessageText(static_cast<DWORD>(error))).c_str());
}

}  // namespace

void UpdateExplorerMenuItem(HMENU menu) {
    const bool absent = StateNow(ThisProgramPath()) == VerbState::kAbsent;
    ModifyMenuW(menu, IDM_EXPLORER_MENU, MF_BYCOMMAND | MF_STRING, IDM_EXPLORER_MENU,
                absent ? kAddItem : kRemoveItem);
}

void RunExplorerMenuCommand(HWND owner) {
    const std::wstring exe = ThisProgramPath();
    if (StateNow(exe) == VerbState::kAbsent)
        Report(owner, AddVerb(exe), kAdded);
    else
        Report(owner, RemoveVerb(), kRemoved);
}

void CheckExplorerVerb(HWND owner) {
    const std::wstring exe = ThisProgramPath();
    if (StateNow(exe) != VerbState::kElsewhere) return;
    const std::wstring registered = RegisteredProgram(exe);
    if (registered == settings::ReadString(kSection, kDeclinedKey, L"")) return;
    const std::wstring question = (registered == exe ? kPartlyMissing : kPointsElsewhere) +
                                  registered + kThisCopy + exe + kFixQuestion;
    if (AskYesNo(owner, question.c_str())) {
        Report(owner, AddVerb(exe), kAdded);
        return;
    }
    settings::WriteString(kSection, kDeclinedKey, registered);
    settings::SaveInBackground();
}
