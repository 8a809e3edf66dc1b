#include "tray/MenuItemPool.h"

MenuItemData* MenuItemPool::NewItemData() {
    if (itemCount_ >= kCapacity)
        return nullptr;
    items_[itemCount_] = std::make_unique<MenuItemData>();
    return items_[itemCount_++].get();
}

PopupMenu* MenuItemPool::NewSubmenu() {
    if (submenuCount_ >= kCapacity)
        return nullptr;
    auto submenu = std::make_unique<PopupMenu>();
    submenu->Create();
    submenus_[submenuCount_] = std::move(submenu);
    return submenus_[submenuCount_++].get();
}

// A submenu that was attached to a parent menu has been released by its
// holder (the parent destroys it); only the others are destroyed here.
void MenuItemPool::Clear() {
    itemCount_ = 0;
    submenuCount_ = 0;
    for (auto& submenu : submenus_)
        submenu.reset();
    for (auto& item : items_)
        item.reset();
}
