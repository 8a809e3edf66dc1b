// The drive of a folder taken for a removable one (a USB stick, a card) by
// the program, for as long as the object lives. The tests' Wine prefix has
// drive C: only, a fixed one; every other answer is the system's.
#pragma once

#include <windows.h>

#include <string>

#include "ui/SystemCalls.h"

class RemovableDrive {
public:
    explicit RemovableDrive(const std::string& folder) : saved_(System()) {
        root_ = folder.substr(0, 2) + "\\";
        System().getDriveType = DriveType;
    }
    ~RemovableDrive() { System() = saved_; }
    RemovableDrive(const RemovableDrive&) = delete;
    RemovableDrive& operator=(const RemovableDrive&) = delete;

private:
    static UINT WINAPI DriveType(LPCSTR root) {
        if (root && lstrcmpiA(root, root_.c_str()) == 0)
            return DRIVE_REMOVABLE;
        return GetDriveTypeA(root);
    }
    static inline std::string root_;
    SystemCalls saved_;
};
