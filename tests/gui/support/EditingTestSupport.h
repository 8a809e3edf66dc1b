// The settings window opened shown over a prepared table, with helpers that
// read its group tree, item list and edit commands back and act on them the
// way the user's input does.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "SettingsWindowFixture.h"
#include "resource.h"

class EditingTest : public SettingsWindowTest {
protected:
    static constexpr const char* kRoot = "ルート";

    // Writes the table to the data file and the options to the settings
    // file, then opens the window shown: the showing fills the views.
    SettingsWindow& OpenShown(const std::vector<EntryRow>& entries, int32_t opt4 = 0) {
        WriteDataFile(folder.Path(), entries, opt4);
        Options options{};
        options.opt1 = 1;
        options.opt4 = opt4;
        WriteOptions(options);
        return Open();
    }

    TreeView Tree() const { return window->GroupTree(); }
    ListView List() const { return window->ItemList(); }
    ItemStore& Store() { return window->Store(); }

    // The tree item labelled name, searched depth first; null when none.
    HTREEITEM FindItem(const std::string& name) const { return FindBelow(nullptr, name); }

    // The working table slot of the entry named name, or -1.
    int IndexOf(const std::string& name) {
        for (int i = 0; i < Store().GetDataNum(); ++i)
            if (name == Store().GetData(i)->name)
                return i;
        return -1;
    }
    WorkingEntry* Entry(const std::string& name) {
        int index = IndexOf(name);
        return index < 0 ? nullptr : Store().GetData(index);
    }

    // The names in the working table, in table order.
    std::vector<std::string> TableOrder() {
        std::vector<std::string> names;
        for (int i = 0; i < Store().GetDataNum(); ++i)
            names.push_back(Store().GetData(i)->name);
        return names;
    }

    // The tree as text: each item's label, and for an item with children
    // "+" (expanded) or "-" (collapsed) and its children in parentheses.
    std::string Outline() const { return OutlineOf(Tree().Root()); }

    // The list's rows as "name|location".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < List().Count(); ++row)
            rows.push_back(List().ItemText(row, 0) + "|" + List().ItemText(row, 1));
        return rows;
    }

    std::string SelectedGroup() const {
        HTREEITEM selected = Tree().Selection();
        return selected ? Tree().ItemText(selected) : "(none)";
    }
    std::string FirstVisibleGroup() const {
        HTREEITEM first = Tree().FirstVisible();
        return first ? Tree().ItemText(first) : "(none)";
    }

    // Selects the group as a click on it does (the root by kRoot).
    void SelectGroup(const std::string& name) {
        HTREEITEM item = FindItem(name);
        ASSERT_NE(item, nullptr) << name;
        Tree().Select(item, TVGN_CARET);
    }

    // Selects and focuses the row as a click on it does.
    void SelectRow(int row) const {
        List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    int SelectedRow() const { return List().NextItem(-1, LVNI_SELECTED); }

    // Whether Edit, Delete, Up and Down are enabled, checked on the menu
    // items and the buttons together; fails when they disagree.
    bool EditCommandsEnabled() const {
        const UINT items[] = {ID_TOOLS_EDIT, ID_TOOLS_DELETE, ID_TOOLS_UP, ID_TOOLS_DOWN};
        const int buttons[] = {IDC_EDIT, IDC_DELETE, IDC_UP, IDC_DOWN};
        int enabled = 0;
        for (UINT id : items)
            if (!(GetMenuState(GetMenu(Handle()), id, MF_BYCOMMAND) & MF_GRAYED))
                ++enabled;
        for (int id : buttons)
            if (IsWindowEnabled(GetDlgItem(Handle(), id)))
                ++enabled;
        EXPECT_TRUE(enabled == 0 || enabled == 8) << enabled << " of 8 enabled";
        return enabled == 8;
    }

    // Sends the key to the control as the keyboard does; with ctrl, the
    // thread's key state has Ctrl down meanwhile.
    static void PressKey(HWND control, UINT key) {
        SendMessageA(control, WM_KEYDOWN, key, 1);
        SendMessageA(control, WM_KEYUP, key, 0xC0000001);
    }

    // Offers Ctrl+key to the window's accelerator table, as the message loop
    // does; returns whether the table took the key.
    bool CtrlKeyThroughAccelerators(UINT key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        HACCEL table =
            LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
        MSG msg{};
        msg.hwnd = List().Handle();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        msg.lParam = 1;
        bool taken = TranslateAcceleratorA(Handle(), table, &msg) != 0;
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
        return taken;
    }

private:
    HTREEITEM FindBelow(HTREEITEM parent, const std::string& name) const {
        HTREEITEM item = parent ? Tree().Child(parent) : Tree().Root();
        for (; item; item = Tree().NextItem(item, TVGN_NEXT)) {
            if (Tree().ItemText(item) == name)
                return item;
            if (HTREEITEM found = FindBelow(item, name))
                return found;
        }
        return nullptr;
    }

    std::string OutlineOf(HTREEITEM item) const {
        std::string text = Tree().ItemText(item);
        HTREEITEM child = Tree().Child(item);
        if (!child)
            return text;
        text += (Tree().ItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) ? "+(" : "-(";
        for (bool first = true; child; child = Tree().NextItem(child, TVGN_NEXT), first = false)
            text += (first ? "" : " ") + OutlineOf(child);
        return text + ")";
    }
};
