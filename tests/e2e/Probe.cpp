// Looks at the Wine desktop from inside, for the end-to-end test: window
// and menu rectangles, the work area, whether the program runs.
//
//   e2e_probe window   -> "visible|hidden L T R B COUNT" for the settings window, or "none"
//   e2e_probe menu     -> "L T R B" of the popup menu on screen, or "none"
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
//   e2e_probe text ANCHOR ID  -> the text of a dialog control, or "none"
//   e2e_probe count ANCHOR ID -> the items of a list view, tree view or
//                                combo box of a dialog, or "none"
//   e2e_probe clip TEXT -> puts TEXT on the clipboard, as copied by a user
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

BOOL CALLBACK FindMenu(HWND hwnd, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32768") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
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

int Menu() {
    HWND menu = nullptr;
    EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&menu));
    if (!menu) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(menu, &rect);
    PrintRect(rect);
    std::printf("\n");
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

// Prints "L T R B CHECK" of control id in that dialog, or "none".
int Control(const char* anchor, const char* id) {
    DialogSearch search{std::atoi(anchor)};
    EnumWindows(FindDialogWith, reinterpret_cast<LPARAM>(&search));
    HWND control = search.dialog ? GetDlgItem(search.dialog, std::atoi(id)) : nullptr;
    if (!control) {
        std::printf("none\n");
        return 0;
    }
    RECT rect{};
    GetWindowRect(control, &rect);
    PrintRect(rect);
    std::printf(" %d\n", static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)));
    return 0;
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

int Text(const char* anchor, const char* id) {
    HWND control = DialogControl(anchor, id);
    if (!control) {
        std::printf("none\n");
        return 0;
    }
    // GetWindowText reads only a caption for another process's window: the
    // message reaches the control itself.
    char text[1024] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
    return 0;
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

} // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "window") == 0)
        return Window();
    if (std::strcmp(what, "menu") == 0)
        return Menu();
    if (std::strcmp(what, "menus") == 0)
        return Menus();
    if (std::strcmp(what, "tray") == 0)
        return Tray();
    if (std::strcmp(what, "workarea") == 0)
        return WorkArea();
    if (std::strcmp(what, "mutex") == 0)
        return Mutex();
    if (std::strcmp(what, "control") == 0 && argc == 4)
        return Control(argv[2], argv[3]);
    if (std::strcmp(what, "windows") == 0)
        return Windows();
    if (std::strcmp(what, "files") == 0)
        return Files();
    if (std::strcmp(what, "droplist") == 0)
        return DropList();
    if (std::strcmp(what, "text") == 0 && argc == 4)
        return Text(argv[2], argv[3]);
    if (std::strcmp(what, "count") == 0 && argc == 4)
        return Count(argv[2], argv[3]);
    if (std::strcmp(what, "clip") == 0 && argc == 3)
        return Clip(argv[2]);
    std::fprintf(stderr,
                 "usage: e2e_probe window|menu|menus|tray|workarea|mutex|control ANCHOR ID|windows|"
                 "files|droplist|text ANCHOR ID|count ANCHOR ID|clip TEXT\n");
    return 2;
}
