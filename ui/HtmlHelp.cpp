#include "ui/HtmlHelp.h"

#include "ui/HtmlHelpLoader.h"
#include "ui/SystemCalls.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, const char*, UINT, DWORD_PTR);

// The control's registered place; the plain name is the fallback.
const char kControlKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kControlFile[] = "hhctrl.ocx";
// HtmlHelpA is exported by ordinal.
constexpr WORD kHtmlHelpOrdinal = 14;

// One for the process; the module is never freed.
struct LoaderState {
    HMODULE module = nullptr;
    HtmlHelpFunction entry = nullptr;
    bool failed = false;
};
LoaderState loader;

// A full path: a drive letter with its root (C:\...) or a network path
// (\\server\share\...). Anything else would be looked for along the
// search order, which starts in the program's and the current folder.
bool IsFullPath(const char* path) {
    char letter = static_cast<char>(path[0] | 0x20);
    bool drive =
        letter >= 'a' && letter <= 'z' && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    bool network = path[0] == '\\' && path[1] == '\\';
    return drive || network;
}

// The default value of the control's InprocServer32 key when it is a full
// path, or false.
bool ReadRegisteredPath(char (&path)[MAX_PATH]) {
    SystemCalls& calls = System();
    HKEY key = nullptr;
    if (calls.regOpenKeyEx(HKEY_CLASSES_ROOT, kControlKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof path - 1;
    DWORD type = 0;
    LONG read =
        calls.regQueryValueEx(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    calls.regCloseKey(key);
    path[sizeof path - 1] = '\0';
    return read == ERROR_SUCCESS && IsFullPath(path);
}

// The fallback by name, looked for in the system folder only: a file of that
// name in the program's or the current folder must never be loaded.
HMODULE LoadFromSystemFolder() {
    char path[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length + 1 + sizeof kControlFile > sizeof path)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, kControlFile);
    return System().loadLibraryEx(path, nullptr, 0);
}

bool LoadControl() {
    char path[MAX_PATH] = {};
    if (ReadRegisteredPath(path))
        loader.module = System().loadLibraryEx(path, nullptr, 0);
    if (!loader.module)
        loader.module = LoadFromSystemFolder();
    return loader.module != nullptr;
}

bool FindEntryPoint() {
    FARPROC entry = System().getProcAddress(loader.module, MAKEINTRESOURCEA(kHtmlHelpOrdinal));
    loader.entry = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(entry));
    return loader.entry != nullptr;
}

} // namespace

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    if (loader.failed)
        return nullptr;
    if (!loader.module && !LoadControl()) {
        loader.failed = true;
        return nullptr;
    }
    if (!loader.entry && !FindEntryPoint()) {
        loader.failed = true;
        return nullptr;
    }
    return loader.entry(caller, file, command, data);
}

namespace html_help_loader {

void Reset() {
    loader = LoaderState{};
}

bool Failed() {
    return loader.failed;
}

} // namespace html_help_loader
