// Shared helpers of the tray, lifecycle, help and about suites: prepared
// data and settings files, a recorder for the shell calls, and a recorder of
// the menus the settings window tracks.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "store/ItemStore.h"
#include "ui/SystemCalls.h"

// One entry of a prepared table. Entries get the ids 0, 1, 2 ... in the
// order given, so parent refers to an earlier entry by its position.
struct EntryRow {
    const char* name;
    int32_t kind;
    int32_t parent; // position of the group, or kParentTopLevel
    const char* path = "";
};

inline LaunchEntry MakeEntry(const EntryRow& expected) {
    LaunchEntry entry = EmptyLaunchEntry();
    lstrcpynA(entry.name, expected.name, kNameSize);
    lstrcpynA(entry.path, expected.path, kPathSize);
    entry.kind = expected.kind;
    entry.parent = expected.parent;
    return entry;
}

// Writes the data file of the table into the folder, through the store.
inline void WriteDataFile(const std::string& folder, const std::vector<EntryRow>& entries,
                          int32_t opt4 = 0) {
    ItemStore writer;
    writer.SetDirectory(folder);
    writer.GetOptions()->opt4 = opt4;
    for (const EntryRow& expected : entries)
        writer.InsertData(MakeEntry(expected), -1);
    writer.CommitData();
}

// Writes the settings file with the options given (and a window position).
inline void WriteSettingsFile(const std::string& folder, const Options& options, int x = -1,
                              int y = -1) {
    ItemStore writer;
    writer.SetDirectory(folder);
    *writer.GetOptions() = options;
    writer.WriteOptions();
    if (x != -1 || y != -1)
        writer.WriteWindowPos(x, y);
}

inline int ReadIniInt(const std::string& file, const char* section, const char* key) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, -12345, file.c_str()));
}

// The shell calls of the program, recorded instead of made. The tray icon
// calls keep a set of icons, so a second add of a present icon fails as the
// shell's does.
struct ShellCall {
    std::string function; // "ShellExecute", "ShellExecuteEx", "NIM_ADD", "NIM_DELETE"
    std::string verb;
    std::string file;
    bool noParameters = true;
    bool noDirectory = true;
    std::string parameters;
    std::string directory;
    bool noWindow = true;
    int show = 0;
    DWORD mask = 0;
    DWORD size = 0;
    LPCITEMIDLIST idList = nullptr;
    NOTIFYICONDATAA icon{};
    bool result = true;
    // The foreground window when the call was made.
    HWND foreground = nullptr;
};

