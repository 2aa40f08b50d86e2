// Explorer's menu entry added and removed by real input, its command lines
// run as Explorer runs them, and folders dropped from a real drag source.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "explorer_verb.h"
#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"
#include "test_support.h"
#include "varnelo_program.h"

using namespace gui_driver;
using testing_support::MakeDir;
using testing_support::Show;
using testing_support::TempDir;

namespace {

// HKCU\Software\Classes as reg.exe exports it; empty if it could not.
std::string Classes(const TempDir& dir) {
    // Every Windows has the key; a new Wine prefix has it only once
    // something wrote below it.
    HKEY classes = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr,
                        &classes, nullptr) == ERROR_SUCCESS)
        RegCloseKey(classes);
    ChildProcess reg;
    DWORD code = 1;
    if (reg.StartCommandLine(L"reg export HKCU\\Software\\Classes \"" + dir / L"c.reg" + L"\" /y"))
        reg.WaitForExit(&code);
    return code == 0 ? testing_support::ReadBytes(dir / L"c.reg") : "";
}

// ファイル(F) → the entry's command (M), by keys; the text of the box it
// shows, closed with its button.
std::wstring ToggleExplorerMenu(const VarneloProgram& p) {
    real_input::ClickToFront(p.statusBar, 5, 5);
    real_input::Key('F', real_input::kAlt);
    real_input::Key('M');
    HWND box = WaitForDialog(p.process.id());
    if (!box) return L"no box";
    const std::wstring text = MessageBoxText(box);
    PressButton(box, IDOK);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

std::wstring WithFolder(std::wstring command, const std::wstring& folder) {
    const size_t at = command.find(L'%');
    return command.replace(at, 2, folder);
}

std::wstring FieldOf(HWND dialog) { return TextOf(GetDlgItem(dialog, IDC_FOLDER_EDIT)); }

bool Cancelled(HWND dialog) {
    PressButton(dialog, IDC_CANCEL);
    return WaitUntil([&] { return !IsWindowVisible(dialog); });
}

TEST(Start, ExplorerMenuEntryRunsThisProgramWithTheFolderAndGoesWhole) {
    struct RemovedAtEnd {
        ~RemovedAtEnd() { RemoveVerb(); }
    } removed;
    TempDir dir;
    const std::wstring folder = dir / L"エクスプローラー で";
    MakeDir(folder);
    const std::wstring exe = BesideThisProgram(L"Varnelo.exe");
    const std::vector<VerbKey> keys = VerbKeys(exe);
    std::vector<std::wstring> commands;
    {
        VarneloProgram p;
        ASSERT_TRUE(p.Start());
        const std::string before = Classes(dir);
        ASSERT_FALSE(before.empty());
        EXPECT_NE(ToggleExplorerMenu(p).find(L"を追加しました"), std::wstring::npos);
        commands = RegisteredCommands(keys);
        const std::wstring run = L"\"" + exe + L"\" ";
        EXPECT_EQ(commands, (std::vector<std::wstring>{run + L"\"%1\"", run + L"\"%1\"", run + L"\"%V\""}));
        wchar_t icon[1024] = L"";
        DWORD bytes = sizeof(icon);
        RegGetValueW(HKEY_CURRENT_USER, keys[1].key.c_str(), L"Icon", RRF_RT_REG_SZ, nullptr, icon, &bytes);
        EXPECT_EQ(icon, exe + L",0");

        // Explorer runs the folder's entry while Varnelo runs: the folder is
        // handed over, and no second window stays.
        ChildProcess second;
        ASSERT_TRUE(second.StartCommandLine(WithFolder(commands[0], folder)));
        DWORD code = 0;
        EXPECT_TRUE(second.WaitForExit(&code));
        EXPECT_EQ(code, static_cast<DWORD>(-1));
        HWND dialog = p.SearchDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return FieldOf(dialog) == folder; })) << Show(FieldOf(dialog));
        HWND firstMain = FindWindowW(L"MainWndClass", nullptr);
        EXPECT_EQ(FindWindowExW(nullptr, firstMain, L"MainWndClass", nullptr), nullptr);
        ASSERT_TRUE(Cancelled(dialog));

        EXPECT_NE(ToggleExplorerMenu(p).find(L"を削除しました"), std::wstring::npos);
        EXPECT_EQ(Classes(dir), before) << "every key added, and nothing else, removed";
    }
    // The background's entry starting Varnelo: its dialog opens with the folder.
    VarneloProgram first;
    ASSERT_TRUE(first.Start(true, WithFolder(commands[2], folder)));
    HWND dialog = first.SearchDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldOf(dialog), folder);
    EXPECT_TRUE(Cancelled(dialog));
}

// A drag as Explorer makes one: the button pressed on a window of this
// thread (the drag loop follows that thread's button), the shell's own data
// object for the path, the pointer moved onto the target by real input from
// the loop, and let go once the target has answered. The drop's effect.
class Drag : public IDropSource {
public:
    static DWORD Onto(const std::wstring& path, HWND target) {
        HWND start = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE | SS_NOTIFY,
                                     GetSystemMetrics(SM_CXSCREEN) - 40,
                                     GetSystemMetrics(SM_CYSCREEN) - 40, 30, 30, nullptr, nullptr,
                                     nullptr, nullptr);
        Drag drag(real_input::CentreOf(start), real_input::CentreOf(target));
        real_input::MoveTo(drag.from_);
        real_input::Press(drag.from_);
        WaitUntil([&] {
            MSG msg{};
            while (msg.message != WM_LBUTTONDOWN && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            return msg.message == WM_LBUTTONDOWN;
        });
        DWORD effect = DROPEFFECT_NONE;
        IShellItem* item = nullptr;
        IDataObject* data = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item))) &&
            SUCCEEDED(item->BindToHandler(nullptr, BHID_DataObject, IID_PPV_ARGS(&data)))) {
            DoDragDrop(data, &drag, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
            data->Release();
        }
        if (item) item->Release();
        DestroyWindow(start);
        return effect;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Asked every 50 ms or so while the drag goes on: one step nearer.
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape || ++calls_ > kPatientCalls) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        if (calls_ <= kSteps)
            real_input::MoveTo({from_.x + (to_.x - from_.x) * calls_ / kSteps,
                                from_.y + (to_.y - from_.y) * calls_ / kSteps});
        else if (answered_)
            real_input::Release(to_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        answered_ = effect != DROPEFFECT_NONE;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    static const int kSteps = 10, kPatientCalls = 400;
    Drag(POINT from, POINT to) : from_(from), to_(to) {}
    POINT from_, to_;
    int calls_ = 0;
    bool answered_ = false;
};

TEST(Start, AFolderDroppedOnTheWindowOrTheDialogBecomesTheStartFolder) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    TempDir dir;
    const std::wstring first = dir / L"落とす", second = dir / L"次";
    MakeDir(first);
    MakeDir(second);
    testing_support::WriteBytes(second + L"\\a.txt", "x");
    VarneloProgram p;
    ASSERT_TRUE(p.Start());
    EXPECT_EQ(Drag::Onto(first, p.view), static_cast<DWORD>(DROPEFFECT_COPY));
    HWND dialog = p.SearchDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FieldOf(dialog) == first; })) << Show(FieldOf(dialog));
    // A file dropped on the dialog's field: its folder.
    EXPECT_EQ(Drag::Onto(second + L"\\a.txt", GetDlgItem(dialog, IDC_FOLDER_EDIT)),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitUntil([&] { return FieldOf(dialog) == second; })) << Show(FieldOf(dialog));
    EXPECT_TRUE(Cancelled(dialog));
}

}  // namespace
