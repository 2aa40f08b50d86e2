#include "real_input.h"

namespace real_input {

namespace {

// Pause after each event, so the receiving program sees one at a time as it
// would from a person (and Wine's double-click timing still holds).
const DWORD kEventGapMs = 30;
const int kDragSteps = 10;

void Send(INPUT* inputs, UINT count) {
    SendInput(count, inputs, sizeof(INPUT));
    Sleep(kEventGapMs);
}

// Absolute coordinates run 0..65535 across the primary screen.
INPUT PointerAt(POINT screen, DWORD flags) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65536, width) + (width > 0 ? 65536 / width / 2 : 0);
    in.mi.dy = MulDiv(screen.y, 65536, height) + (height > 0 ? 65536 / height / 2 : 0);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

void Button(POINT screen, DWORD down, DWORD up) {
    INPUT press = PointerAt(screen, down);
    Send(&press, 1);
    INPUT release = PointerAt(screen, up);
    Send(&release, 1);
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // Navigation keys sit on the extended part of the keyboard.
    switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
    case VK_INSERT: case VK_DELETE:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    }
    return in;
}

}  // namespace

void MoveTo(POINT screen) {
    INPUT move = PointerAt(screen, 0);
    Send(&move, 1);
}

void Click(POINT screen) {
    MoveTo(screen);
    Button(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void DoubleClick(POINT screen) {
    MoveTo(screen);
    Button(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Button(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClick(POINT screen) {
    MoveTo(screen);
    Button(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void Press(POINT screen) {
    INPUT press = PointerAt(screen, MOUSEEVENTF_LEFTDOWN);
    Send(&press, 1);
}

void Release(POINT screen) {
    INPUT release = PointerAt(screen, MOUSEEVENTF_LEFTUP);
    Send(&release, 1);
}

void Drag(POINT from, POINT to) {
    MoveTo(from);
    Press(from);
    for (int i = 1; i <= kDragSteps; ++i) {
        POINT p{from.x + (to.x - from.x) * i / kDragSteps, from.y + (to.y - from.y) * i / kDragSteps};
        MoveTo(p);
    }
    Release(to);
}

void Wheel(int delta) {
    INPUT turn{};
    turn.type = INPUT_MOUSE;
    turn.mi.dwFlags = MOUSEEVENTF_WHEEL;
    turn.mi.mouseData = static_cast<DWORD>(delta);
    Send(&turn, 1);
}

void Key(WORD virtualKey, int modifiers) {
    const struct {
        int flag;
        WORD vk;
    } held[] = {{kCtrl, VK_CONTROL}, {kShift, VK_SHIFT}, {kAlt, VK_MENU}};
    for (const auto& h : held) {
        if (!(modifiers & h.flag)) continue;
        INPUT down = KeyInput(h.vk, false);
        Send(&down, 1);
    }
    INPUT stroke[2] = {KeyInput(virtualKey, false), KeyInput(virtualKey, true)};
    Send(stroke, 2);
    for (int i = 2; i >= 0; --i) {
        if (!(modifiers & held[i].flag)) continue;
        INPUT up = KeyInput(held[i].vk, true);
        Send(&up, 1);
    }
}

void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT stroke[2]{};
        for (int i = 0; i < 2; ++i) {
            stroke[i].type = INPUT_KEYBOARD;
            stroke[i].ki.wScan = c;
            stroke[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, stroke, sizeof(INPUT));
    }
    Sleep(kEventGapMs);
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

POINT CentreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickToFront(HWND hwnd, int x, int y) {
    Click(ClientToScreenPoint(hwnd, x, y));
}

}  // namespace real_input
