// A small driver for testing window programs from the outside: start a
// process, find its windows, read and set texts across the process
// boundary, read resources from its image and grab pixels from the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui_driver {

// Default patience for anything a started program has to show.
const DWORD kWaitMs = 20000;

// Polls until done() answers true or timeoutMs passes; returns done()'s last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);

// Full path of a file that lies beside this test program (the build puts
// every program into one folder).
std::wstring BesideThisProgram(const std::wstring& fileName);

// A started program. The destructor ends it if it still runs, so a failing
// test leaves nothing behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& exePath);
    // A whole command line, its program first, as Explorer runs a verb's.
    bool StartCommandLine(const std::wstring& commandLine);
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    bool Running() const;
    // Exit code once the process ended within timeoutMs; false if it still runs.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = kWaitMs);

private:
    PROCESS_INFORMATION info_{};
};

// Visible top-level windows of a process with the given class name.
std::vector<HWND> TopWindows(DWORD processId, const std::wstring& className);
// The first such window to appear within timeoutMs, or null.
HWND WaitForTopWindow(DWORD processId, const std::wstring& className, DWORD timeoutMs = kWaitMs);

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);  // WM_GETTEXT, which crosses processes
std::vector<HWND> Children(HWND parent);

// Message boxes and dialogs (class "#32770").
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = kWaitMs);
// The texts of a message box's static controls, joined: its message.
std::wstring MessageBoxText(HWND box);
// Clicks the button with the given id with the pointer, as a person does.
void PressButton(HWND dialog, int buttonId);

// The clipboard's text (shared with the program under test); empty if none.
std::wstring ClipboardText();

// Status bar texts through memory of the status bar's own process.
std::wstring StatusBarText(HWND statusBar, int part);
bool SetStatusBarText(HWND statusBar, WPARAM partAndFlags, const std::wstring& text);

// A menu resource read from a program file without running it (menu handles
// of another process cannot be read under Wine).
struct MenuItem {
    std::wstring text;
    UINT id = 0;  // 0 for a pop-up
    bool popup = false;
    std::vector<MenuItem> items;
};
std::vector<MenuItem> MenuFromFile(const std::wstring& exePath, int menuId);

// A program file loaded as data, for looking at its resources.
class ImageResources {
public:
    explicit ImageResources(const std::wstring& exePath);
    ~ImageResources();
    ImageResources(const ImageResources&) = delete;
    ImageResources& operator=(const ImageResources&) = delete;

    HMODULE module() const { return module_; }
    // The bytes of a resource with exactly this language, empty if none.
    std::string Bytes(LPCWSTR type, LPCWSTR name, WORD language) const;

private:
    HMODULE module_ = nullptr;
};

// A copy of screen pixels, 0x00RRGGBB each, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data;
    DWORD at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && data == other.data;
    }
    bool operator!=(const Pixels& other) const { return !(*this == other); }
};

// What the screen shows of a window's client area now.
Pixels GrabClient(HWND hwnd);
// The client area once two grabs a little apart agree: another process's
// drawing reaches the screen a moment after its calls return.
Pixels Settled(HWND hwnd);
// The client area once it shows something other than `old` and has settled,
// or as it is when that does not come.
Pixels ChangedFrom(HWND hwnd, const Pixels& old);
// Pixels of a device context's rectangle (memory or window DCs).
Pixels GrabDC(HDC dc, const RECT& rect);

}  // namespace gui_driver
