// The floor the benchmark compares Brindleway with: the least a tray
// launcher can be on Win32. A hidden window, an icon in the notification
// area, a popup menu of plain string items shown when the icon is clicked,
// and a GetMessage loop.
//
//   bench_floor TOP GROUPS PER_GROUP
//
// The menu has TOP items, then GROUPS submenus of PER_GROUP items each:
// the same shape as a launcher menu of TOP + GROUPS * (PER_GROUP + 1)
// entries. WM_CLOSE removes the icon and ends the program.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT WM_TRAYNOTIFY = WM_APP + 1;
constexpr UINT kFirstCommand = 0x8200;

HMENU menu = nullptr;
NOTIFYICONDATAA icon{};

HMENU BuildMenu(int top, int groups, int perGroup) {
    HMENU root = CreatePopupMenu();
    UINT command = kFirstCommand;
    char text[32];
    for (int i = 0; i < top; ++i) {
        std::snprintf(text, sizeof text, "Item %d", i);
        AppendMenuA(root, MF_STRING, command++, text);
    }
    for (int g = 0; g < groups; ++g) {
        HMENU sub = CreatePopupMenu();
        for (int i = 0; i < perGroup; ++i) {
            std::snprintf(text, sizeof text, "Item %d.%d", g, i);
            AppendMenuA(sub, MF_STRING, command++, text);
        }
        std::snprintf(text, sizeof text, "Group %d", g);
        AppendMenuA(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text);
    }
    return root;
}

LRESULT CALLBACK FloorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TRAYNOTIFY:
        if (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN) {
            POINT cursor{};
            GetCursorPos(&cursor);
            SetForegroundWindow(hwnd);
            TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, hwnd, nullptr);
            PostMessageA(hwnd, WM_NULL, 0, 0);
        }
        return 0;
    case WM_CLOSE:
        Shell_NotifyIconA(NIM_DELETE, &icon);
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int top = __argc > 1 ? std::atoi(__argv[1]) : 0;
    int groups = __argc > 2 ? std::atoi(__argv[2]) : 0;
    int perGroup = __argc > 3 ? std::atoi(__argv[3]) : 0;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BenchFloor";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, "BenchFloor", "Floor", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
    menu = BuildMenu(top, groups, perGroup);

    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = hwnd;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = WM_TRAYNOTIFY;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(icon.szTip, "Floor", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyMenu(menu);
    return 0;
}
