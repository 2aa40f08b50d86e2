// Real input for window tests: pointer moves, button presses and keys go
// through SendInput into the system's input queue, as a person's do, so each
// reaches whatever window the system would hand it to (hit-testing, focus,
// capture and all). Nothing here posts a message to a window.
#pragma once

#include <windows.h>

#include <string>

namespace real_input {

// Moves the pointer to a screen point.
void MoveTo(POINT screen);

// Left-button click, double-click and right-button click at a screen point.
void Click(POINT screen);
void DoubleClick(POINT screen);
void RightClick(POINT screen);

// Presses or releases the left button at a screen point, for a drag that
// another loop drives.
void Press(POINT screen);
void Release(POINT screen);

// Presses the left button at `from`, moves to `to` in small steps while it
// is held, and releases it there.
void Drag(POINT from, POINT to);

// Turns the wheel under the pointer by delta (WHEEL_DELTA a notch; negative
// towards the user).
void Wheel(int delta);

// Presses and releases a virtual key, with Ctrl, Shift or Alt held around it
// when asked.
enum Modifier { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };
void Key(WORD virtualKey, int modifiers = kNone);

// Types text as Unicode keystrokes, one character after another.
void Type(const std::wstring& text);

// A point of a window's client area in screen coordinates.
POINT ClientToScreenPoint(HWND hwnd, int x, int y);

// The centre of a window (a control, a button) on the screen.
POINT CentreOf(HWND hwnd);

// Makes a top-level window the foreground window by clicking its client
// area at (x, y) of the client, as a person would before typing into it.
void ClickToFront(HWND hwnd, int x, int y);

}  // namespace real_input
