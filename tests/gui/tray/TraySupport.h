// What the tray components' tests need instead of a settings window: a
// hidden window to own menus and receive the icon's callbacks, a table in
// tree order, and the shell's own icons.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "support/LauncherTestSupport.h"
#include "ui/IconResolver.h"

// A hidden top-level window of a system class, destroyed with the holder.
class HiddenWindow {
public:
    HiddenWindow()
        : hwnd_(CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr)) {}
    ~HiddenWindow() {
        if (IsWindow(hwnd_))
            DestroyWindow(hwnd_);
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_;
};

// The rows as the store orders them (tree order; with opt4 the files of
// each group first), with the ids 0, 1, 2 ... in the order given.
inline std::vector<LaunchEntry> TreeOrderTable(const std::vector<EntryRow>& rows,
                                               int32_t opt4 = 0) {
    ItemStore store;
    store.GetOptions()->opt4 = opt4;
    for (const EntryRow& row : rows)
        store.InsertData(MakeEntry(row), -1);
    std::vector<LaunchEntry> table;
    for (int i = 0; i < store.GetDataNum(); ++i)
        table.push_back(*store.GetData(i));
    return table;
}

// The closed-folder icon's place in the resolver's lists.
inline int ShellFolderIcon() {
    return IconResolver::kFolderIcon;
}
