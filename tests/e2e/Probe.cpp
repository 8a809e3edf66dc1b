// Looks at the Wine desktop from inside, for the end-to-end test: window
// and menu rectangles, the work area, whether the program runs.
//
//   e2e_probe window   -> "visible|hidden L T R B COUNT" for the settings window, or "none"
//   e2e_probe menus    -> "L T R B" of every popup menu on screen (an open
//                         submenu is a window of its own), one a line;
//                         nothing when no menu is shown
//   e2e_probe tray     -> "L T R B" of the taskbar, or "none"
//   e2e_probe workarea -> "L T R B"
//   e2e_probe mutex    -> "running" or "gone"
//   e2e_probe windows  -> "L T R B CLASS|TITLE" of every visible top-level
//                         window, one a line (titles in the ANSI code page)
//   e2e_probe files    -> "rows COUNT", then "L T R B NAME" of every row of
//                         the file list of the Open dialog on screen, in
//                         screen coordinates; "none" when no such dialog is
//                         shown
//   e2e_probe droplist -> "L T R B COUNT" of the open drop-down list of a
//                         combo box, or "none"
//   e2e_probe count ANCHOR ID -> the items of a list view, tree view or
//                                combo box of a dialog, or "none"
//   e2e_probe clip TEXT -> puts TEXT on the clipboard, as copied by a user
//   e2e_probe settings -> "visible|hidden normal|iconic enabled|disabled
//                         L T R B foreground|background" of the settings
//                         window (the dialog with the group tree), or "none"
//   e2e_probe list     -> the settings window's item list, a row a line:
//                         "ROW L T R B SELECTED NAME<tab>PATH"
//   e2e_probe dialog TITLE
//                      -> the visible, enabled dialog with that caption:
//                         "L T R B" on the first line, then a line per
//                         control: "ID L T R B CHECK ENABLED VISIBLE TEXT";
//                         "none" when there is no such dialog
//   e2e_probe toplevels -> every visible top-level window but the taskbar:
//                         "CLASS<tab>TITLE", one a line
//   e2e_probe drivetype ROOT -> the system's drive type of ROOT ("R:\"), a
//                         number (2 removable, 3 fixed, 1 no such root)
//   e2e_probe foreground -> "CLASS focus|nofocus" of the foreground window
//                         ("focus" when the keyboard focus is in it), or "none"
//   e2e_probe edit CLASS -> the text of the edit control in the visible
//                         top-level window of that class (Notepad's page), or
//                         "none"
//
// The settings, list, dialog and toplevels texts are printed in UTF-8, a control's line breaks as
// "\n". Rectangles are in screen coordinates.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void PrintRect(const RECT& rect) {
    std::printf("%ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
}

struct Found {
    HWND first = nullptr;
    int count = 0;
};

BOOL CALLBACK FindSettingsWindow(HWND hwnd, LPARAM param) {
    char cls[32] = {};
    char title[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(title, "Brindleway") == 0) {
        auto* found = reinterpret_cast<Found*>(param);
        if (!found->first)
            found->first = hwnd;
        ++found->count;
    }
    return TRUE;
}

BOOL CALLBACK PrintMenu(HWND hwnd, LPARAM) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32768") == 0 && IsWindowVisible(hwnd)) {
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        PrintRect(rect);
        std::printf("\n");
    }
    return TRUE;
}

int Window() {
    Found found;
    EnumWindows(FindSettingsWindow, reinterpret_cast<LPARAM>(&found));
    if (!found.first) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(found.first, &rect);
    std::printf("%s ", IsWindowVisible(found.first) ? "visible" : "hidden");
    PrintRect(rect);
    std::printf(" %d\n", found.count);
    return 0;
}

int Menus() {
    EnumWindows(PrintMenu, 0);
    return 0;
}

int Tray() {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (!tray) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(tray, &rect);
    PrintRect(rect);
    std::printf("\n");
    return 0;
}

