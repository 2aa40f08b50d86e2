#include "results_export.h"

#include <commdlg.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "handle_owner.h"
#include "hit_records.h"
#include "message_boxes.h"
#include "path_facts.h"
#include "record_actions.h"
#include "results_view.h"
#include "search_command.h"
#include "search_progress.h"
#include "settings.h"
#include "status_bar_texts.h"
#include "system_message.h"

namespace {

// The save picker's types, in the order of its list (nFilterIndex from 1).
const wchar_t kTypes[] =
    L"タグジャンプ形式 UTF-8 (*.txt)\0*.txt\0CSV UTF-8 BOM 付き (*.csv)\0*.csv\0";
const DWORD kCsvType = 2;
const wchar_t kDefaultExtension[] = L"txt";
const wchar_t kCannotWrite[] = L"に書き出すことができません\n理由：";
const wchar_t kCannotStart[] = L"書き出しを始めることができません。";
const wchar_t kStopped[] = L"書き出しを中止しました。";
const wchar_t kNotTheResultsFile[] =
    L"表示している結果ファイルには書き出せません。別のファイルを指定してください。";
// The type and folder chosen last, offered first next time.
const wchar_t kSection[] = L"Export";
const wchar_t kTypeKey[] = L"Type";
const wchar_t kFolderKey[] = L"Folder";

enum class JobKind { kFile, kClipboard };

struct HandOnJob {
    JobKind kind;
    HWND window;
    std::vector<HitRecord> records;
    std::wstring file;  // kFile: where to, and in which form
    bool csv = false;
    std::wstring text;  // kClipboard: the text made
    DWORD error = ERROR_SUCCESS;
    std::atomic<bool> stop{false};
};

// The job under way; its thread posts JobEndedMessage() when it has ended.
std::unique_ptr<HandOnJob> g_job;

UINT JobEndedMessage() {
    static const UINT message = RegisterWindowMessageW(L"Varnelo.HandOnEnded");
    return message;
}
HANDLE g_thread = nullptr;

DWORD WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return GetLastError();
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

DWORD WINAPI RunJob(void* parameter) {
    auto* job = static_cast<HandOnJob*>(parameter);
    if (EditorLines(job->records, job->stop)) {
        if (job->kind == JobKind::kClipboard)
            job->text = TagJumpText(job->records);
        else
            job->error = WriteFileBytes(
                job->file, job->csv ? CsvBytes(job->records) : TagJumpBytes(job->records));
    }
    PostMessageW(job->window, JobEndedMessage(), 0, 0);
    return 0;
}

void Start(std::unique_ptr<HandOnJob> job) {
    g_thread = CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr);
    if (g_thread) g_job = std::move(job);
}

void Join() {
    WaitForSingleObject(g_thread, INFINITE);
    CloseHandle(g_thread);
    g_thread = nullptr;
}

// The picker: where to and in which form; false when cancelled.
bool AskWhere(HWND owner, std::wstring* file, bool* csv) {
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring folder = settings::ReadString(
        kSection, kFolderKey, ContainingFolder(TheSearchConditions().resultsFile));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kTypes;
    ofn.nFilterIndex = static_cast<DWORD>(settings::ReadInt(kSection, kTypeKey, 1, 1, kCsvType));
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = kDefaultExtension;  // the chosen type's, in the picker
    // The picker asks before an existing file is replaced: no second question.
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) return false;
    *file = path.data();
    *csv = ofn.nFilterIndex == kCsvType;
    // Kept with the other settings when they are next saved.
    settings::WriteInt(kSection, kTypeKey, *csv ? kCsvType : 1);
    settings::WriteString(kSection, kFolderKey, ContainingFolder(*file));
    return true;
}

}  // namespace

void ExportResultsCommand(HWND mainWindow) {
    if (g_job || !HasResultsText()) return;
    auto job = std::make_unique<HandOnJob>();
    job->kind = JobKind::kFile;
    job->window = mainWindow;
    if (!AskWhere(mainWindow, &job->file, &job->csv)) return;
    // The results file on screen is never written over by its own export.
    if (SameFile(IdentityOf(job->file), ShownResults().file)) {
        ShowFailureBox(mainWindow, kNotTheResultsFile);
        return;
    }
    job->records = AllHitRecords();
    ShowStatusText(ExportingText(job->records.size()));
    Start(std::move(job));
    if (!g_job) ShowFailureBox(mainWindow, kCannotStart);
}

void CopySelectedRecords(HWND mainWindow) {
    if (g_job) return;
    auto job = std::make_unique<HandOnJob>();
    job->kind = JobKind::kClipboard;
    job->window = mainWindow;
    job->records = SelectedHitRecords();
    if (!job->records.empty()) Start(std::move(job));
}

bool HandleHandOnMessage(HWND mainWindow, UINT message, WPARAM, LPARAM) {
    if (message != JobEndedMessage() || message == 0) return false;
    if (!g_job) return true;
    Join();
    std::unique_ptr<HandOnJob> job = std::move(g_job);
    if (job->stop) {
        ShowStatusText(kStopped);
    } else if (job->kind == JobKind::kClipboard) {
        CopyText(mainWindow, job->text);
    } else if (job->error != ERROR_SUCCESS) {
        ShowStatusText(L"");
        ShowFailureBox(mainWindow, (job->file + kCannotWrite + SystemMessageText(job->error)).c_str());
    } else {
        ShowStatusText(ExportedText(job->records.size(), job->file));
    }
    return true;
}

void StopHandOn() {
    if (g_job) g_job->stop.store(true);
}

void EndHandOnForExit() {
    if (!g_job) return;
    StopHandOn();
    Join();
    g_job.reset();
}
