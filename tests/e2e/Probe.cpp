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
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    std::fprintf(stderr,
                 "usage: e2e_probe window|menu|menus|tray|workarea|mutex|control ANCHOR ID\n");
    return 2;
}