int WorkArea() {
    RECT rect{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
    PrintRect(rect);
    std::printf("\n");
    return 0;
}

int Mutex() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Brindleway");
    std::printf("%s\n", mutex ? "running" : "gone");
    if (mutex)
        CloseHandle(mutex);
    return 0;
}

// The dialog on screen that has a control with the anchor id.
struct DialogSearch {
    int anchor;
    HWND dialog = nullptr;
};

BOOL CALLBACK FindDialogWith(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) &&
        GetDlgItem(hwnd, search->anchor)) {
        search->dialog = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Every visible top-level window of the desktop, with its class and title.
BOOL CALLBACK PrintWindow(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd))
        return TRUE;
    char cls[64] = {};
    char title[256] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    PrintRect(rect);
    std::printf(" %s|%s\n", cls, title);
    return TRUE;
}

int Windows() {
    EnumWindows(PrintWindow, 0);
    return 0;
}

// Memory in the process of a list view, for the messages whose arguments
// point at structures: the control reads and writes them in its own process.
class ListViewBuffer {
public:
    ListViewBuffer(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            base_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~ListViewBuffer() {
        if (base_)
            VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    ListViewBuffer(const ListViewBuffer&) = delete;
    ListViewBuffer& operator=(const ListViewBuffer&) = delete;

    explicit operator bool() const { return base_ != nullptr; }
    char* At(size_t offset) const { return base_ + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, base_ + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, base_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
};

struct ChildSearch {
    const char* cls;
    HWND found = nullptr;
};

BOOL CALLBACK FindChildOfClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, search->cls) == 0 && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND ChildOfClass(HWND parent, const char* cls) {
    ChildSearch search{cls};
    EnumChildWindows(parent, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible dialog that holds a shell view: the common Open dialog.
BOOL CALLBACK FindFileDialog(HWND hwnd, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) &&
        ChildOfClass(hwnd, "SHELLDLL_DefView")) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The rows of the Open dialog's file list with their screen rectangles.
int Files() {
    HWND dialog = nullptr;
    EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
    HWND view = dialog ? ChildOfClass(dialog, "SHELLDLL_DefView") : nullptr;
    HWND list = view ? ChildOfClass(view, WC_LISTVIEWA) : nullptr;
    if (!list) {
        std::printf("none\n");
        return 0;
    }
    constexpr size_t kTextOffset = 256;
    constexpr size_t kTextSize = MAX_PATH;
    ListViewBuffer remote(list, kTextOffset + kTextSize);
    if (!remote) {
        std::fprintf(stderr, "cannot reach the dialog's memory\n");
        return 1;
    }
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::printf("rows %d\n", count);
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        rect.left = LVIR_LABEL;
        remote.Write(0, &rect, sizeof rect);
        if (!SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(remote.At(0))))
            continue;
        remote.Read(0, &rect, sizeof rect);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);

        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = remote.At(kTextOffset);
        item.cchTextMax = kTextSize;
        remote.Write(0, &item, sizeof item);
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(remote.At(0)));
        char text[kTextSize] = {};
        remote.Read(kTextOffset, text, sizeof text - 1);
        PrintRect(rect);
        std::printf(" %s\n", text);
    }
    return 0;
}

// The drop-down list of a combo box, while it is open.
int DropList() {
    HWND list = nullptr;
    for (HWND hwnd = FindWindowExA(nullptr, nullptr, "ComboLBox", nullptr); hwnd;
         hwnd = FindWindowExA(nullptr, hwnd, "ComboLBox", nullptr)) {
        if (IsWindowVisible(hwnd)) {
            list = hwnd;
            break;
        }
    }
    if (!list) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(list, &rect);
    PrintRect(rect);
    std::printf(" %d\n", static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)));
    return 0;
}

HWND DialogControl(const char* anchor, const char* id) {
    DialogSearch search{std::atoi(anchor)};
    EnumWindows(FindDialogWith, reinterpret_cast<LPARAM>(&search));
    return search.dialog ? GetDlgItem(search.dialog, std::atoi(id)) : nullptr;
}

