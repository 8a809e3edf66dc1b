// The tray menus' commands: entries and shell folders are opened through the
// shell; the fixed commands show the window, the version dialog, the help or
// end the program.
#include "ui/HtmlHelp.h"
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "ui/Application.h"
#include "ui/SystemCalls.h"

// True when the command was one of the tray's; the others go on to the
// dialog's buttons and menu bar.
bool SettingsWindow::OnTrayCommand(UINT id) {
    switch (id) {
    case ID_TRAY_EXIT:
        DestroyWindow(hwnd_);
        return true;
    case ID_TRAY_SETTINGS:
        Show(SW_SHOWNORMAL);
        return true;
    case ID_TRAY_ABOUT:
        OnAbout();
        return true;
    case ID_TRAY_HELP:
        CallHtmlHelp(nullptr, Application::Instance().HelpFilePath().c_str(), HH_DISPLAY_TOPIC, 0);
        return true;
    case ID_TRAY_MY_COMPUTER:
        OpenShellFolder(myComputerPidl);
        return true;
    case ID_TRAY_MY_DOCUMENTS:
        OpenShellFolder(myDocumentsPidl);
        return true;
    case ID_TRAY_MY_NETWORK:
        OpenShellFolder(myNetworkPidl);
        return true;
    default:
        return LaunchEntryOfCommand(id);
    }
}

// The committed entry whose launcher command this is, opened with "open";
// what the shell makes of it is left to the shell. A group's command (that
// of its grayed placeholder) opens nothing: a group has no path.
bool SettingsWindow::LaunchEntryOfCommand(UINT id) {
    int count = store.GetCommittedNum();
    for (int i = 0; i < count; ++i) {
        const LaunchEntry& entry = *store.GetCommittedData(i);
        if (LaunchCommandBase + static_cast<UINT>(entry.id) != id)
            continue;
        if (entry.kind == KIND_FILE || entry.kind == KIND_URL)
            System().shellExecute(nullptr, "open", entry.path, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return false;
}

// Shell folders are opened by their item identifier lists, not by a path.
void SettingsWindow::OpenShellFolder(LPITEMIDLIST pidl) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST;
    info.lpVerb = "open";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = pidl;
    System().shellExecuteEx(&info);
}
