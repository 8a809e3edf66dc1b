// Driving dialogs from the in-process GUI tests the way their controls do:
// the notifications a click or a choice sends, and reading message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "GuiTest.h"

// The command a click on the dialog's button sends.
inline void PressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Selects a drop-down list's entry and sends the notification of a choice
// by the user (CB_SETCURSEL alone sends none).
inline void ChooseListEntry(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline std::string WindowCaption(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A message box's text and icon controls.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

inline bool IsMessageBox(HWND dialog) {
    return GetDlgItem(dialog, kMessageBoxTextId) != nullptr;
}

inline std::string MessageBoxText(HWND box) {
    return DialogItemText(box, kMessageBoxTextId);
}

inline bool HasExclamationIcon(HWND box) {
    auto icon =
        reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIconId, STM_GETICON, 0, 0));
    return icon != nullptr && icon == LoadIconA(nullptr, IDI_EXCLAMATION);
}

// What a message box showed, recorded before it was answered.
struct SeenMessage {
    std::string caption;
    std::string text;
    bool exclamation = false;
};

inline SeenMessage AnswerMessageBox(HWND box, int answer = IDOK) {
    SeenMessage seen{WindowCaption(box), MessageBoxText(box), HasExclamationIcon(box)};
    PostMessageA(box, WM_COMMAND, answer, 0);
    return seen;
}

// Drives the modal dialogs that open one after another while it exists:
// the n-th dialog that appears is given to the n-th step. A dialog beyond
// the last step is cancelled, so that a test never hangs on one.
class DialogScript {
public:
    using Step = std::function<void(HWND)>;
    explicit DialogScript(std::vector<Step> steps)
        : steps_(std::move(steps)), driver_([this](HWND dialog) { Run(dialog); }) {}
    // How many dialogs appeared.
    int Seen() const { return seen_; }

private:
    void Run(HWND dialog) {
        size_t step = static_cast<size_t>(seen_++);
        if (step < steps_.size())
            steps_[step](dialog);
        else
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    std::vector<Step> steps_;
    int seen_ = 0;
    ModalDriver driver_;
};