int Count(const char* anchor, const char* id) {
    HWND control = DialogControl(anchor, id);
    char cls[64] = {};
    if (control)
        GetClassNameA(control, cls, sizeof cls);
    UINT message = std::strcmp(cls, WC_LISTVIEWA) == 0   ? LVM_GETITEMCOUNT
                   : std::strcmp(cls, WC_TREEVIEWA) == 0 ? TVM_GETCOUNT
                   : std::strcmp(cls, "ComboBox") == 0   ? CB_GETCOUNT
                                                         : 0;
    if (!message) {
        std::printf("none\n");
        return 0;
    }
    std::printf("%d\n", static_cast<int>(SendMessageA(control, message, 0, 0)));
    return 0;
}

// Text on the clipboard as a user's copy leaves it.
int Clip(const char* text) {
    if (!OpenClipboard(nullptr))
        return 1;
    EmptyClipboard();
    size_t size = std::strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    bool set = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    return set ? 0 : 1;
}

// Texts go out in UTF-8, whatever the ANSI code page.
std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::string ControlText(HWND hwnd) {
    wchar_t text[512] = {};
    SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    // An icon's static holds the icon's resource ordinal, not a text.
    if (text[0] == 0xFFFF)
        return "";
    // One control a line: line breaks in a text are written as "\n".
    std::string out;
    for (char c : Utf8(text)) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

BOOL CALLBACK FindDialogWithHidden(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && GetDlgItem(hwnd, search->anchor)) {
        search->dialog = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The settings window, shown or hidden: the dialog that holds the group tree.
HWND SettingsDialog() {
    DialogSearch search{1000};
    EnumWindows(FindDialogWithHidden, reinterpret_cast<LPARAM>(&search));
    return search.dialog;
}

int Settings() {
    HWND window = SettingsDialog();
    if (!window) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%s %s %s ", IsWindowVisible(window) ? "visible" : "hidden",
                IsIconic(window) ? "iconic" : "normal",
                IsWindowEnabled(window) ? "enabled" : "disabled");
    PrintRect(rect);
    std::printf(" %s\n", GetForegroundWindow() == window ? "foreground" : "background");
    return 0;
}

int List() {
    HWND window = SettingsDialog();
    HWND list = window ? GetDlgItem(window, 1001) : nullptr;
    if (!list)
        return 1;
    constexpr size_t kTextOffset = 256;
    constexpr int kTextChars = 512;
    ListViewBuffer memory(list, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!memory)
        return 1;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::string texts[2];
        for (int column = 0; column < 2; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(memory.At(kTextOffset));
            item.cchTextMax = kTextChars;
            memory.Write(0, &item, sizeof item);
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory.At(0)));
            wchar_t text[kTextChars] = {};
            memory.Read(kTextOffset, text, sizeof text);
            text[kTextChars - 1] = L'\0';
            texts[column] = Utf8(text);
        }
        RECT rect{};
        rect.left = LVIR_LABEL;
        memory.Write(0, &rect, sizeof rect);
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory.At(0)));
        memory.Read(0, &rect, sizeof rect);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED));
        std::printf("%d ", row);
        PrintRect(rect);
        std::printf(" %d %s\t%s\n", (state & LVIS_SELECTED) ? 1 : 0, texts[0].c_str(),
                    texts[1].c_str());
    }
    return 0;
}

struct TitleSearch {
    const wchar_t* title;
    HWND dialog = nullptr;
};

BOOL CALLBACK FindDialogTitled(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    char cls[32] = {};
    wchar_t text[128] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextW(hwnd, text, 128);
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
        std::wcscmp(text, search->title) == 0) {
        search->dialog = hwnd;
        return FALSE;
    }
    return TRUE;
}

