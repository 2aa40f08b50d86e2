// Opening, showing and copying a result record's file.
#include "record_actions.h"

#include <cstring>

#include "editor_open.h"
#include "hit_target.h"
#include "message_boxes.h"
#include "shell_open.h"
#include "system_message.h"

namespace {

// The menu's items, with access keys.
const wchar_t kOpenFileItem[] = L"ファイルを開く(&O)";
const wchar_t kOpenFolderItem[] = L"フォルダーを開く(&F)";
const wchar_t kCopyPathItem[] = L"パスをコピー(&C)";
const wchar_t kCannotOpen[] = L"を開くことができません\n理由：";
const wchar_t kCannotCopy[] = L"パスをコピーすることができません\n理由：";
const wchar_t kCannotCopyText[] = L"コピーすることができません\n理由：";
const wchar_t kExplorer[] = L"explorer.exe";

// The menu's commands; TrackPopupMenu hands them back, so they never reach
// a window as WM_COMMAND.
enum MenuCommand : UINT { kNoCommand, kOpenFileCommand, kOpenFolderCommand, kCopyPathCommand };

void ShowFailure(HWND owner, const std::wstring& text, DWORD code) {
    ShowFailureBox(owner, (text + SystemMessageText(code)).c_str());
}

// The clipboard, open while this lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool open() const { return open_; }

private:
    bool open_;
};

// A movable global block, freed unless the clipboard took it over.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t bytes) : block_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalBlock() {
        if (block_) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block_; }
    void Release() { block_ = nullptr; }

private:
    HGLOBAL block_;
};

// A popup menu, destroyed with this.
class PopupMenu {
public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (menu_) DestroyMenu(menu_);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

// The path as clipboard text; the failure's code, or ERROR_SUCCESS.
DWORD PutOnClipboard(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    SetLastError(ERROR_SUCCESS);
    OpenedClipboard clipboard(owner);
    if (!clipboard.open()) return GetLastError();
    SetLastError(ERROR_SUCCESS);
    GlobalBlock block(bytes);
    void* data = block.get() ? GlobalLock(block.get()) : nullptr;
    if (!data) return GetLastError();
    std::memcpy(data, text.c_str(), bytes);
    GlobalUnlock(block.get());
    EmptyClipboard();
    SetLastError(ERROR_SUCCESS);
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) return GetLastError();
    block.Release();  // the clipboard's now
    return ERROR_SUCCESS;
}

}  // namespace

void OpenRecordFile(HWND owner, const std::wstring& path, int recordLine) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    switch (TargetOf(path, isFile)) {
    case HitTarget::kEditor: OpenRecordInEditor(owner, path, recordLine); break;
    case HitTarget::kDocument: OpenDocument(owner, path); break;
    case HitTarget::kMember: OpenArchiveMember(owner, path, recordLine, false); break;
    case HitTarget::kDocumentMember: OpenArchiveMember(owner, path, recordLine, true); break;
    }
}

void OpenRecordFolder(HWND owner, const std::wstring& path) {
    // Explorer reads the path to the end of its argument, quoted when a
    // space or comma would cut it; Wine's explorer takes only the unquoted form.
    const bool quoted = path.find_first_of(L" ,") != std::wstring::npos;
    const std::wstring parameters =
        quoted ? L"/select,\"" + path + L"\"" : L"/select," + path;
    DWORD code = ShellOpen(owner, kExplorer, parameters.c_str());
    if (code != ERROR_SUCCESS) ShowFailure(owner, path + kCannotOpen, code);
}

void CopyRecordPath(HWND owner, const std::wstring& path) {
    DWORD code = PutOnClipboard(owner, path);
    if (code != ERROR_SUCCESS) ShowFailure(owner, kCannotCopy, code);
}

void CopyText(HWND owner, const std::wstring& text) {
    DWORD code = PutOnClipboard(owner, text);
    if (code != ERROR_SUCCESS) ShowFailure(owner, kCannotCopyText, code);
}

void ShowRecordMenu(HWND owner, POINT screen, const std::wstring& path, int recordLine) {
    UINT chosen = kNoCommand;
    {
        PopupMenu menu;
        if (!menu.get()) return;
        AppendMenuW(menu.get(), MF_STRING, kOpenFileCommand, kOpenFileItem);
        AppendMenuW(menu.get(), MF_STRING, kOpenFolderCommand, kOpenFolderItem);
        AppendMenuW(menu.get(), MF_STRING, kCopyPathCommand, kCopyPathItem);
        chosen = static_cast<UINT>(TrackPopupMenu(
            menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x,
            screen.y, 0, owner, nullptr));
    }
    switch (chosen) {
    case kOpenFileCommand: OpenRecordFile(owner, path, recordLine); break;
    case kOpenFolderCommand: OpenRecordFolder(owner, path); break;
    case kCopyPathCommand: CopyRecordPath(owner, path); break;
    }
}