class ShellRecorder {
public:
    ShellRecorder() : saved_(System()) {
        active_ = this;
        System().shellExecute = Execute;
        System().shellExecuteEx = ExecuteEx;
        System().notifyIcon = NotifyIcon;
        System().openFolderAndSelectItems = OpenFolderAndSelect;
    }
    ~ShellRecorder() {
        System() = saved_;
        active_ = nullptr;
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    std::vector<ShellCall> calls;
    // Icons the fake shell holds, by window and id.
    std::vector<std::pair<HWND, UINT>> icons;
    // Runs at every NIM_ADD, before it is recorded (e.g. to look at the
    // window's state at that moment).
    void (*onAdd)() = nullptr;
    // ShellExecuteEx fails with this error and this result code in hInstApp
    // while the error is set; kResultOnly fails with the result code and no
    // last error, as some shells do.
    static constexpr DWORD kResultOnly = 0xFFFFFFFF;
    DWORD executeError = ERROR_SUCCESS;
    int executeResult = SE_ERR_FNF;

    std::vector<ShellCall> Of(const char* function) const {
        std::vector<ShellCall> found;
        for (const ShellCall& call : calls)
            if (call.function == function)
                found.push_back(call);
        return found;
    }
    std::vector<std::string> Functions() const {
        std::vector<std::string> names;
        for (const ShellCall& call : calls)
            names.push_back(call.function);
        return names;
    }

private:
    static HINSTANCE WINAPI Execute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show) {
        ShellCall call;
        call.function = "ShellExecute";
        call.verb = verb ? verb : "(null)";
        call.file = file ? file : "";
        call.noParameters = parameters == nullptr;
        call.noDirectory = directory == nullptr;
        call.parameters = parameters ? parameters : "";
        call.directory = directory ? directory : "";
        call.noWindow = owner == nullptr;
        call.show = show;
        active_->calls.push_back(call);
        return reinterpret_cast<HINSTANCE>(42);
    }
    static BOOL WINAPI ExecuteEx(SHELLEXECUTEINFOA* info) {
        ShellCall call;
        call.function = "ShellExecuteEx";
        call.size = info->cbSize;
        call.mask = info->fMask;
        call.verb = info->lpVerb ? info->lpVerb : "(null)";
        call.file = info->lpFile ? info->lpFile : "";
        call.noParameters = info->lpParameters == nullptr;
        call.noDirectory = info->lpDirectory == nullptr;
        call.parameters = info->lpParameters ? info->lpParameters : "";
        call.directory = info->lpDirectory ? info->lpDirectory : "";
        call.noWindow = info->hwnd == nullptr;
        call.show = info->nShow;
        call.idList = static_cast<LPCITEMIDLIST>(info->lpIDList);
        call.result = active_->executeError == ERROR_SUCCESS;
        call.foreground = GetForegroundWindow();
        active_->calls.push_back(call);
        if (call.result) {
            info->hInstApp = reinterpret_cast<HINSTANCE>(42);
            return TRUE;
        }
        // As the shell fails: the result code in hInstApp, the system's
        // error as the last error (none when executeError is the result
        // code alone).
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(active_->executeResult));
        SetLastError(active_->executeError == kResultOnly ? ERROR_SUCCESS : active_->executeError);
        return FALSE;
    }
    // Recorded with the path of the item to select.
    static HRESULT WINAPI OpenFolderAndSelect(PCIDLIST_ABSOLUTE folder, UINT count,
                                              PCUITEMID_CHILD_ARRAY, DWORD) {
        ShellCall call;
        call.function = "SHOpenFolderAndSelectItems";
        char path[MAX_PATH] = {};
        SHGetPathFromIDListA(folder, path);
        call.file = path;
        call.size = count;
        active_->calls.push_back(call);
        return S_OK;
    }
    static BOOL WINAPI NotifyIcon(DWORD message, PNOTIFYICONDATAA data) {
        ShellRecorder& self = *active_;
        ShellCall call;
        call.icon = *data;
        auto key = std::make_pair(data->hWnd, data->uID);
        auto found = self.icons.begin();
        while (found != self.icons.end() && *found != key)
            ++found;
        if (message == NIM_ADD) {
            if (self.onAdd)
                self.onAdd();
            call.function = "NIM_ADD";
            call.result = found == self.icons.end();
            if (call.result)
                self.icons.push_back(key);
        } else if (message == NIM_DELETE) {
            call.function = "NIM_DELETE";
            call.result = found != self.icons.end();
            if (call.result)
                self.icons.erase(found);
        } else {
            call.function = "other";
        }
        self.calls.push_back(call);
        return call.result ? TRUE : FALSE;
    }

    static inline ShellRecorder* active_ = nullptr;
    SystemCalls saved_;
};

// Subclasses a window to record the popup menus it tracks and to close each
// one as soon as it is idle, so that TrackPopupMenu returns.
class MenuRecorder {
public:
    explicit MenuRecorder(HWND window) : window_(window) {
        active_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
        // Should the menu never become idle, it is closed anyway.
        timer_ = SetTimer(nullptr, 0, 3000, CloseMenu);
    }
    ~MenuRecorder() {
        KillTimer(nullptr, timer_);
        if (IsWindow(window_))
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    MenuRecorder(const MenuRecorder&) = delete;
    MenuRecorder& operator=(const MenuRecorder&) = delete;

    // The menus opened, top-level and submenus, in order.
    std::vector<HMENU> opened;
    // Whether the window was the foreground window when the menu opened.
    bool foregroundAtOpen = false;
    // Whether, when the first menu opened, a visible window of this thread
    // was the foreground window and had the keyboard focus: the keys typed
    // then go to the menu (a hidden one gets none under Wine).
    bool keysReachTheMenu = false;
    // Whether a menu was on screen when it became idle.
    bool shown = false;

private:
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        MenuRecorder& self = *active_;
        if (msg == WM_INITMENUPOPUP) {
            if (self.opened.empty()) {
                HWND front = GetForegroundWindow();
                self.keysReachTheMenu =
                    front && IsWindowVisible(front) && GetFocus() == front &&
                    GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId();
            }
            self.opened.push_back(reinterpret_cast<HMENU>(wParam));
            self.foregroundAtOpen = GetForegroundWindow() == hwnd;
        }
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
            HWND menuWindow = reinterpret_cast<HWND>(lParam);
            self.shown = self.shown || (menuWindow && IsWindowVisible(menuWindow));
            EndMenu();
        }
        return CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
    }

    static inline MenuRecorder* active_ = nullptr;
    HWND window_;
    WNDPROC previous_ = nullptr;
    UINT_PTR timer_ = 0;
};
