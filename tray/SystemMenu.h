// The system menu: the fixed commands (settings window, version, help,
// exit) and, by option, owner-drawn shortcuts to three shell folders.
#pragma once

#include <windows.h>

#include "store/Options.h"
#include "tray/MenuItemPool.h"
#include "ui/Menu.h"

// The small icons of the three shell folders, looked up once at start.
struct ShortcutIconIndexes {
    int myComputer = -1;
    int myDocuments = -1;
    int myNetwork = -1;
};

class SystemMenu {
public:
    // Destroys the menu and builds it again from opt6, opt7 and opt8.
    void Rebuild(const Options& options, const ShortcutIconIndexes& icons);

    HMENU Handle() const { return menu.Handle(); }

private:
    void AppendShortcut(int32_t option, MenuItemData* item, const char* text, int iconIndex,
                        UINT command);

    PopupMenu menu;
    // The shortcuts' records, kept for the whole run: the items point to
    // them whenever the menu is shown.
    MenuItemData myComputerItem;
    MenuItemData myDocumentsItem;
    MenuItemData myNetworkItem;
};
