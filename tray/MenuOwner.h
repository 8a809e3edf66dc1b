// The window a tray menu is tracked for. A popup menu takes the keyboard
// only while its owner is the foreground window with the keyboard focus. The
// program's own window is usually hidden, and another program's window is
// usually in front when the hotkey is pressed or the icon clicked; a hidden
// window made the foreground window gets no keys under Wine (the menu then
// never closes). So a small visible window of its own stands under the
// pointer while the menu is open: it takes the foreground and the focus
// first, passes every message the menu sends its owner on to the window that
// handles the menu, and gives the foreground back to the window that had it
// when nothing else has taken it by the end.
#pragma once

#include <windows.h>

class MenuOwner {
public:
    // Shows the window at the point (1 by 1 pixel, no taskbar button) and
    // makes it the foreground window with the keyboard focus. The messages
    // of a menu tracked for it go to the target.
    MenuOwner(HWND target, POINT at);
    // Hides and destroys the window. When it is still the foreground window
    // (the menu was dismissed, or what was chosen opened no window), the
    // window that was in front before gets the foreground back, so the
    // user's keys go on where they went.
    ~MenuOwner();
    MenuOwner(const MenuOwner&) = delete;
    MenuOwner& operator=(const MenuOwner&) = delete;

    HWND Handle() const { return hwnd_; }
    // The window that was in front when the menu was asked for.
    HWND Previous() const { return previous_; }

private:
    HWND anchor_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND previous_ = nullptr;
};

// Whether the message is one a popup menu sends its owner while it is
// tracked, or on its behalf: menu notifications, the owner-drawn items'
// measuring and drawing, typed characters and the chosen command.
bool IsMenuOwnerMessage(UINT msg);
