// The records and submenus the launcher menu points to. The pool owns them;
// the menu only refers to them, so they are freed together at each rebuild.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "store/LaunchEntry.h"
#include "ui/Menu.h"

// What an owner-drawn menu item shows: its text and its icon in the shell's
// system image list (-1: none). The menu measures its items each time it
// opens; the width of the text is kept with the stamp of the menu font it
// was measured in (0: not measured yet), so that later openings need not
// measure it again.
struct MenuItemData {
    std::string text;
    int iconIndex = -1;
    int textWidth = 0;
    unsigned textWidthFont = 0;
};

class MenuItemPool {
public:
    static constexpr int kCapacity = kMaxEntries;

    MenuItemPool() = default;
    ~MenuItemPool() { Clear(); }
    MenuItemPool(const MenuItemPool&) = delete;
    MenuItemPool& operator=(const MenuItemPool&) = delete;

    // A new empty record, or null when the pool holds kCapacity of them.
    MenuItemData* NewItemData();
    // A new empty popup menu, or null when the pool holds kCapacity of them.
    PopupMenu* NewSubmenu();
    // Frees every record and destroys every submenu.
    void Clear();

    int ItemDataCount() const { return itemCount_; }
    // The record made at that place in the order of making, or null.
    MenuItemData* ItemDataAt(int index) const {
        return index >= 0 && index < itemCount_ ? items_[index].get() : nullptr;
    }
    int SubmenuCount() const { return submenuCount_; }

private:
    std::unique_ptr<MenuItemData> items_[kCapacity];
    std::unique_ptr<PopupMenu> submenus_[kCapacity];
    int itemCount_ = 0;
    int submenuCount_ = 0;
};
