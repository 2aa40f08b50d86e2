#include "shell_open.h"

#include <shellapi.h>

#include "message_boxes.h"
#include "system_message.h"

namespace {

const wchar_t kCannotOpen[] = L"を開くことができません\n理由：";

}  // namespace

DWORD ShellOpen(HWND owner, const wchar_t* file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No dialog of the shell's own: the failure is reported here.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    SetLastError(ERROR_SUCCESS);
    if (ShellExecuteExW(&info)) return ERROR_SUCCESS;
    return ShellExecuteErrorCode(GetLastError(), reinterpret_cast<INT_PTR>(info.hInstApp));
}

void OpenDocument(HWND owner, const std::wstring& path) {
    const DWORD code = ShellOpen(owner, path.c_str(), nullptr);
    if (code != ERROR_SUCCESS)
        ShowFailureBox(owner, (path + kCannotOpen + SystemMessageText(code)).c_str());
}
