#include "tray/MenuOwner.h"

namespace {

const char kClassName[] = "BrindlewayMenuOwner";

LRESULT CALLBACK MenuOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsMenuOwnerMessage(msg)) {
        auto target = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (target && IsWindow(target))
            return SendMessageA(target, msg, wParam, lParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Registered once for the process; a second registration fails harmlessly.
void RegisterOwnerClass(HINSTANCE module) {
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = MenuOwnerProc;
    cls.hInstance = module;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The one pixel, under the menu's corner, in the menu's colour.
    cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    cls.lpszClassName = kClassName;
    RegisterClassExA(&cls);
}

} // namespace

bool IsMenuOwnerMessage(UINT msg) {
    switch (msg) {
    case WM_COMMAND:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
    case WM_MENURBUTTONUP:
    case WM_MENUCOMMAND:
    case WM_ENTERIDLE:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return true;
    default:
        return false;
    }
}

// Windows lets a program take the foreground when it received the last
// input, which the hotkey and the click on the icon give it. The window is
// shown first: made visible and in front, it is the window the keyboard
// goes to under Wine as well.
MenuOwner::MenuOwner(HWND target, POINT at) : previous_(GetForegroundWindow()) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterOwnerClass(module);
    // A tool window has no taskbar button on Windows; Wine's taskbar leaves
    // out only owned windows, so the window is owned by a hidden one, which
    // brings nothing forward with it.
    anchor_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, at.x, at.y, 1, 1, nullptr,
                              nullptr, module, nullptr);
    if (!anchor_)
        return;
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, at.x, at.y, 1, 1, anchor_,
                            nullptr, module, nullptr);
    if (!hwnd_)
        return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
}

MenuOwner::~MenuOwner() {
    if (hwnd_ && GetForegroundWindow() == hwnd_ && previous_ && previous_ != hwnd_ &&
        IsWindow(previous_) && IsWindowVisible(previous_))
        SetForegroundWindow(previous_);
    // The window goes with its owner.
    if (anchor_)
        DestroyWindow(anchor_);
}
