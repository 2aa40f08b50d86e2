// The two pickers driven through the DLL as a person would use them: a
// driver thread finds the modal dialog of this process, reads it, types into
// it and presses its buttons while the test thread waits in the export.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Tessumi.h"
#include "real_input.h"
#include "test_support.h"

using testing_support::Show;
using testing_support::TempDir;

namespace {

// Controls of the platform's save dialog.
constexpr int kLookInCombo = 1137;    // cmb2: the folder shown
constexpr int kFileNameBox = 1148;    // cmb13: the file name (an edit inside)
constexpr int kFileTypeCombo = 1136;  // cmb1: the file types
// The folder dialog's tree.
constexpr int kFolderTree = 14145;

constexpr DWORD kPatience = 15000;  // ms to wait for a window to appear

std::wstring Text(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// Polls until found() gives a window or the patience runs out.
HWND WaitFor(const std::function<HWND()>& found) {
    for (DWORD waited = 0; waited < kPatience; waited += 50) {
        if (HWND h = found()) return h;
        Sleep(50);
    }
    return nullptr;
}

bool WaitUntil(const std::function<bool()>& done) {
    return WaitFor([&] { return done() ? HWND(1) : nullptr; }) != nullptr;
}

// A visible dialog-class window of `thread` whose owner is `owner` (any
// owner when `owner` is null) and that is not `other`.
HWND DialogOf(DWORD thread, HWND owner = nullptr, HWND other = nullptr) {
    struct Query {
        HWND owner, other, found;
    } q{owner, other, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND h, LPARAM p) -> BOOL {
            auto* q = reinterpret_cast<Query*>(p);
            if (h == q->other || !IsWindowVisible(h) || ClassOf(h) != L"#32770") return TRUE;
            if (q->owner && GetWindow(h, GW_OWNER) != q->owner) return TRUE;
            q->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND FileNameEdit(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileNameBox);
    HWND combo = FindWindowExW(box, nullptr, L"ComboBox", nullptr);
    return FindWindowExW(combo ? combo : box, nullptr, L"Edit", nullptr);
}

// A click into the edit, its text selected, and the new text typed over it.
void Type(HWND edit, const std::wstring& text) {
    real_input::Click(real_input::CentreOf(edit));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    real_input::Type(text);
}

// A click on the dialog's button, as a person gives it.
void Press(HWND dialog, int id) { real_input::Click(real_input::CentreOf(GetDlgItem(dialog, id))); }

// What a dialog left open by a failed step is told, so that the test never
// waits in it: the button's command, without the pointer.
void Dismiss(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::wstring LastComponent(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

// Runs `drive` on a thread of its own while `call` shows the picker on this
// one. Whatever the driver leaves open is cancelled, so a failed step never
// leaves the test waiting in the dialog.
class Driver {
public:
    Driver() : thread_(GetCurrentThreadId()) {}
    DWORD pickerThread() const { return thread_; }

    int Run(const std::function<void()>& drive, const std::function<int()>& call) {
        std::thread driver([&] {
            drive();
            done_ = true;
        });
        std::thread sweeper([&] {
            while (!done_) Sleep(50);
            for (HWND h; (h = DialogOf(thread_)) != nullptr;) {
                Dismiss(h, IDCANCEL);
                Dismiss(h, IDNO);
                Sleep(200);
            }
        });
        int result = call();
        driver.join();
        done_ = true;
        sweeper.join();
        return result;
    }

    // Failures are noted on the driver thread and reported on the test thread.
    void Note(const std::string& failure) { failures_.push_back(failure); }
    const std::vector<std::string>& failures() const { return failures_; }

private:
    DWORD thread_;
    std::atomic<bool> done_{false};
    std::vector<std::string> failures_;
};

#define DRIVER_CHECK(cond, what)                               \
    do {                                                       \
        if (!(cond)) {                                         \
            d.Note(std::string(what) + " [" #cond "]");        \
            return;                                            \
        }                                                      \
    } while (0)

// Type a folder path and confirm it: the dialog moves into that folder.
bool GoTo(HWND dialog, const std::wstring& folder) {
    Type(FileNameEdit(dialog), folder);
    Press(dialog, IDOK);
    return WaitUntil(
        [&] { return Text(GetDlgItem(dialog, kLookInCombo)) == LastComponent(folder); });
}

class Pickers : public testing::Test {
protected:
    TempDir dir;
    wchar_t path[TESSUMI_PICKER_PATH_UNITS];
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    Driver d;

    void SetUp() override {
        // The library delay-loads the dialog DLLs at a picker's first call.
        // Loaded here, before the driver's threads start: with their loading
        // inside the first picker call, while those threads poll the
        // windows, the first dialog of a run never came in 3 of about 25
        // runs under Wine.
        for (const wchar_t* dll : {L"comdlg32.dll", L"shell32.dll", L"ole32.dll"})
            ASSERT_NE(LoadLibraryW(dll), nullptr);
        wcscpy(path, L"C:\\earlier\\results.txt");
        wcscpy(status, L"untouched");
    }
    void TearDown() override {
        for (const std::string& f : d.failures()) ADD_FAILURE() << f;
    }
};

TEST_F(Pickers, SaveDialogOpensEmptyOnTextFilesAndReturnsTheTypedNameAsIs) {
    std::wstring opened, title, selectedType;
    std::vector<std::wstring> types;
    int result = d.Run(
        [&] {
            HWND dlg = WaitFor([&] { return DialogOf(d.pickerThread()); });
            DRIVER_CHECK(dlg, "no save dialog");
            title = Text(dlg);
            HWND edit = FileNameEdit(dlg);
            DRIVER_CHECK(edit, "no file name box");
            opened = Text(edit);
            HWND typeCombo = GetDlgItem(dlg, kFileTypeCombo);
            LRESULT count = SendMessageW(typeCombo, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                wchar_t item[256] = L"";
                SendMessageW(typeCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                types.push_back(item);
            }
            LRESULT sel = SendMessageW(typeCombo, CB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel < count) selectedType = types[sel];
            DRIVER_CHECK(GoTo(dlg, dir.path()), "dialog did not move into the folder");
            Type(FileNameEdit(dlg), L"検索結果");
            Press(dlg, IDOK);
        },
        [&] { return FnGetSaveFileName(nullptr, path, status); });

    EXPECT_EQ(title, L"ファイルの保存");
    EXPECT_EQ(opened, L"") << "the earlier name must not be offered";
    EXPECT_EQ(selectedType, L"テキスト ファイル(*.txt)");
    EXPECT_EQ(types, (std::vector<std::wstring>{
                         L"テキスト ファイル(*.txt)",
                         L"画像ファイル(*.BMP;*.JPG;*.GIF;*.TIF;*.PNG;*.ICO)",
                         L"すべてのファイル(*.*)"}));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::wstring(path), dir / L"検索結果") << Show(path);
    EXPECT_EQ(std::wstring(status), L"正常です。");
}

TEST_F(Pickers, SaveDialogAsksBeforeAnExistingFileIsTaken) {
    testing_support::WriteBytes(dir / L"old.txt", "kept");
    int confirmations = 0;
    bool stayedOpenAfterNo = false;
    int result = d.Run(
        [&] {
            HWND dlg = WaitFor([&] { return DialogOf(d.pickerThread()); });
            DRIVER_CHECK(dlg, "no save dialog");
            DRIVER_CHECK(GoTo(dlg, dir.path()), "dialog did not move into the folder");
            // First answer no: the dialog stays for another choice.
            Type(FileNameEdit(dlg), L"old.txt");
            Press(dlg, IDOK);
            HWND ask = WaitFor([&] { return DialogOf(d.pickerThread(), dlg); });
            DRIVER_CHECK(ask, "no overwrite question");
            DRIVER_CHECK(GetDlgItem(ask, IDYES) && GetDlgItem(ask, IDNO), "not a yes/no question");
            ++confirmations;
            Press(ask, IDNO);
            DRIVER_CHECK(WaitUntil([&] { return !IsWindow(ask); }), "question stayed");
            Sleep(300);
            stayedOpenAfterNo = IsWindowVisible(dlg) != FALSE;
            // Then yes: the existing file is the choice.
            Press(dlg, IDOK);
            ask = WaitFor([&] { return DialogOf(d.pickerThread(), dlg); });
            DRIVER_CHECK(ask, "no second overwrite question");
            ++confirmations;
            Press(ask, IDYES);
        },
        [&] { return FnGetSaveFileName(nullptr, path, status); });

    EXPECT_EQ(confirmations, 2);
    EXPECT_TRUE(stayedOpenAfterNo);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::wstring(path), dir / L"old.txt") << Show(path);
    EXPECT_EQ(std::wstring(status), L"正常です。");
    EXPECT_EQ(testing_support::ReadBytes(dir / L"old.txt"), "kept") << "the picker writes nothing";
}

TEST_F(Pickers, CancelledSaveDialogIsNoFailureAndLeavesTheNameEmpty) {
    int result = d.Run(
        [&] {
            HWND dlg = WaitFor([&] { return DialogOf(d.pickerThread()); });
            DRIVER_CHECK(dlg, "no save dialog");
            Type(FileNameEdit(dlg), L"typed but cancelled");
            Press(dlg, IDCANCEL);
        },
        [&] { return FnGetSaveFileName(nullptr, path, status); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::wstring(path), L"");
    EXPECT_EQ(std::wstring(status), L"正常です。");
}

HWND Tree(HWND dialog) { return GetDlgItem(dialog, kFolderTree); }

std::wstring SelectedFolderName(HWND tree) {
    HTREEITEM item = TreeView_GetSelection(tree);
    if (!item) return L"";
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

TEST_F(Pickers, FolderDialogReturnsTheChosenFolder) {
    std::wstring folder = dir / L"検索先";
    testing_support::MakeDir(folder);
    std::wstring title;
    int result = d.Run(
        [&] {
            HWND dlg = WaitFor([&] { return DialogOf(d.pickerThread()); });
            DRIVER_CHECK(dlg, "no folder dialog");
            HWND tree = Tree(dlg);
            DRIVER_CHECK(tree, "no folder tree");
            title = Text(GetDlgItem(dlg, 14146));
            // The dialog's own way of moving its tree to a folder, repeated
            // while the dialog may still be settling its first selection.
            bool selected = WaitUntil([&] {
                SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE,
                             reinterpret_cast<LPARAM>(folder.c_str()));
                Sleep(300);
                return SelectedFolderName(tree) == L"検索先";
            });
            DRIVER_CHECK(selected, "folder not selected in the tree");
            Press(dlg, IDOK);
        },
        [&] { return FnBrowseForFolder(nullptr, path, status); });
    EXPECT_EQ(title, L"フォルダの選択");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::wstring(path), folder) << Show(path);
    EXPECT_EQ(std::wstring(status), L"正常です。");
}

TEST_F(Pickers, CancelledFolderDialogIsNoFailure) {
    int result = d.Run(
        [&] {
            HWND dlg = WaitFor([&] { return DialogOf(d.pickerThread()); });
            DRIVER_CHECK(dlg, "no folder dialog");
            Press(dlg, IDCANCEL);
        },
        [&] { return FnBrowseForFolder(nullptr, path, status); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::wstring(status), L"正常です。");
    // Wine's path query empties the buffer for the missing item list.
    EXPECT_EQ(std::wstring(path), L"") << Show(path);
}

}  // namespace
