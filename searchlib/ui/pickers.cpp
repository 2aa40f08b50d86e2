// The save-file and folder pickers.
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "Tessumi.h"
#include "arguments.h"
#include "pickers.h"
#include "status_text.h"

// The structure's real size with its three trailing members: 88 bytes on x86,
// 152 on x64, where the pointers and the padding grow.
static_assert(sizeof(OPENFILENAMEW) == (sizeof(void*) == 8 ? 152 : 88),
              "OPENFILENAMEW must carry its trailing members");

namespace {

// Pairs of display name and pattern, ended by an empty string.
const wchar_t kFileTypes[] =
    L"テキスト ファイル(*.txt)\0*.txt\0"
    L"画像ファイル(*.BMP;*.JPG;*.GIF;*.TIF;*.PNG;*.ICO)\0*.BMP;*.JPG;*.GIF;*.TIF;*.PNG;*.ICO\0"
    L"すべてのファイル(*.*)\0*.*\0";

// The folder dialog needs COM on this thread; a caller that initialised COM
// already keeps its own initialisation untouched.
class ComInit {
public:
    ComInit() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComInit() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    HRESULT hr_;
};

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where a picker opens for the path its caller hands in: that folder, or the
// folder of that file, when it exists; empty (the system's choice) otherwise.
// `leaf` receives the file's name when the path is not a folder itself.
std::wstring StartFolder(const wchar_t* path, std::wstring* leaf) {
    std::wstring given(path, wcsnlen(path, TESSUMI_PICKER_PATH_UNITS - 1));
    if (given.empty()) return L"";
    if (IsFolder(given)) return given;
    size_t cut = given.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L"";
    // "C:\x.txt" lies in "C:\", not in "C:".
    std::wstring folder = given.substr(0, cut == 2 && given[1] == L':' ? cut + 1 : cut);
    if (folder.empty() || !IsFolder(folder)) return L"";
    if (leaf) *leaf = given.substr(cut + 1);
    return folder;
}

int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start != 0)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

extern "C" TESSUMI_API int FnGetSaveFileName(HWND owner, wchar_t* path, wchar_t* statusText) {
    if (!ArgumentsGiven({{path, L"path"}}, statusText)) return 0;
    SetLastError(0);
    std::wstring leaf;
    const std::wstring start = StartFolder(path, &leaf);
    // The box shows the file's own name; a name that does not fit starts empty.
    if (start.empty() || leaf.size() >= TESSUMI_PICKER_PATH_UNITS) leaf.clear();
    wcscpy(path, leaf.c_str());
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFileTypes;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = TESSUMI_PICKER_PATH_UNITS;
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.lpstrTitle = L"ファイルの保存";
    ofn.Flags = OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameW(&ofn)) {
        status::Ok(statusText);
        return 1;
    }
    DWORD code = CommDlgExtendedError();
    if (code == 0) {
        path[0] = L'\0';  // cancelled: not the name the picker started with
        status::Ok(statusText);
        return 1;
    }
    // Too small a buffer gets the needed size in its first unit, not a name:
    // neither the message nor the caller's field may show that as text.
    if (code == FNERR_BUFFERTOOSMALL) path[0] = L'\0';
    wchar_t reason[status::kUnits];
    FnDialogErrorText(code, reason);
    status::Compose(statusText, path, status::kOpenDialog, reason);
    return 0;
}

extern "C" TESSUMI_API int FnBrowseForFolder(HWND owner, wchar_t* path, wchar_t* statusText) {
    if (!ArgumentsGiven({{path, L"path"}}, statusText)) return 0;
    SetLastError(0);
    ComInit com;
    const std::wstring start = StartFolder(path, nullptr);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = L"フォルダの選択";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!start.empty()) {
        info.lpfn = SelectStartFolder;
        info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    }
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (item != nullptr) {
        SHGetPathFromIDListW(item, path);
        CoTaskMemFree(item);
        status::Ok(statusText);
        return 1;
    }
    DWORD code = CommDlgExtendedError();
    if (code == 0) {
        SHGetPathFromIDListW(nullptr, path);
        CoTaskMemFree(nullptr);
        path[0] = L'\0';  // the query may leave the start folder there
        status::Ok(statusText);
        return 1;
    }
    FnDialogErrorText(code, statusText);
    SHGetPathFromIDListW(nullptr, path);
    CoTaskMemFree(nullptr);
    return 0;
}
