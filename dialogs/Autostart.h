// Starting the program with the computer: the value "Brindleway" under the
// machine-wide Run key. The states are those of the options dialog's
// three-state check box.
#pragma once

#include <windows.h>

#include <string>

enum AutostartState : int {
    AUTOSTART_OFF = BST_UNCHECKED,       // no value, an empty one, or the key cannot be read
    AUTOSTART_ON = BST_CHECKED,          // the value names this program file
    AUTOSTART_OTHER = BST_INDETERMINATE, // the value names something else
};

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValueName = "Brindleway";

// Room for the longest program path in quotes; a longer value cannot be ours.
constexpr DWORD kRunValueSize = MAX_PATH + 2;

// The state a Run value gives: ours when it equals the program path, with or
// without quotes around it, in any letter case.
AutostartState AutostartStateOf(const char* runValue, const char* modulePath,
                                UINT codePage = CP_ACP);

// The check box's toggle: an empty box becomes checked; a checked or an
// indeterminate one becomes empty.
AutostartState ToggledAutostartState(int state);

// The value written for the program: its path in quotes, so that a path with
// blanks cannot be read as a shorter program path followed by arguments.
std::string RunValueFor(const char* modulePath);

// Reads the Run value with read access only, so that a user who may not
// change it still sees its true state.
AutostartState ReadAutostartState(const char* modulePath);

// Writes the value for a non-zero state, deletes it for AUTOSTART_OFF. A
// value that is gone already counts as deleted. Returns whether the registry
// now says what was asked.
bool WriteAutostartState(int state, const char* modulePath);
