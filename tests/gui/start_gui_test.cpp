// Starting where the user is, by real input and real processes: Explorer's
// menu entry added and removed through the ファイル menu, its command lines
// run as Explorer runs them (a second start hands its folder over), and
// folders dropped from a real OLE drag source.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>

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

// Every key and value below HKCU\Software\Classes\path, one a line.
std::wstring Classes(const std::wstring& path = L"Software\\Classes") {
    std::wstring all;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
    wchar_t name[256], data[1024];
    DWORD units = 256, bytes = sizeof(data);
    for (DWORD i = 0; RegEnumValueW(key, i, name, &units, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS;
         ++i, units = 256, bytes = sizeof(data))
        all += path + L"|" + name + L"=" + std::wstring(data, bytes / 2) + L"\n";
    for (DWORD i = 0; RegEnumKeyW(key, i, name, 256) == ERROR_SUCCESS; ++i)
        all += Classes(path + L"\\" + name);
    RegCloseKey(key);
    return all + path + L"\n";
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
        const std::wstring before = Classes();
        EXPECT_NE(ToggleExplorerMenu(p).find(L"を追加しました"), std::wstring::npos);
        commands = RegisteredCommands(keys);
        for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(commands[i], keys[i].command) << i;
        EXPECT_EQ(commands[2], L"\"" + exe + L"\" \"%V\"");
        EXPECT_NE(Classes().find(L"Drive\\shell\\Varnelo|Icon=" + exe + L",0"), std::wstring::npos);

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
        EXPECT_EQ(FindWindowExW(nullptr, FindWindowW(L"MainWndClass", nullptr), L"MainWndClass",
                                nullptr),
                  nullptr)
            << "a second main window";
        ASSERT_TRUE(Cancelled(dialog));

        EXPECT_NE(ToggleExplorerMenu(p).find(L"を削除しました"), std::wstring::npos);
        EXPECT_EQ(Classes(), before) << "every key added, and nothing else, removed";
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
// thread (which the drag loop then follows), the shell's own data object for
// the path, the pointer moved onto the target by real input and let go once
// the target has answered. Answers the drop's effect.
class Drag : public IDropSource {
public:
    static DWORD Onto(const std::wstring& path, HWND target) {
        Drag drag;
        return drag.Run(path, real_input::CentreOf(target));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        running_ = true;
        if (escape) return DRAGDROP_S_CANCEL;
        return keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        answered_ = effect != DROPEFFECT_NONE;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    static LRESULT CALLBACK Pressed(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONDOWN) SetPropW(hwnd, L"pressed", hwnd);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    DWORD Run(const std::wstring& path, POINT to) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Pressed;
        wc.lpszClassName = L"TestDragStart";
        RegisterClassW(&wc);
        HWND start = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                                     GetSystemMetrics(SM_CXSCREEN) - 40,
                                     GetSystemMetrics(SM_CYSCREEN) - 40, 30, 30, nullptr, nullptr,
                                     nullptr, nullptr);
        const POINT from = real_input::CentreOf(start);
        real_input::MoveTo(from);
        INPUT button{};
        button.type = INPUT_MOUSE;
        button.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &button, sizeof(button));
        WaitUntil([&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return GetPropW(start, L"pressed") != nullptr;
        });
        std::thread hand([&] {
            WaitUntil([&] { return running_.load(); });
            for (int i = 1; i <= 10; ++i)
                real_input::MoveTo({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10});
            WaitUntil([&] { return answered_.load(); }, 10000);
            button.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(1, &button, sizeof(button));
        });
        DWORD effect = DROPEFFECT_NONE;
        if (IDataObject* data = DataObject(path)) {
            DoDragDrop(data, this, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
            data->Release();
        }
        running_ = answered_ = true;  // the hand lets go in any case
        hand.join();
        RemovePropW(start, L"pressed");
        DestroyWindow(start);
        return effect;
    }

    static IDataObject* DataObject(const std::wstring& path) {
        PIDLIST_ABSOLUTE item = nullptr;
        IShellFolder* parent = nullptr;
        PCUITEMID_CHILD child = nullptr;
        IDataObject* data = nullptr;
        if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr)) &&
            SUCCEEDED(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
            parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                                  reinterpret_cast<void**>(&data));
            parent->Release();
        }
        CoTaskMemFree(item);
        return data;
    }

    std::atomic<bool> running_{false}, answered_{false};
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
