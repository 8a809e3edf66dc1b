// An owning popup menu: the menu handle is destroyed with the object.
#pragma once

#include <windows.h>

#include <utility>

class PopupMenu {
public:
    PopupMenu() = default;
    ~PopupMenu() { Destroy(); }
    PopupMenu(PopupMenu&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}
    PopupMenu& operator=(PopupMenu&& other) noexcept {
        if (this != &other) {
            Destroy();
            menu_ = std::exchange(other.menu_, nullptr);
        }
        return *this;
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Replaces the held menu by a new empty popup menu.
    bool Create() {
        Destroy();
        menu_ = CreatePopupMenu();
        return menu_ != nullptr;
    }
    // Takes over a menu made elsewhere, destroying the one held.
    void Attach(HMENU menu) {
        Destroy();
        menu_ = menu;
    }
    void Destroy() {
        if (menu_)
            DestroyMenu(menu_);
        menu_ = nullptr;
    }
    // Gives up ownership, e.g. when the menu became another menu's submenu
    // that is destroyed with its parent.
    HMENU Release() { return std::exchange(menu_, nullptr); }

    HMENU Handle() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }

    bool AppendString(UINT id, const char* text, UINT flags = 0) const {
        return AppendMenuA(menu_, MF_STRING | flags, id, text) != 0;
    }
    bool AppendOwnerDraw(UINT_PTR idOrSubmenu, const void* data, UINT flags = 0) const {
        return AppendMenuA(menu_, MF_OWNERDRAW | flags, idOrSubmenu,
                           static_cast<const char*>(data)) != 0;
    }
    bool AppendSeparator() const { return AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr) != 0; }
    int Count() const { return GetMenuItemCount(menu_); }
    void SetDefault(UINT id) const { SetMenuDefaultItem(menu_, id, FALSE); }
    void EnableItem(UINT id, UINT flags) const { EnableMenuItem(menu_, id, MF_BYCOMMAND | flags); }

private:
    HMENU menu_ = nullptr;
};
