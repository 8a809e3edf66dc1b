// The system functions whose failures or effects the program must handle
// but a test cannot bring about for real (a mutex of an elevated copy, COM,
// the message loop's wait, a menu that cannot be made, the shell, help,
// registry and global hotkeys, the type of a drive, a file that does not
// answer, a full message queue, the clock, the end of the process, a menu
// measured once), in one table, so tests can put recorders or failures in
// their place. The program always uses the real functions.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

struct SystemCalls {
    decltype(&Shell_NotifyIconA) notifyIcon = Shell_NotifyIconA;
    decltype(&ShellExecuteA) shellExecute = ShellExecuteA;
    decltype(&ShellExecuteExA) shellExecuteEx = ShellExecuteExA;
    decltype(&SHOpenFolderAndSelectItems) openFolderAndSelectItems = SHOpenFolderAndSelectItems;
    decltype(&SHGetFileInfoA) getFileInfo = SHGetFileInfoA;
    decltype(&LoadLibraryExA) loadLibraryEx = LoadLibraryExA;
    decltype(&GetProcAddress) getProcAddress = GetProcAddress;
    decltype(&RegOpenKeyExA) regOpenKeyEx = RegOpenKeyExA;
    decltype(&RegCreateKeyExA) regCreateKeyEx = RegCreateKeyExA;
    decltype(&RegQueryValueExA) regQueryValueEx = RegQueryValueExA;
    decltype(&RegCloseKey) regCloseKey = RegCloseKey;
    decltype(&RegSetValueExA) regSetValueEx = RegSetValueExA;
    decltype(&RegDeleteValueA) regDeleteValue = RegDeleteValueA;
    decltype(&CreateMutexA) createMutex = CreateMutexA;
    decltype(&CoInitializeEx) coInitializeEx = CoInitializeEx;
    decltype(&CoUninitialize) coUninitialize = CoUninitialize;
    decltype(&WaitMessage) waitMessage = WaitMessage;
    decltype(&CreatePopupMenu) createPopupMenu = CreatePopupMenu;
    decltype(&TrackPopupMenu) trackPopupMenu = TrackPopupMenu;
    decltype(&RegisterHotKey) registerHotKey = RegisterHotKey;
    decltype(&UnregisterHotKey) unregisterHotKey = UnregisterHotKey;
    decltype(&GetDriveTypeA) getDriveType = GetDriveTypeA;
    decltype(&GetFileAttributesExA) getFileAttributesEx = GetFileAttributesExA;
    decltype(&SHDefExtractIconA) extractIcon = SHDefExtractIconA;
    decltype(&PostMessageA) postMessage = PostMessageA;
    decltype(&GetTickCount64) tickCount = GetTickCount64;
    decltype(&TerminateProcess) terminateProcess = TerminateProcess;
    decltype(&SetMenuItemInfoA) setMenuItemInfo = SetMenuItemInfoA;
};

// The table in use; tests assign members and restore them afterwards.
SystemCalls& System();
