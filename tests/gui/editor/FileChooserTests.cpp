// The Open File dialog that Browse opens, met as the user meets it: its
// filter, the files its list shows in a folder, and a file picked there with
// the mouse.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/ItemEditorDialog.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/GuiTest.h"
#include "ui/FileDialog.h"

namespace {

// The list of the chooser's shell view: the names the user sees.
HWND ChooserList(HWND chooser) {
    HWND view = FindWindowExA(chooser, nullptr, "SHELLDLL_DefView", nullptr);
    return view ? FindWindowExA(view, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

std::string ListItemText(HWND list, int index) {
    char text[MAX_PATH] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> ListNames(HWND list) {
    std::vector<std::string> names;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        names.push_back(ListItemText(list, i));
    std::sort(names.begin(), names.end());
    return names;
}

int FindListItem(HWND list, const std::string& name) {
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ListItemText(list, i) == name)
            return i;
    return -1;
}

// The middle of an item's label, in screen coordinates.
POINT ItemCenterOnScreen(HWND list, int index) {
    RECT label{LVIR_LABEL, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
    POINT center{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(list, &center);
    return center;
}

// A double click of the left button at a point of the screen, as the mouse
// makes it.
void DoubleClickAt(POINT point) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[5] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(point.x, 65535, width - 1);
        input.mi.dy = MulDiv(point.y, 65535, height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[4].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(5, inputs, sizeof(INPUT));
}

// Opens a folder in the chooser the way a user does who types its path
// into the file name box and presses Open.
void OpenFolderInChooser(HWND chooser, const std::string& folder) {
    // The file name box: an edit in Wine's dialog, a combo box in newer ones.
    constexpr int kFileNameEdit = 0x480;
    constexpr int kFileNameCombo = 0x47c;
    HWND box = GetDlgItem(chooser, kFileNameCombo);
    if (!box)
        box = GetDlgItem(chooser, kFileNameEdit);
    ASSERT_NE(box, nullptr);
    SetWindowTextA(box, folder.c_str());
    SendMessageA(chooser, WM_COMMAND, IDOK, 0);
}

void CreateEmptyFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

} // namespace

TEST(FileFilter, PipesBecomeTheSeparatorsTheDialogExpects) {
    const char expected[] = "すべてのファイル (*.*)\0*.*\0\0";
    EXPECT_EQ(FilterFromPipes(ItemEditorDialog::kFileFilter),
              std::string(expected, sizeof expected - 1));
    // The trail byte of ポ is 0x7C, the code of '|': the character stays whole.
    const char katakana[] = "ポ\0*.x\0\0";
    EXPECT_EQ(FilterFromPipes("ポ|*.x||"), std::string(katakana, sizeof katakana - 1));
}

TEST(ItemEditorChooser, ListsTheFilesOfAFolderAndTakesTheOneDoubleClicked) {
    TempFolder folder;
    CreateEmptyFile(folder.File("alpha.txt"));
    CreateEmptyFile(folder.File("ベータ.txt"));
    ASSERT_TRUE(CreateDirectoryA(folder.File("sub").c_str(), nullptr));

    ItemEditorDialog editor;
    std::vector<std::string> listed;
    std::string shownPath;
    std::string shownName;
    DialogScript script({[&](HWND dialog) {
                             PressButton(dialog, IDC_EDITOR_BROWSE);
                             shownPath = DialogItemText(dialog, IDC_EDITOR_PATH);
                             shownName = DialogItemText(dialog, IDC_EDITOR_NAME);
                             PressButton(dialog, IDCANCEL);
                         },
                         [&](HWND chooser) {
                             OpenFolderInChooser(chooser, folder.Path());
                             HWND list = ChooserList(chooser);
                             listed = ListNames(list);
                             int index = FindListItem(list, "ベータ.txt");
                             if (index < 0) {
                                 PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                                 return;
                             }
                             DoubleClickAt(ItemCenterOnScreen(list, index));
                         }});
    editor.RunModal();
    EXPECT_EQ(listed, (std::vector<std::string>{"alpha.txt", "sub", "ベータ.txt"}));
    EXPECT_EQ(shownPath, folder.File("ベータ.txt"));
    EXPECT_EQ(shownName, "ベータ.txt");
}
