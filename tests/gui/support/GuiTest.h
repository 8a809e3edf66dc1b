// Shared support of the in-process GUI tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A fresh empty folder for one test, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Dispatches every waiting message of the thread.
void PumpMessages();

// Pumps messages until the condition holds or the time runs out; returns
// whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Runs an action on each dialog window (class #32770) that another piece of
// code opens modally on this thread while the helper exists, once per window,
// for instance to fill and confirm a dialog that a command runs. The action
// gets the dialog's handle; message boxes are dialogs too, so a refusal's box
// opened by the action's button press reaches the action as the next window.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(HWND)> action);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    // Whether the action ran, and how many times.
    int Runs() const { return runs_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    int runs_ = 0;
    HWND seenBefore_ = nullptr;
    std::vector<HWND> handled_;
};

// The text of a static or button in a dialog, as Shift-JIS bytes.
std::string DialogItemText(HWND dialog, int id);
