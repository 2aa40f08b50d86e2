#include "editor_open.h"

#include <memory>
#include <vector>

#include "Tessumi.h"
#include "settings/setting_names.h"
#include "settings/settings.h"
#include "member_copies.h"
#include "message_boxes.h"
#include "shell_open.h"
#include "system_message.h"

namespace {

const wchar_t kCannotOpen[] = L"を開くことができません\n理由：";
const wchar_t kCannotStart[] = L"を起動することができません\n理由：";
const wchar_t kLineFoundName[] = L"Varnelo.EditorLineFound";
// The wait cursor shows only when the line takes longer than this.
const UINT kWaitCursorDelayMs = 200;
const UINT_PTR kWaitCursorTimerId = 0xED17;

struct OpenJob {
    HWND owner;
    std::wstring path;  // the member's, until it is copied out: then the copy's
    int recordLine;
    bool member = false;    // copied out first
    bool document = false;  // opened through its type, at no line
    int line = 1;
    std::wstring failure{};  // why the member could not be copied
};

bool g_pending = false;
bool g_waitCursor = false;

UINT LineFoundMessage() {
    static const UINT message = RegisterWindowMessageW(kLineFoundName);
    return message;
}

DWORD WINAPI FindLine(void* parameter) {
    std::unique_ptr<OpenJob> job(static_cast<OpenJob*>(parameter));
    std::wstring copy;
    if (job->member && CopyMemberOut(job->path, &copy, &job->failure)) job->path = copy;
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
    // A file that can't be read still opens, at the record's own number.
    if (job->failure.empty() && !job->document)
        FnPhysicalLine(job->path.c_str(), job->recordLine, &job->line, status);
    if (PostMessageW(job->owner, LineFoundMessage(), 0, reinterpret_cast<LPARAM>(job.get())))
        job.release();  // the window's now
    return 0;
}

void ShowFailure(HWND owner, const std::wstring& text, DWORD code) {
    ShowFailureBox(owner, (text + SystemMessageText(code)).c_str());
}

void EndWait(HWND owner) {
    KillTimer(owner, kWaitCursorTimerId);
    g_pending = false;
    if (g_waitCursor) {
        g_waitCursor = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

// The job on a thread of its own, the wait cursor timed meanwhile. A member
// is never opened without its copy; a file is opened at the record's line
// when no thread can be had.
void StartJob(std::unique_ptr<OpenJob> job) {
    HANDLE thread = CreateThread(nullptr, 0, FindLine, job.get(), 0, nullptr);
    if (!thread) {
        if (job->member)
            ShowFailure(job->owner, job->path + kCannotOpen, GetLastError());
        else
            StartEditor(job->owner, ConfiguredEditor(), job->path, job->recordLine);
        return;
    }
    HWND owner = job->owner;
    job.release();  // the thread's now
    CloseHandle(thread);
    g_pending = true;
    SetTimer(owner, kWaitCursorTimerId, kWaitCursorDelayMs, nullptr);
}

}  // namespace

EditorCommand ConfiguredEditor() {
    const std::wstring command =
        settings::ReadString(settings::kEditorSection, settings::kEditorCommandKey, L"");
    EditorCommand editor = SplitEditorCommand(command);
    return editor.program.empty() ? NotepadCommand() : editor;
}

void StartEditor(HWND owner, const EditorCommand& editor, const std::wstring& file, int line) {
    std::wstring commandLine = EditorCommandLine(editor, file, line);
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ShowFailure(owner, editor.program + kCannotStart, GetLastError());
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void OpenRecordInEditor(HWND owner, const std::wstring& path, int recordLine) {
    if (g_pending) return;
    // A file that is gone is reported here, as the system words it, rather
    // than left to the editor to offer to create.
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowFailure(owner, path + kCannotOpen, GetLastError());
        return;
    }
    StartJob(std::make_unique<OpenJob>(OpenJob{owner, path, recordLine}));
}

void OpenArchiveMember(HWND owner, const std::wstring& memberPath, int recordLine, bool document) {
    if (g_pending) return;
    StartJob(std::make_unique<OpenJob>(OpenJob{owner, memberPath, recordLine, true, document}));
}

bool HandleEditorOpenMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LineFoundMessage() && message != 0) {
        std::unique_ptr<OpenJob> job(reinterpret_cast<OpenJob*>(lParam));
        EndWait(owner);
        if (!job->failure.empty())
            ShowFailureBox(owner, job->failure.c_str());
        else if (job->document)
            OpenDocument(owner, job->path);
        else
            StartEditor(owner, ConfiguredEditor(), job->path, job->line);
        return true;
    }
    if (message == WM_TIMER && wParam == kWaitCursorTimerId) {
        KillTimer(owner, kWaitCursorTimerId);
        if (g_pending) {
            g_waitCursor = true;
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        }
        return true;
    }
    if (message == WM_SETCURSOR && g_waitCursor) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return true;
    }
    return false;
}
