#include "folder_offer.h"

#include "folder_drop.h"
#include "search_command.h"
#include "search_dialog.h"
#include "search_worker.h"

namespace {

// Marks a WM_COPYDATA as this program's folder offer ("VnFo").
const ULONG_PTR kFolderOfferId = 0x566E466F;
const DWORD kLongestFolderUnits = 32767;
const UINT kHandOverPatienceMs = 5000;

// The window's reminder to itself, a message no other part uses.
UINT OfferMessage() {
    static const UINT message = RegisterWindowMessageW(L"Varnelo.FolderOffered");
    return message;
}

std::wstring g_offered;  // waiting for the window to be free

const wchar_t* SkipBlanks(const wchar_t* at) {
    while (*at == L' ' || *at == L'\t') ++at;
    return at;
}

void TakeCopyData(HWND mainWindow, const COPYDATASTRUCT& data) {
    const size_t units = data.cbData / sizeof(wchar_t);
    if (units == 0 || units > kLongestFolderUnits + 1 || !data.lpData) return;
    std::wstring folder(static_cast<const wchar_t*>(data.lpData), units);
    folder.resize(wcsnlen(folder.c_str(), units));
    if (!folder.empty()) OfferFolder(mainWindow, folder);
}

void ShowOffer(HWND mainWindow) {
    if (g_offered.empty()) return;
    if (HWND dialog = SearchDialogShown()) {
        ShowStartFolder(dialog, g_offered);
        g_offered.clear();
        SetForegroundWindow(GetLastActivePopup(mainWindow));
        return;
    }
    // A search runs, or a box waits for an answer: kept until it is done.
    if (SearchWorkerRunning() || !IsWindowEnabled(mainWindow)) return;
    const std::wstring folder = std::move(g_offered);
    g_offered.clear();
    if (IsIconic(mainWindow)) ShowWindow(mainWindow, SW_RESTORE);
    SetForegroundWindow(mainWindow);
    RunSearchCommand(mainWindow, &folder);
}

}  // namespace

std::wstring FolderArgument(const wchar_t* commandLine) {
    if (!commandLine) return L"";
    const wchar_t* at = SkipBlanks(commandLine);
    // The program: quoted, or up to the first blank.
    if (*at == L'"') {
        const wchar_t* close = wcschr(at + 1, L'"');
        at = close ? close + 1 : at + wcslen(at);
    } else {
        while (*at && *at != L' ' && *at != L'\t') ++at;
    }
    at = SkipBlanks(at);
    std::wstring folder;
    if (*at == L'"') {
        const wchar_t* close = wcschr(at + 1, L'"');
        folder.assign(at + 1, close ? close : at + wcslen(at));
    } else {
        folder = at;
        folder.erase(folder.find_last_not_of(L" \t") + 1);
    }
    return folder;
}

bool HandFolderTo(HWND runningMainWindow, const std::wstring& folder) {
    if (!runningMainWindow || folder.empty() || folder.size() > kLongestFolderUnits) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(runningMainWindow, &process);
    // The running window brings its dialog forward itself, later than this
    // start could.
    AllowSetForegroundWindow(process);
    COPYDATASTRUCT data{};
    data.dwData = kFolderOfferId;
    data.cbData = static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(folder.c_str());
    DWORD_PTR taken = 0;
    return SendMessageTimeoutW(runningMainWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, kHandOverPatienceMs, &taken) &&
           taken == TRUE;
}

void OfferFolder(HWND mainWindow, const std::wstring& path) {
    g_offered = FolderFor(path);
    // Shown from the message loop: never inside the caller (a drag source
    // or another process waits for it).
    PostMessageW(mainWindow, OfferMessage(), 0, 0);
}

bool HandleFolderOffer(HWND mainWindow, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message == OfferMessage() && message != 0) {
        ShowOffer(mainWindow);
        *result = 0;
        return true;
    }
    if (message != WM_COPYDATA) return false;
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kFolderOfferId) return false;
    TakeCopyData(mainWindow, *data);
    *result = TRUE;
    return true;
}

void RetryFolderOffer(HWND mainWindow) {
    if (!g_offered.empty()) PostMessageW(mainWindow, OfferMessage(), 0, 0);
}
