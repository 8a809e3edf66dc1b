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
#include "support/RemovableDrive.h"
#include "ui/FileDialog.h"
#include "ui/WideText.h"

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

// The index of the item the list shows with that name, read as wide text.
int FindListItemWide(HWND list, const std::wstring& name) {
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        if (name == text)
            return i;
    }
    return -1;
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

// Browse starts in the folder of the path already there, expanded and
// resolved against the program's folder as a launch would.
TEST(ItemEditorChooser, StartsInTheFolderWhereThePathLeads) {
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA(folder.File("tools").c_str(), nullptr));
    CreateEmptyFile(folder.File("tools\\tool.exe"));
    SetEnvironmentVariableA("BW_TEST_TOOLS", folder.File("tools").c_str());
    for (const char* path : {"%BW_TEST_TOOLS%\\tool.exe", "tools\\tool.exe", ".\\tools"}) {
        SCOPED_TRACE(path);
        LaunchEntry entry = EmptyLaunchEntry();
        lstrcpynA(entry.name, "Tool", kNameSize);
        lstrcpynA(entry.path, path, kPathSize);
        entry.id = 0;
        ItemEditorDialog editor;
        editor.SetEntry(entry);
        editor.SetProgramFolder(folder.Path());
        std::vector<std::string> listed;
        std::string shownPath;
        DialogScript script({[&](HWND dialog) {
                                 PressButton(dialog, IDC_EDITOR_BROWSE);
                                 shownPath = DialogItemText(dialog, IDC_EDITOR_PATH);
                                 PressButton(dialog, IDCANCEL);
                             },
                             [&](HWND chooser) {
                                 listed = ListNames(ChooserList(chooser));
                                 PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                             }});
        editor.RunModal();
        EXPECT_EQ(listed, std::vector<std::string>{"tool.exe"});
        // Cancelled: the path stays as the user wrote it.
        EXPECT_EQ(shownPath, path);
    }
    SetEnvironmentVariableA("BW_TEST_TOOLS", nullptr);
}

// What the user met after picking a file with the mouse in Browse's
// chooser: the path and name rows and any message.
struct Browsed {
    std::string path;
    std::string name;
    std::wstring message;
    bool listed = false;
};

Browsed BrowseAndDoubleClick(ItemEditorDialog& editor, const std::string& folder,
                             const std::wstring& file) {
    // The chooser makes the folder it shows the current one.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    Browsed seen;
    DialogScript script({[&](HWND dialog) {
                             PressButton(dialog, IDC_EDITOR_BROWSE);
                             seen.path = DialogItemText(dialog, IDC_EDITOR_PATH);
                             seen.name = DialogItemText(dialog, IDC_EDITOR_NAME);
                             PressButton(dialog, IDCANCEL);
                         },
                         [&](HWND chooser) {
                             OpenFolderInChooser(chooser, folder);
                             HWND list = ChooserList(chooser);
                             int index = FindListItemWide(list, file);
                             seen.listed = index >= 0;
                             if (index < 0) {
                                 PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                                 return;
                             }
                             DoubleClickAt(ItemCenterOnScreen(list, index));
                         },
                         [&](HWND box) {
                             wchar_t text[1024] = {};
                             GetDlgItemTextW(box, 0xFFFF, text, 1024);
                             seen.message = text;
                             PostMessageA(box, WM_COMMAND, IDOK, 0);
                         }});
    editor.RunModal();
    SetCurrentDirectoryA(current);
    return seen;
}

// A file whose name Shift-JIS cannot spell (é) is refused with its name as
// the file system spells it; the path row is not filled with a changed one
// (Cafe.pdf), which would open nothing.
TEST(ItemEditorChooser, AFileWhoseNameHasNoShiftJisFormIsRefused) {
    TempFolder folder;
    std::wstring cafe = L"Caf\u00e9.pdf";
    HANDLE file = CreateFileW((WideOf(folder.Path()) + L"\\" + cafe).c_str(), GENERIC_WRITE, 0,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ItemEditorDialog editor;
    Browsed seen = BrowseAndDoubleClick(editor, folder.Path(), cafe);
    ASSERT_TRUE(seen.listed);
    EXPECT_EQ(seen.path, "");
    EXPECT_EQ(seen.name, "");
    EXPECT_NE(seen.message.find(cafe), std::wstring::npos);
    EXPECT_NE(seen.message.find(WideOf("シフトJISにない文字")), std::wstring::npos);
}

// Run from a removable drive, Browse shows the path the entry will store:
// relative to the program's folder for a file inside it. (The tests'
// prefix has no removable drive: the program is told that C: is one.)
TEST(ItemEditorChooser, OnARemovableDriveThePathIsShownAsItWillBeStored) {
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA(folder.File("tools").c_str(), nullptr));
    CreateEmptyFile(folder.File("tools\\ツール.exe"));
    RemovableDrive removable(folder.Path());
    ItemEditorDialog editor;
    editor.SetProgramFolder(folder.Path());
    Browsed seen = BrowseAndDoubleClick(editor, folder.File("tools"), WideOf("ツール.exe"));
    ASSERT_TRUE(seen.listed);
    EXPECT_EQ(seen.path, "tools\\ツール.exe");
    EXPECT_EQ(seen.name, "ツール.exe");
    EXPECT_EQ(seen.message, L"");
}
