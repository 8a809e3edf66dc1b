// The shell, help and registry functions the program calls, in one table,
// so tests can put recorders or failures in their place. The program always
// uses the real functions.
#pragma once

#include <windows.h>

#include <shellapi.h>

struct SystemCalls {
    decltype(&Shell_NotifyIconA) notifyIcon = Shell_NotifyIconA;
    decltype(&ShellExecuteA) shellExecute = ShellExecuteA;
    decltype(&ShellExecuteExA) shellExecuteEx = ShellExecuteExA;
    decltype(&SHGetFileInfoA) getFileInfo = SHGetFileInfoA;
    decltype(&LoadLibraryExA) loadLibraryEx = LoadLibraryExA;
    decltype(&GetProcAddress) getProcAddress = GetProcAddress;
    decltype(&RegOpenKeyExA) regOpenKeyEx = RegOpenKeyExA;
    decltype(&RegCreateKeyExA) regCreateKeyEx = RegCreateKeyExA;
    decltype(&RegQueryValueExA) regQueryValueEx = RegQueryValueExA;
    decltype(&RegCloseKey) regCloseKey = RegCloseKey;
    decltype(&RegSetValueExA) regSetValueEx = RegSetValueExA;
    decltype(&RegDeleteValueA) regDeleteValue = RegDeleteValueA;
};

// The table in use; tests assign members and restore them afterwards.
SystemCalls& System();