int Dialog(const wchar_t* title) {
    TitleSearch search{title};
    EnumWindows(FindDialogTitled, reinterpret_cast<LPARAM>(&search));
    if (!search.dialog) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(search.dialog, &rect);
    PrintRect(rect);
    std::printf("\n");
    for (HWND child = GetWindow(search.dialog, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowRect(child, &rect);
        std::printf("%d ", GetDlgCtrlID(child));
        PrintRect(rect);
        std::printf(" %d %d %d %s\n", static_cast<int>(SendMessageW(child, BM_GETCHECK, 0, 0)),
                    IsWindowEnabled(child) ? 1 : 0, IsWindowVisible(child) ? 1 : 0,
                    ControlText(child).c_str());
    }
    return 0;
}

BOOL CALLBACK PrintTopLevel(HWND hwnd, LPARAM) {
    wchar_t cls[64] = {};
    wchar_t title[256] = {};
    GetClassNameW(hwnd, cls, 64);
    GetWindowTextW(hwnd, title, 256);
    if (IsWindowVisible(hwnd) && std::wcscmp(cls, L"Shell_TrayWnd") != 0)
        std::printf("%s\t%s\n", Utf8(cls).c_str(), Utf8(title).c_str());
    return TRUE;
}

int TopLevels() {
    EnumWindows(PrintTopLevel, 0);
    return 0;
}

int DriveType(const char* root) {
    std::printf("%u\n", GetDriveTypeA(root));
    return 0;
}

// Which window the keys go to: the foreground window, and whether the
// keyboard focus lies in it (its own thread's focus).
int Foreground() {
    HWND front = GetForegroundWindow();
    if (!front) {
        std::printf("none\n");
        return 0;
    }
    char cls[64] = {};
    GetClassNameA(front, cls, sizeof cls);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info);
    bool focus = info.hwndFocus && (info.hwndFocus == front || IsChild(front, info.hwndFocus));
    std::printf("%s %s\n", cls, focus ? "focus" : "nofocus");
    return 0;
}

int EditText(const char* cls) {
    HWND window = FindWindowA(cls, nullptr);
    HWND edit = window ? FindWindowExA(window, nullptr, "Edit", nullptr) : nullptr;
    if (!edit) {
        std::printf("none\n");
        return 0;
    }
    std::printf("%s\n", ControlText(edit).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "window") == 0)
        return Window();
    if (std::strcmp(what, "menus") == 0)
        return Menus();
    if (std::strcmp(what, "tray") == 0)
        return Tray();
    if (std::strcmp(what, "workarea") == 0)
        return WorkArea();
    if (std::strcmp(what, "mutex") == 0)
        return Mutex();
    if (std::strcmp(what, "windows") == 0)
        return Windows();
    if (std::strcmp(what, "files") == 0)
        return Files();
    if (std::strcmp(what, "droplist") == 0)
        return DropList();
    if (std::strcmp(what, "count") == 0 && argc == 4)
        return Count(argv[2], argv[3]);
    if (std::strcmp(what, "clip") == 0 && argc == 3)
        return Clip(argv[2]);
    if (std::strcmp(what, "settings") == 0)
        return Settings();
    if (std::strcmp(what, "list") == 0)
        return List();
    if (std::strcmp(what, "dialog") == 0 && argc == 3) {
        // The caption as typed, in Unicode: the ANSI arguments could not
        // carry every character.
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        return Dialog(count == 3 ? args[2] : L"");
    }
    if (std::strcmp(what, "toplevels") == 0)
        return TopLevels();
    if (std::strcmp(what, "drivetype") == 0 && argc == 3)
        return DriveType(argv[2]);
    if (std::strcmp(what, "foreground") == 0)
        return Foreground();
    if (std::strcmp(what, "edit") == 0 && argc == 3)
        return EditText(argv[2]);
    std::fprintf(stderr, "usage: e2e_probe window|menus|tray|workarea|mutex|windows|files|droplist|"
                         "count ANCHOR ID|clip TEXT|settings|list|\n"
                         "       dialog TITLE|toplevels|drivetype ROOT|foreground|edit CLASS\n");
    return 2;
}
