// The hotkeys as the user presses them: the system's real hotkey calls in
// place of the test programs' stand-ins, and keys pressed through SendInput.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/SystemCalls.h"

// The real hotkey calls in place of the test programs' stand-ins.
class RealHotkeyCalls {
public:
    RealHotkeyCalls() : saved_(System()) {
        System().registerHotKey = RegisterHotKey;
        System().unregisterHotKey = UnregisterHotKey;
    }
    ~RealHotkeyCalls() {
        System().registerHotKey = saved_.registerHotKey;
        System().unregisterHotKey = saved_.unregisterHotKey;
    }
    RealHotkeyCalls(const RealHotkeyCalls&) = delete;
    RealHotkeyCalls& operator=(const RealHotkeyCalls&) = delete;

private:
    SystemCalls saved_;
};

// Presses the keys in order and lets them go in reverse, as a hand does.
inline void PressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
