// Sets up a scene in a running Varnelo for tools/screenshot.sh, by real
// input as a person would: "results" searches a small Japanese tree and
// shows its records; "menu" also opens the context menu of a record. Writes
// DONE_FILE when the scene stands.
//
// usage: screenshot_scene results|menu DONE_FILE
#include <windows.h>

#include <string>

#include "gui_driver.h"
#include "real_input.h"
#include "resource_ids.h"

using namespace gui_driver;

namespace {

const wchar_t kTree[] = L"C:\\資料";

void Write(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string Sjis(const std::wstring& text) {
    int n = WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                        nullptr);
    return bytes;
}

void MakeTree() {
    CreateDirectoryW(kTree, nullptr);
    CreateDirectoryW((std::wstring(kTree) + L"\\議事録").c_str(), nullptr);
    Write(std::wstring(kTree) + L"\\メモ.txt",
          Sjis(L"明日の天気は晴れ\r\n東京へ出張\r\n\r\n東京駅で待ち合わせ\t10:00\r\n"));
    Write(std::wstring(kTree) + L"\\議事録\\4月.txt",
          Sjis(L"出席者\t5名\r\n東京支社と大阪支社の合同会議\r\n次回は東京で開催\r\n"));
    Write(std::wstring(kTree) + L"\\予定.csv", Sjis(L"日付,場所\r\n5/1,東京\r\n"));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring scene = argv[1];
    HWND main = nullptr;
    WaitUntil([&] { return (main = FindWindowW(L"MainWndClass", nullptr)) != nullptr; });
    if (!main) return 3;
    MakeTree();

    real_input::ClickToFront(main, 5, 5);
    real_input::Key('S', real_input::kAlt);
    real_input::Key('G');
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindWindowW(L"#32770", L"検索する")) != nullptr; });
    if (!dialog) return 4;
    const struct {
        int id;
        const wchar_t* text;
    } fields[] = {{IDC_FOLDER_EDIT, kTree},
                  {IDC_PATTERN1_EDIT, L"\\.txt$"},
                  {IDC_PATTERN2_EDIT, L"東京"},
                  {IDC_RESULTS_EDIT, L"C:\\結果.txt"}};
    for (const auto& f : fields) {
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, f.id), &r);
        real_input::Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        real_input::Type(f.text);
    }
    real_input::Key(VK_RETURN);
    WaitUntil([&] { return !IsWindow(dialog); });
    Sleep(1000);

    if (scene == L"menu") {
        HDC dc = GetDC(nullptr);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        ReleaseDC(nullptr, dc);
        HWND view = GetDlgItem(main, IDC_RESULTS_VIEW);
        // The second record's hit line.
        real_input::RightClick(real_input::ClientToScreenPoint(view, 120, tm.tmHeight * 3 + 4));
        Sleep(1000);
        real_input::Key(VK_DOWN);  // the first command lit
        Sleep(500);
    }
    Write(argv[2], "done");
    return 0;
}
