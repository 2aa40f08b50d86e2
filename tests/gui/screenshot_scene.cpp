// Sets up a scene in a running Varnelo for tools/screenshot.sh, by real
// input as a person would: "results" searches a small Japanese tree and
// shows its records; "menu" also opens the context menu of a record;
// "editor" opens the editor dialog over them;
// "progress" searches a larger tree for the same word, then searches it
// again with a pattern slow to test and stays while that search runs;
// "dialog" opens the search dialog again after "results".
// Writes DONE_FILE when the scene stands.
//
// usage: screenshot_scene results|menu|editor|progress|dialog DONE_FILE
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

// 240 files under C:\書類, each with a few Japanese lines and 40 lines that
// a backreference makes slow to test: a search of them takes half a minute.
const wchar_t kSlowTree[] = L"C:\\書類";

void MakeSlowTree() {
    const wchar_t* const folders[] = {L"議事録", L"報告書", L"見積", L"企画", L"2023年度", L"2024年度"};
    const wchar_t* const lines[] = {L"来年度の予算案について検討した。", L"出席者：営業部、総務部、開発部",
                                    L"次回の会議は来週の月曜日。", L"予算の見直しを四月までに行う。",
                                    L"特記事項なし。"};
    const std::string slow = std::string(200, 'w') + " hit\r\n";
    CreateDirectoryW(kSlowTree, nullptr);
    for (int i = 0; i < 6; ++i) {
        std::wstring folder = std::wstring(kSlowTree) + L"\\" + folders[i];
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int q = 1; q <= 4; ++q) {
            std::wstring quarter = folder + L"\\第" + std::to_wstring(q) + L"四半期";
            CreateDirectoryW(quarter.c_str(), nullptr);
            for (int f = 1; f <= 10; ++f) {
                std::string text;
                for (int k = 0; k < 6; ++k) text += Sjis(lines[(k + f + i) % 5]) + "\r\n";
                for (int k = 0; k < 40; ++k) text += slow;
                Write(quarter + L"\\メモ" + (f < 10 ? L"0" : L"") + std::to_wstring(f) + L".txt",
                      text);
            }
        }
    }
}

// Alt+S, G, each edit's text erased and typed anew, and Enter; false when
// the dialog did not show.
bool Search(HWND main, const wchar_t* folder, const wchar_t* pattern2, const wchar_t* results) {
    real_input::ClickToFront(main, 5, 5);
    real_input::Key('S', real_input::kAlt);
    real_input::Key('G');
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindWindowW(L"#32770", L"検索する")) != nullptr; });
    if (!dialog) return false;
    const struct {
        int id;
        const wchar_t* text;
    } fields[] = {{IDC_FOLDER_EDIT, folder},
                  {IDC_PATTERN1_EDIT, L"\\.txt$"},
                  {IDC_PATTERN2_EDIT, pattern2},
                  {IDC_RESULTS_EDIT, results}};
    for (const auto& f : fields) {
        HWND edit = GetDlgItem(dialog, f.id);
        RECT r{};
        GetWindowRect(edit, &r);
        real_input::Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        real_input::Key(VK_END);
        for (size_t n = TextOf(edit).size(); n > 0; --n) real_input::Key(VK_BACK);
        real_input::Type(f.text);
    }
    real_input::Key(VK_RETURN);
    WaitUntil([&] { return !IsWindow(dialog); });
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring scene = argv[1];
    HWND main = nullptr;
    WaitUntil([&] { return (main = FindWindowW(L"MainWndClass", nullptr)) != nullptr; });
    if (!main) return 3;
    if (scene == L"progress") {
        MakeSlowTree();
        HWND bar = GetDlgItem(main, IDC_STATUS_BAR);
        if (!Search(main, kSlowTree, L"予算", L"C:\\結果.txt")) return 4;
        WaitUntil([&] { return StatusBarText(bar, 0).find(L"件見つかりました") != std::wstring::npos; });
        if (!Search(main, kSlowTree, L"(\\w+)\\1\\1x|hit", L"C:\\結果2.txt")) return 4;
        Sleep(1500);  // well into the search; the picture comes 2 s later
        Write(argv[2], "done");
        return 0;
    }
    MakeTree();
    if (!Search(main, kTree, L"東京", L"C:\\結果.txt")) return 4;
    Sleep(1000);

    if (scene == L"dialog") {  // opened again, holding the conditions just used
        real_input::ClickToFront(main, 5, 5);
        real_input::Key('S', real_input::kAlt);
        real_input::Key('G');
        Sleep(1500);
    }
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
    if (scene == L"editor") {
        real_input::Key('F', real_input::kAlt);
        real_input::Key('D');
        WaitUntil([&] { return FindWindowW(L"#32770", L"エディターの設定") != nullptr; });
        Sleep(500);
    }
    Write(argv[2], "done");
    return 0;
}
