// The global hotkey that opens the launcher menu from anywhere: the text the
// user writes for it ("Ctrl+Alt+Space"), its registration with the system
// and the message to the user when it cannot be used.
#pragma once

#include <windows.h>

#include <string>

// The keys of a hotkey: MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN, and a
// virtual key.
struct HotkeyKeys {
    UINT modifiers = 0;
    UINT key = 0;

    bool operator==(const HotkeyKeys&) const = default;
};

// The hotkeys used when the settings file does not name them.
inline constexpr char kDefaultLauncherHotkey[] = "Ctrl+Alt+Space";
inline constexpr char kDefaultFindHotkey[] = "Ctrl+Alt+F";

// Reads a hotkey written as modifiers and a key joined by '+' ("Ctrl+Alt+
// Space", "win + f5"): modifiers Ctrl (Control), Alt, Shift and Win (Windows),
// each at most once; the key last: a letter, a digit, F1..F24, Space, Enter,
// Tab, Esc, Backspace, Insert, Delete, Home, End, PageUp, PageDown, the
// arrows, Pause, PrintScreen, NumPad0..9, or a punctuation mark that is on a
// key of its own. Names ignore case; blanks around '+' do not count. A key
// other than F13..F24 needs Ctrl, Alt or Win: any other would take keys
// away from typing in every program. False for anything else.
bool ParseHotkey(const std::string& text, HotkeyKeys* keys);

// What became of the hotkey at start.
enum class HotkeyState {
    Off,        // the value is empty: no hotkey
    Registered, // the system delivers it to the window
    Unreadable, // the value is not a hotkey ParseHotkey reads
    Taken,      // another program holds these keys
    Refused,    // the system refused them for another reason (Error says which)
};

// What a hotkey opens: its words in messages, its key in the settings file
// and the default value.
struct HotkeyUse {
    const char* opens; // "ランチャーメニュー"
    const char* key;   // "Launcher"
    const char* defaultText;
};
inline constexpr HotkeyUse kLauncherHotkeyUse{"ランチャーメニュー", "Launcher",
                                              kDefaultLauncherHotkey};
inline constexpr HotkeyUse kFindHotkeyUse{"検索ウィンドウ", "Find", kDefaultFindHotkey};

// One of the program's hotkeys, registered for one window (WM_HOTKEY with its
// id comes to that window) until Unregister or the window's end.
class LauncherHotkey {
public:
    // The ids the WM_HOTKEY of the two hotkeys carry.
    static constexpr int kId = 1;
    static constexpr int kFindId = 2;

    explicit LauncherHotkey(int id = kId, const HotkeyUse& use = kLauncherHotkeyUse)
        : id_(id), use_(use) {}
    LauncherHotkey(const LauncherHotkey&) = delete;
    LauncherHotkey& operator=(const LauncherHotkey&) = delete;

    // text: the value as written; written false: the settings file has no
    // such key, and the default is used. The keys are asked for without
    // auto-repeat; a system that knows no such request (before Windows 7)
    // is asked again without it.
    HotkeyState Register(HWND owner, bool written, const std::string& text);
    void Unregister();

    // True for the WM_HOTKEY of this hotkey.
    bool IsHotkeyMessage(UINT msg, WPARAM wParam) const;

    HotkeyState State() const { return state_; }
    // The system's error when the keys were refused, else 0.
    DWORD Error() const { return error_; }
    const HotkeyUse& Use() const { return use_; }
    // The hotkey's text as written (the default's when none was).
    const std::string& Text() const { return text_; }

private:
    int id_;
    HotkeyUse use_;
    HWND owner_ = nullptr;
    HotkeyState state_ = HotkeyState::Off;
    DWORD error_ = 0;
    std::string text_;
};

// The message telling the user that the hotkey cannot be used, naming it as
// written, why, and where to change it; empty for Off and Registered.
std::string HotkeyProblemMessage(const LauncherHotkey& hotkey, const std::string& settingsFile);
