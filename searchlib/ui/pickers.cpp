// The save-file and folder pickers.
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

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

}  // namespace

extern "C" TESSUMI_API int FnGetSaveFileName(HWND owner, wchar_t* path, wchar_t* statusText) {
    if (!ArgumentsGiven({{path, L"path"}}, statusText)) return 0;
    SetLastError(0);
    path[0] = L'\0';
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFileTypes;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = TESSUMI_PICKER_PATH_UNITS;
    ofn.lpstrTitle = L"ファイルの保存";
    ofn.Flags = OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameW(&ofn)) {
        status::Ok(statusText);
        return 1;
    }
    DWORD code = CommDlgExtendedError();
    if (code == 0) {
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
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = L"フォルダの選択";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
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
        status::Ok(statusText);
        return 1;
    }
    FnDialogErrorText(code, statusText);
    SHGetPathFromIDListW(nullptr, path);
    CoTaskMemFree(nullptr);
    return 0;
}
