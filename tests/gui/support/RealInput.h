// Real input for the in-process GUI tests: the system's pointer is moved,
// its left button pressed and released, and keys typed through SendInput,
// so a control gets the messages, captures and modal tracking loops that the
// user's hand gives it. The input is queued; the caller pumps messages until
// it sees the outcome.
#pragma once

#include <windows.h>

namespace real_input {

// The screen point of a point in the window's client area.
inline POINT OnScreen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

// Moves the pointer there as a mouse movement does (with a move message).
inline void MoveTo(POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (screen.x * 65536 + 65535) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (screen.y * 65536 + 65535) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

inline void LeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

// A left click at the point of the window's client area. The window is
// brought to the front first, so that it is the one under the pointer.
inline void ClickAt(HWND window, POINT client) {
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    POINT screen = OnScreen(window, client);
    SetCursorPos(screen.x, screen.y);
    MoveTo(screen);
    LeftButton(true);
    LeftButton(false);
}

// Presses and releases a key, as typing it does.
inline void PressKey(WORD virtualKey) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

} // namespace real_input
