#include "gui_driver.h"

#include <commctrl.h>

#include "real_input.h"

namespace gui_driver {

namespace {

const DWORD kPollMs = 50;

// Memory committed in another process, released on every path.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t bytes)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* get() const { return address_; }

private:
    HANDLE process_;
    void* address_;
};

class ProcessHandle {
public:
    explicit ProcessHandle(HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        h_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    }
    ~ProcessHandle() {
        if (h_) CloseHandle(h_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_ = nullptr;
};

void AppendMenuItems(HMENU menu, std::vector<MenuItem>& out) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = ARRAYSIZE(text);
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        item.text = text;
        item.popup = info.hSubMenu != nullptr;
        item.id = item.popup ? 0 : info.wID;
        if (item.popup) AppendMenuItems(info.hSubMenu, item.items);
        out.push_back(std::move(item));
    }
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(kPollMs);
    }
}

std::wstring BesideThisProgram(const std::wstring& fileName) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return folder + fileName;
}

ChildProcess::~ChildProcess() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, kWaitMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ChildProcess::Start(const std::wstring& exePath) {
    return StartCommandLine(L"\"" + exePath + L"\"");
}

bool ChildProcess::StartCommandLine(const std::wstring& commandLine) {
    std::wstring writable = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != FALSE;
}

bool ChildProcess::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(info_.hProcess, exitCode) != FALSE;
}

std::vector<HWND> TopWindows(DWORD processId, const std::wstring& className) {
    struct Search {
        DWORD pid;
        const std::wstring* cls;
        std::vector<HWND> found;
    } search{processId, &className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == *s->cls)
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD processId, const std::wstring& className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto windows = TopWindows(processId, className);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, ARRAYSIZE(name));
    return name;
}

std::wstring TextOf(HWND hwnd) {
    int length = static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    return WaitForTopWindow(processId, L"#32770", timeoutMs);
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child : Children(box)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) text += TextOf(child);
    }
    return text;
}

void PressButton(HWND dialog, int buttonId) {
    real_input::Click(real_input::CentreOf(GetDlgItem(dialog, buttonId)));
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* units = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (units) text = units;
    if (units) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

std::wstring StatusBarText(HWND statusBar, int part) {
    ProcessHandle process(statusBar);
    if (!process.get()) return L"<no access>";
    LRESULT lengthAndType = SendMessageW(statusBar, SB_GETTEXTLENGTHW, part, 0);
    size_t units = LOWORD(lengthAndType) + 1;
    RemoteBuffer remote(process.get(), units * sizeof(wchar_t));
    if (!remote.get()) return L"<no memory>";
    SendMessageW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote.get()));
    std::wstring text(units, L'\0');
    SIZE_T read = 0;
    ReadProcessMemory(process.get(), remote.get(), &text[0], units * sizeof(wchar_t), &read);
    text.resize(wcsnlen(text.c_str(), units));
    return text;
}

bool SetStatusBarText(HWND statusBar, WPARAM partAndFlags, const std::wstring& text) {
    ProcessHandle process(statusBar);
    if (!process.get()) return false;
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    RemoteBuffer remote(process.get(), bytes);
    SIZE_T written = 0;
    if (!remote.get() || !WriteProcessMemory(process.get(), remote.get(), text.c_str(), bytes,
                                             &written))
        return false;
    return SendMessageW(statusBar, SB_SETTEXTW, partAndFlags,
                        reinterpret_cast<LPARAM>(remote.get())) != 0;
}

std::vector<MenuItem> MenuFromFile(const std::wstring& exePath, int menuId) {
    std::vector<MenuItem> items;
    ImageResources image(exePath);
    if (!image.module()) return items;
    HMENU menu = LoadMenuW(image.module(), MAKEINTRESOURCEW(menuId));
    if (!menu) return items;
    AppendMenuItems(menu, items);
    DestroyMenu(menu);
    return items;
}

ImageResources::ImageResources(const std::wstring& exePath)
    : module_(LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

ImageResources::~ImageResources() {
    if (module_) FreeLibrary(module_);
}

std::string ImageResources::Bytes(LPCWSTR type, LPCWSTR name, WORD language) const {
    if (!module_) return {};
    HRSRC found = FindResourceExW(module_, type, name, language);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
}

Pixels GrabDC(HDC source, const RECT& rect) {
    Pixels p;
    p.width = rect.right - rect.left;
    p.height = rect.bottom - rect.top;
    if (p.width <= 0 || p.height <= 0) return p;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = p.width;
    bmi.bmiHeader.biHeight = -p.height;  // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, p.width, p.height, source, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD* px = static_cast<const DWORD*>(bits);
        p.data.assign(px, px + static_cast<size_t>(p.width) * p.height);
        for (DWORD& v : p.data) v &= 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    return p;
}

Pixels GrabClient(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    OffsetRect(&client, origin.x, origin.y);
    HDC screen = GetDC(nullptr);
    Pixels p = GrabDC(screen, client);
    ReleaseDC(nullptr, screen);
    return p;
}

Pixels Settled(HWND hwnd) {
    Pixels last = GrabClient(hwnd);
    for (int k = 0; k < 40; ++k) {
        Sleep(100);
        Pixels now = GrabClient(hwnd);
        if (now == last) return now;
        last = now;
    }
    return last;
}

Pixels ChangedFrom(HWND hwnd, const Pixels& old) {
    WaitUntil([&] { return GrabClient(hwnd) != old; }, 5000);
    return Settled(hwnd);
}

}  // namespace gui_driver
