// The file icons come from a worker thread: tests wait for the answers,
// and can hold the shell's answer for one path (a slow disk, a network
// path that does not answer) until they let it go.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "GuiTest.h"
#include "ui/IconResolver.h"
#include "ui/SystemCalls.h"

// Pumps messages until the resolver has taken in every answer it awaits.
inline bool WaitForIcons(IconResolver& icons) {
    return PumpUntil([&] { return icons.Idle(); }, 60000);
}

// Holds the shell's answers for one path in the system-call table until
// Open. The worker that asks for it stops in the shell as on an
// unanswering network path. The events outlive the gate: a worker left
// behind at the end of a test is let go and finds them still there.
class ShellGate {
public:
    explicit ShellGate(std::string path) : saved_(System().getFileInfo) {
        path_ = std::move(path);
        ResetEvent(Opened());
        ResetEvent(Entered());
        System().getFileInfo = Gated;
    }
    ~ShellGate() {
        Open();
        System().getFileInfo = saved_;
    }
    ShellGate(const ShellGate&) = delete;
    ShellGate& operator=(const ShellGate&) = delete;

    void Open() { SetEvent(Opened()); }
    // Waits until a look-up of the path is held in the shell.
    bool WaitUntilHeld() { return WaitForSingleObject(Entered(), 60000) == WAIT_OBJECT_0; }

private:
    static HANDLE Opened() {
        static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        return event;
    }
    static HANDLE Entered() {
        static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        return event;
    }
    static DWORD_PTR WINAPI Gated(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT size,
                                  UINT flags) {
        if (!(flags & SHGFI_PIDL) && path_ == path) {
            SetEvent(Entered());
            WaitForSingleObject(Opened(), INFINITE);
        }
        return SHGetFileInfoA(path, attributes, info, size, flags);
    }

    static inline std::string path_;
    decltype(SystemCalls::getFileInfo) saved_;
};
