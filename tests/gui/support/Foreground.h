// Another program's window for the GUI tests: a visible top-level window
// put in front of the program's own, as a user's other work would be.
#pragma once

#include <windows.h>

#include "GuiTest.h"

class OtherProgramWindow {
public:
    OtherProgramWindow()
        : hwnd_(CreateWindowExA(0, "STATIC", "other program", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                100, 100, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr)) {}
    ~OtherProgramWindow() {
        if (IsWindow(hwnd_))
            DestroyWindow(hwnd_);
    }
    OtherProgramWindow(const OtherProgramWindow&) = delete;
    OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;
    HWND Handle() const { return hwnd_; }

    // Makes it the foreground window and says whether that took: under Wine
    // SetForegroundWindow does not always, so it is asked again while
    // messages are pumped. A test of bringing a window to the front checks
    // this first: without it, the test would prove nothing.
    bool PutInFront() {
        return PumpUntil([this] {
            if (GetForegroundWindow() == hwnd_)
                return true;
            SetForegroundWindow(hwnd_);
            return false;
        });
    }

private:
    HWND hwnd_;
};
