#include "GuiTest.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/SystemCalls.h"

TempFolder::TempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    // Wine gives the same process id to every first process of a run, and
    // a folder that was the current one (the Open dialog makes it so) may
    // have outlived its test: a name taken already is passed over.
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%sbwtest-%lu-%u", base, GetCurrentProcessId(), ++counter);
        path_ = name;
        if (CreateDirectoryA(path_.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

namespace {
// Wide, so that names without a form in the ANSI code page (which tests
// make on purpose) are found and removed too.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}
} // namespace

TempFolder::~TempFolder() {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path_.c_str(), -1, wide, MAX_PATH);
    RemoveTree(wide);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

namespace {
ModalDriver* activeDriver = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

ModalDriver::ModalDriver(std::function<void(HWND)> action) : action_(std::move(action)) {
    activeDriver = this;
    // Dialogs already on screen (a visible settings window) are not the target.
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&seenBefore_));
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer_);
    activeDriver = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalDriver* self = activeDriver;
    if (!self)
        return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || dialog == self->seenBefore_)
        return;
    for (HWND handled : self->handled_)
        if (handled == dialog)
            return;
    self->handled_.push_back(dialog);
    ++self->runs_;
    // The action may open further modal windows (a refusal's message box);
    // their own loops keep this timer running, and they are driven in turn.
    self->action_(dialog);
}

std::string DialogItemText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

namespace {
// Hotkeys belong to the whole Wine desktop, which the test programs running
// side by side share: the first to take the launcher's keys would leave the
// others a "taken" message box. Only the hotkey's own tests use the real
// calls.
BOOL WINAPI AcceptHotkey(HWND, int, UINT, UINT) {
    return TRUE;
}
BOOL WINAPI ReleaseHotkey(HWND, int) {
    return TRUE;
}
} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    System().registerHotKey = AcceptHotkey;
    System().unregisterHotKey = ReleaseHotkey;
    Application app;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
