// Brings a running Varnelo to a state worth a screenshot, with real keys
// and clicks: a quick search whose results are drawn, then a long one that
// is still running, its progress in the status bar. tools/screenshot.sh runs
// it and takes the picture once it has ended: the driver writes its exit
// code into the file that VARNELO_SCREENSHOT_DONE names, if set.
//
// usage: screenshot_driver FOLDER RESULTS PATTERN1 QUICK_PATTERN2 SLOW_PATTERN2
#include <windows.h>

#include <cstdio>
#include <string>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"

using namespace gui_driver;

namespace {

HWND SearchDialog(DWORD pid) {
    for (HWND h : TopWindows(pid, L"#32770"))
        if (TextOf(h) == L"検索する") return h;
    return nullptr;
}

// Alt+S, G, then every edit's text erased and typed anew, and Enter.
bool Search(HWND main, const wchar_t* const texts[4]) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    real_input::Key('S', real_input::kAlt);
    real_input::Key('G');
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = SearchDialog(pid)) != nullptr; })) return false;
    const int ids[4] = {IDC_FOLDER_EDIT, IDC_PATTERN1_EDIT, IDC_PATTERN2_EDIT, IDC_RESULTS_EDIT};
    for (int i = 0; i < 4; ++i) {
        HWND edit = GetDlgItem(dialog, ids[i]);
        RECT r{};
        GetClientRect(edit, &r);
        real_input::Click(real_input::ClientToScreenPoint(edit, r.right / 2, r.bottom / 2));
        real_input::Key(VK_END);
        for (size_t n = TextOf(edit).size(); n > 0; --n) real_input::Key(VK_BACK);
        real_input::Type(texts[i]);
    }
    real_input::Key(VK_RETURN);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

int Fail(const char* what) {
    fprintf(stderr, "screenshot_driver: %s\n", what);
    return 1;
}

}  // namespace

int Drive(int argc, wchar_t** argv) {
    if (argc != 6) {
        fputs("usage: screenshot_driver FOLDER RESULTS PATTERN1 QUICK_PATTERN2 SLOW_PATTERN2\n",
              stderr);
        return 2;
    }
    HWND main = nullptr;
    WaitUntil([&] { return (main = FindWindowW(L"MainWndClass", nullptr)) != nullptr; });
    if (!main) return Fail("no main window");
    HWND bar = GetDlgItem(main, IDC_STATUS_BAR);
    real_input::ClickToFront(main, 200, 150);

    const wchar_t* quick[4] = {argv[1], argv[3], argv[4], argv[2]};
    if (!Search(main, quick)) return Fail("the quick search did not start");
    if (!WaitUntil([&] { return StatusBarText(bar, 0).find(L"件見つかりました") != std::wstring::npos; }))
        return Fail("the quick search found nothing");
    const wchar_t* slow[4] = {argv[1], argv[3], argv[5], argv[2]};
    if (!Search(main, slow)) return Fail("the long search did not start");
    Sleep(2500);  // well into the search
    const std::wstring status = StatusBarText(bar, 0);
    if (status.rfind(L"検索中（", 0) == 0) return 0;
    fwprintf(stderr, L"screenshot_driver: the status bar shows %ls\n", status.c_str());
    return Fail("no search in progress");
}

int wmain(int argc, wchar_t** argv) {
    const int code = Drive(argc, argv);
    wchar_t done[MAX_PATH];
    if (GetEnvironmentVariableW(L"VARNELO_SCREENSHOT_DONE", done, MAX_PATH)) {
        if (FILE* f = _wfopen(done, L"w")) {
            fprintf(f, "%d", code);
            fclose(f);
        }
    }
    return code;
}
