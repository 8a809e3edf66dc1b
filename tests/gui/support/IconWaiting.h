// The file icons come from worker threads: tests wait for the answers,
// and can hold the first look at one path (a slow disk, a network path
// that does not answer) until they let it go.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "GuiTest.h"
#include "ui/IconResolver.h"
#include "ui/ShellIcons.h"
#include "ui/SystemCalls.h"

// Pumps messages until the resolver has taken in every answer it awaits.
inline bool WaitForIcons(IconResolver& icons) {
    return PumpUntil([&] { return icons.Idle(); }, 60000);
}

// Where the shell says the icon of a path (with these attributes and
// flags) comes from, as the resolver tells its icons apart.
inline std::string ShellIconKey(const std::string& path, DWORD attributes = 0, UINT flags = 0) {
    return PathIconSource(path.c_str(), attributes, flags).Key();
}

// Holds the looks at one path in the system-call table until Open: the
// file's attributes (FileGate) or the shell's answer (ShellGate). The
// worker that asks for it stops there as on an unanswering network path.
// The events outlive the gate: a worker left behind at the end of a test is
// let go and finds them still there.
class ShellGate {
public:
    enum class At { Shell, File };
    explicit ShellGate(std::string path, At at = At::Shell)
        : savedShell_(System().getFileInfo), savedFile_(System().getFileAttributesEx) {
        path_ = std::move(path);
        ResetEvent(Opened());
        ResetEvent(Entered());
        if (at == At::Shell)
            System().getFileInfo = Gated;
        else
            System().getFileAttributesEx = GatedFile;
    }
    ~ShellGate() {
        Open();
        System().getFileInfo = savedShell_;
        System().getFileAttributesEx = savedFile_;
    }
    ShellGate(const ShellGate&) = delete;
    ShellGate& operator=(const ShellGate&) = delete;

    void Open() { SetEvent(Opened()); }
    // Waits until a look-up of the path is held in the shell.
    bool WaitUntilHeld() { return WaitForSingleObject(Entered(), 60000) == WAIT_OBJECT_0; }
    // Whether a look-up of the path is held there, without waiting.
    bool Held() { return WaitForSingleObject(Entered(), 0) == WAIT_OBJECT_0; }

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
    static BOOL WINAPI GatedFile(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
        if (path_ == path) {
            SetEvent(Entered());
            WaitForSingleObject(Opened(), INFINITE);
        }
        return GetFileAttributesExA(path, level, data);
    }

    static inline std::string path_;
    decltype(SystemCalls::getFileInfo) savedShell_;
    decltype(SystemCalls::getFileAttributesEx) savedFile_;
};
