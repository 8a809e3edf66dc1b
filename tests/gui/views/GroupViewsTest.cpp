// The group tree and the item list of the settings window, built from the
// working table: their contents, what survives a rebuild, expanding and
// collapsing, and the edit commands that a selected row enables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DialogDriving.h"
#include "support/EditingTestSupport.h"
#include "support/IconWaiting.h"
#include "support/RealInput.h"

namespace {

using RowList = std::vector<std::string>;

// Where the shell says a path's icon comes from.
std::string ShellIcon(const char* path, DWORD attributes, UINT flags) {
    return ShellIconKey(path, attributes, flags);
}

int ItemImage(TreeView tree, HTREEITEM item, bool selected) {
    TVITEMA info{};
    info.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    info.hItem = item;
    tree.Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    return selected ? info.iSelectedImage : info.iImage;
}

class GroupViewsTest : public EditingTest {
protected:
    // A nested table: two groups deep under A, a file and a URL around.
    SettingsWindow& OpenNested() {
        return OpenShown({
            {"A", KIND_GROUP, kParentTopLevel},    // 0
            {"a-file", KIND_FILE, 0, "C:\\a.txt"}, // 1
            {"A1", KIND_GROUP, 0},                 // 2
            {"A11", KIND_GROUP, 2},                // 3
            {"A2", KIND_GROUP, 0},                 // 4
            {"top-url", KIND_URL, kParentTopLevel, "https://example.org/"},
            {"B", KIND_GROUP, kParentTopLevel}, // 6
            {"B1", KIND_GROUP, 6},              // 7
        });
    }
    // Many top-level groups, more than the tree shows at once.
    SettingsWindow& OpenMany(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back("G" + std::to_string(i));
        std::vector<EntryRow> entries;
        for (const std::string& name : names)
            entries.push_back({name.c_str(), KIND_GROUP, kParentTopLevel});
        return OpenShown(entries);
    }
    bool Expanded(const std::string& name) const {
        return (Tree().ItemState(FindItem(name), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
    // The middle of the group's expand button, found on its line left of its
    // icon by asking the tree what lies there.
    POINT ExpandButton(const std::string& name) const {
        RECT line{};
        RECT text{};
        EXPECT_TRUE(Tree().ItemRect(FindItem(name), &line, false)) << name;
        Tree().ItemRect(FindItem(name), &text, true);
        int y = (line.top + line.bottom) / 2;
        int first = -1;
        int last = -1;
        for (int x = line.left; x < text.left; ++x) {
            UINT flags = 0;
            if (Tree().HitTest({x, y}, &flags) == FindItem(name) && (flags & TVHT_ONITEMBUTTON)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        EXPECT_GE(first, 0) << name << " shows no expand button";
        return POINT{(first + last) / 2, y};
    }
    // A real click on the group's expand button; returns once the tree has
    // taken it.
    void ClickExpandButton(const std::string& name) {
        bool wasExpanded = Expanded(name);
        real_input::ClickAt(Tree().Handle(), ExpandButton(name));
        ASSERT_TRUE(PumpUntil([&] { return Expanded(name) != wasExpanded; })) << name;
        PumpMessages();
    }
};

TEST_F(GroupViewsTest, EmptyTableShowsTheRootAloneSelectedAndGraysTheCommands) {
    OpenShown({});
    EXPECT_EQ(Outline(), kRoot);
    EXPECT_EQ(Tree().Count(), 1);
    EXPECT_EQ(Tree().Selection(), Tree().Root());
    EXPECT_EQ(List().Count(), 0);
    EXPECT_FALSE(EditCommandsEnabled());
    EXPECT_FALSE(GetMenuState(GetMenu(Handle()), ID_TOOLS_ADD, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Handle(), IDC_ADD)));
}

TEST_F(GroupViewsTest, NestedGroupsAreNestedItemsWithTheirIcons) {
    SettingsWindow& w = OpenNested();
    EXPECT_EQ(Outline(), "ルート+(A-(A1-(A11) A2) B-(B1))");
    EXPECT_EQ(Tree().Selection(), Tree().Root());
    EXPECT_EQ(ItemImage(Tree(), Tree().Root(), false), w.ProgramIconIndex());
    EXPECT_EQ(ItemImage(Tree(), Tree().Root(), true), w.ProgramIconIndex());
    EXPECT_EQ(ItemImage(Tree(), FindItem("A11"), false), w.FolderIconIndex());
    EXPECT_EQ(ItemImage(Tree(), FindItem("A11"), true), w.OpenFolderIconIndex());
    // Each group's entry holds its item; other entries hold none.
    EXPECT_EQ(Entry("A1")->treeItem, FindItem("A1"));
    EXPECT_EQ(Entry("B1")->treeItem, FindItem("B1"));
    EXPECT_EQ(Entry("a-file")->treeItem, nullptr);
    // The root's list: the top-level entries, groups included.
    EXPECT_EQ(Rows(), (RowList{"A|Group", "top-url|https://example.org/", "B|Group"}));
}

// Both views show the program's list of icons, which the list must not
// destroy with itself; the list has its two columns and full-row selection.
TEST_F(GroupViewsTest, ViewsShareTheIconListAndTheListHasItsColumns) {
    SettingsWindow& w = OpenShown({});
    HIMAGELIST icons = w.Icons().List();
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(w.SystemImageList().Handle(), icons);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Tree().Send(TVM_GETIMAGELIST, TVSIL_NORMAL)), icons);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(List().Send(LVM_GETIMAGELIST, LVSIL_SMALL)), icons);
    EXPECT_TRUE(GetWindowLongA(List().Handle(), GWL_STYLE) & LVS_SHAREIMAGELISTS);
    EXPECT_TRUE(List().Send(LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_FULLROWSELECT);

    // The columns as the header shows them.
    HWND header = reinterpret_cast<HWND>(List().Send(LVM_GETHEADER));
    ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    struct Column {
        std::string text;
        int width;
        int align;
        bool operator==(const Column&) const = default;
    };
    std::vector<Column> columns;
    for (int i = 0; i < 2; ++i) {
        char text[64] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        columns.push_back({text, item.cxy, item.fmt & HDF_JUSTIFYMASK});
    }
    EXPECT_EQ(columns[0], (Column{"名前", 100, HDF_LEFT}));
    EXPECT_EQ(columns[1], (Column{"場所", 250, HDF_LEFT}));
}

// Rows map to entries by counting what the list shows: an entry of a kind
// the program does not know is skipped by both.
TEST_F(GroupViewsTest, AnEntryOfAnUnknownKindIsNeitherShownNorCounted) {
    OpenShown({
        {"f0", KIND_FILE, kParentTopLevel, "C:\\f0.txt"},
        {"odd", 7, kParentTopLevel, "C:\\odd.txt"},
        {"u1", KIND_URL, kParentTopLevel, "http://u1/"},
        {"G", KIND_GROUP, kParentTopLevel},
    });
    ASSERT_EQ(Store().GetDataNum(), 4);
    EXPECT_EQ(Rows(), (RowList{"f0|C:\\f0.txt", "u1|http://u1/", "G|Group"}));
    EXPECT_EQ(Outline(), "ルート+(G)");
    SelectRow(1);
    Command(IDC_DELETE, BN_CLICKED, GetDlgItem(Handle(), IDC_DELETE));
    EXPECT_EQ(TableOrder(), (std::vector<std::string>{"f0", "odd", "G"}));
    SelectRow(1);
    Command(IDC_DELETE, BN_CLICKED, GetDlgItem(Handle(), IDC_DELETE));
    EXPECT_EQ(TableOrder(), (std::vector<std::string>{"f0", "odd"}));
}

TEST_F(GroupViewsTest, SelectingAGroupListsItsOwnEntries) {
    OpenNested();
    SelectGroup("A");
    EXPECT_EQ(Rows(), (RowList{"a-file|C:\\a.txt", "A1|Group", "A2|Group"}));
    SelectGroup("A11");
    EXPECT_EQ(Rows(), RowList{});
}

TEST_F(GroupViewsTest, AGroupWhoseParentIsMissingIsLeftOutWithItsSubgroups) {
    OpenNested();
    // A parent id that names no entry; the store's sort would repair it, so
    // the working table is changed directly.
    Entry("A1")->parent = 200;
    window->RebuildTree();
    EXPECT_EQ(Outline(), "ルート+(A-(A2) B-(B1))");
    EXPECT_EQ(Entry("A1")->treeItem, nullptr);
    EXPECT_EQ(Entry("A11")->treeItem, nullptr);
}

// A path relative to the program's folder shows the icon of where it leads
// (here a folder, whose icon no plain file has) and the text as written.
TEST_F(GroupViewsTest, RowsOfRelativePathsShowTheIconOfWhereTheyLead) {
    ASSERT_TRUE(CreateDirectoryA(folder.File("携帯ツール").c_str(), nullptr));
    SettingsWindow& w = OpenShown({{"tools", KIND_FILE, kParentTopLevel, ".\\携帯ツール"}});
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    ASSERT_EQ(List().Count(), 1);
    std::string folderIcon = ShellIcon(folder.File("携帯ツール").c_str(), 0, 0);
    EXPECT_EQ(w.Icons().SourceOf(List().ItemImage(0)), folderIcon);
    EXPECT_EQ(List().ItemText(0, 1), ".\\携帯ツール");
}

TEST_F(GroupViewsTest, RowsShowShellIconsFolderIconsAndGroupLocation) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    TempFolder files;
    std::string missing = files.File("gone.txt");
    SettingsWindow& w = OpenShown({
        {"prog", KIND_FILE, kParentTopLevel, program},
        {"gone", KIND_FILE, kParentTopLevel, missing.c_str()},
        {"site", KIND_URL, kParentTopLevel, "http://example.org/"},
        {"group", KIND_GROUP, kParentTopLevel},
    });
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    ASSERT_EQ(List().Count(), 4);
    EXPECT_EQ(w.Icons().SourceOf(List().ItemImage(0)), ShellIcon(program, 0, 0));
    // A missing file shows the icon of a plain file of its type.
    std::string generic =
        ShellIcon(missing.c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    EXPECT_EQ(w.Icons().SourceOf(List().ItemImage(1)), generic);
    EXPECT_EQ(List().ItemImage(2), IconResolver::kUrlIcon);
    EXPECT_EQ(List().ItemImage(3), w.FolderIconIndex());
    EXPECT_EQ(List().ItemText(1, 1), missing);
    EXPECT_EQ(List().ItemText(3, 1), "Group");
}

// The list is filled before the shell has answered for a file: the row
// shows no image, then the file's own icon once the answer has come, in
// place, without the list being refilled.
TEST_F(GroupViewsTest, ARowsIconFillsInWhenTheShellAnswers) {
    TempFolder files;
    // A folder: its own icon is not the icon of its type.
    std::string path = files.Path();
    ShellGate gate(path);
    SettingsWindow& w = OpenShown({
        {"slow", KIND_FILE, kParentTopLevel, path.c_str()},
        {"site", KIND_URL, kParentTopLevel, "http://example.org/"},
    });
    ASSERT_EQ(List().Count(), 2);
    EXPECT_EQ(List().ItemImage(0), I_IMAGENONE);
    List().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    gate.Open();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_EQ(w.Icons().SourceOf(List().ItemImage(0)), ShellIcon(path.c_str(), 0, 0));
    EXPECT_EQ(List().ItemText(0, 0), "slow");
    // Filled in place: the selection the user made stays.
    EXPECT_EQ(List().NextItem(-1, LVNI_SELECTED), 1);
}

// What the list shows on screen: its client area, read back from its window
// once it has painted.
std::vector<DWORD> ListPixels(HWND list) {
    UpdateWindow(list);
    RECT client{};
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC screen = GetDC(list);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(list, screen);
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(first, first + client.right * client.bottom);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The list is filled with its drawing held back and drawn once it is full:
// choosing another group in the tree shows that group's rows on screen.
TEST_F(GroupViewsTest, ChoosingAGroupDrawsItsRowsOnScreen) {
    SettingsWindow& w = OpenShown({
        {"A", KIND_GROUP, kParentTopLevel},
        {"in A", KIND_URL, 0, "http://a.example.org/"},
        {"top", KIND_URL, kParentTopLevel, "http://top.example.org/"},
    });
    // The folder and URL icons come from a worker: the rows are compared
    // once they are there.
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    PumpMessages();
    std::vector<DWORD> root = ListPixels(List().Handle());
    SelectGroup("A");
    PumpMessages();
    ASSERT_EQ(Rows(), (RowList{"in A|http://a.example.org/"}));
    std::vector<DWORD> group = ListPixels(List().Handle());
    EXPECT_NE(root, group);
    // Back at the root, the root's rows are drawn as before.
    SelectGroup(kRoot);
    PumpMessages();
    EXPECT_EQ(root, ListPixels(List().Handle()));
}

// The icon index of the tray menu item at the position.
int MenuItemIcon(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoA(menu, position, TRUE, &info) || !info.dwItemData)
        return -100;
    return reinterpret_cast<const MenuItemData*>(info.dwItemData)->iconIndex;
}

// A file entry shows one icon wherever it appears: its row in the list and
// its item in the tray menu carry the same image, the file's own when the
// shell finds the file, the icon of its type when it does not.
TEST_F(GroupViewsTest, FileEntriesShowTheSameIconInTheListAndTheTrayMenu) {
    // An entry may name a folder. Wine gives every program and the URL type
    // one and the same icon, so a folder is the file whose own icon can be
    // told from the others here.
    const char* folderPath = "C:\\windows";
    TempFolder files;
    std::string goneText = files.File("gone.txt");
    std::string goneProgram = files.File("gone.exe");
    std::string ownIcon = ShellIcon(folderPath, 0, 0);
    // The file's own icon is one that the other rules would not give: not
    // the URL icon, not the icon of its type.
    ASSERT_NE(ShellIcon(".url", 0, SHGFI_USEFILEATTRIBUTES), ownIcon);
    ASSERT_NE(ShellIcon(folderPath, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES), ownIcon);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(goneText.c_str()));
    struct IconCase {
        const char* name;
        std::string path;
        std::string expected;
    } cases[] = {
        {"folder", folderPath, ownIcon},
        {"gone text", goneText,
         ShellIcon(goneText.c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES)},
        {"gone program", goneProgram,
         ShellIcon(goneProgram.c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES)},
    };
    std::vector<EntryRow> entries;
    for (const IconCase& test : cases)
        entries.push_back({test.name, KIND_FILE, kParentTopLevel, test.path.c_str()});
    SettingsWindow& w = OpenShown(entries);
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    ASSERT_EQ(List().Count(), 3);
    ASSERT_EQ(GetMenuItemCount(w.LauncherMenuHandle()), 3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(cases[row].name);
        EXPECT_EQ(w.Icons().SourceOf(List().ItemImage(row)), cases[row].expected);
        EXPECT_EQ(MenuItemIcon(w.LauncherMenuHandle(), row), List().ItemImage(row));
    }
}

struct ListCase {
    const char* label;
    int32_t opt4;
    RowList rows;
};

class GroupViewsOpt4Test : public GroupViewsTest, public testing::WithParamInterface<ListCase> {};

TEST_P(GroupViewsOpt4Test, ListShowsGroupsOnlyWhileOpt4IsClear) {
    OpenShown(
        {
            {"X", KIND_GROUP, kParentTopLevel}, // 0
            {"F1", KIND_FILE, 0, "C:\\f1.txt"},
            {"G1", KIND_GROUP, 0}, // 2
            {"F3", KIND_FILE, 2, "C:\\f3.txt"},
            {"U1", KIND_URL, 0, "http://u1/"},
            {"F2", KIND_FILE, 0, "C:\\f2.txt"},
        },
        GetParam().opt4);
    SelectGroup("X");
    EXPECT_EQ(Rows(), GetParam().rows);
    // The tree shows the group either way.
    EXPECT_EQ(Outline(), "ルート+(X-(G1))");
}

INSTANTIATE_TEST_SUITE_P(
    Options, GroupViewsOpt4Test,
    testing::Values(
        ListCase{"Clear", 0, {"F1|C:\\f1.txt", "G1|Group", "U1|http://u1/", "F2|C:\\f2.txt"}},
        ListCase{"Set", 1, {"F1|C:\\f1.txt", "F2|C:\\f2.txt", "U1|http://u1/"}}),
    [](const testing::TestParamInfo<ListCase>& info) { return info.param.label; });

TEST_F(GroupViewsTest, SelectionAndFirstVisibleGroupFollowAReorder) {
    OpenMany(40);
    SelectGroup("G20");
    Tree().Select(FindItem("G10"), TVGN_FIRSTVISIBLE);
    ASSERT_EQ(FirstVisibleGroup(), "G10");
    // Both groups move to other slots.
    Store().SwapData(IndexOf("G10"), IndexOf("G3"));
    Store().SwapData(IndexOf("G20"), IndexOf("G5"));
    window->RebuildTree();
    EXPECT_EQ(SelectedGroup(), "G20");
    EXPECT_EQ(FirstVisibleGroup(), "G10");
    EXPECT_EQ(Tree().ItemText(Tree().NextItem(FindItem("G10"), TVGN_PREVIOUS)), "G2");
    EXPECT_EQ(Rows(), RowList{});
}

TEST_F(GroupViewsTest, SelectionAndFirstVisibleGroupSurviveHidingAndShowing) {
    OpenMany(40);
    SelectGroup("G25");
    Tree().Select(FindItem("G12"), TVGN_FIRSTVISIBLE);
    Command(IDCANCEL);
    ASSERT_FALSE(window->IsVisible());
    // Showing again restores the working table from the committed one.
    window->Show(SW_SHOW);
    EXPECT_EQ(SelectedGroup(), "G25");
    EXPECT_EQ(FirstVisibleGroup(), "G12");
}

TEST_F(GroupViewsTest, GroupsKeepTheirExpandedStateAcrossRebuilds) {
    OpenNested();
    // The user opens A and A1 and leaves B closed.
    SelectGroup("A");
    PressKey(Tree().Handle(), VK_RIGHT);
    SelectGroup("A1");
    PressKey(Tree().Handle(), VK_RIGHT);
    EXPECT_EQ(Entry("A")->expanded, 1);
    EXPECT_EQ(Entry("A1")->expanded, 1);
    window->RebuildTree();
    EXPECT_EQ(Outline(), "ルート+(A+(A1+(A11) A2) B-(B1))");

    // Then closes A1 again.
    SelectGroup("A1");
    PressKey(Tree().Handle(), VK_LEFT);
    EXPECT_EQ(Entry("A1")->expanded, 0);
    window->RebuildTree();
    EXPECT_EQ(Outline(), "ルート+(A+(A1-(A11) A2) B-(B1))");
    EXPECT_EQ(SelectedGroup(), "A1");
}

// The list must always show the selected group's entries: Edit, Delete, Up
// and Down map its rows through the tree's selection.
TEST_F(GroupViewsTest, CollapsingAGroupAroundTheSelectionSelectsIt) {
    OpenShown({
        {"A", KIND_GROUP, kParentTopLevel},    // 0
        {"a-file", KIND_FILE, 0, "C:\\a.txt"}, // 1
        {"A1", KIND_GROUP, 0},                 // 2
        {"a1-file", KIND_FILE, 2, "C:\\a1.txt"},
        {"a1-url", KIND_URL, 2, "http://a1/"},
    });
    ClickExpandButton("A");
    SelectGroup("A1");
    SelectRow(0);
    ASSERT_TRUE(EditCommandsEnabled());

    ClickExpandButton("A");
    EXPECT_EQ(Outline(), "ルート+(A-(A1))");
    EXPECT_EQ(Entry("A")->expanded, 0);
    EXPECT_EQ(SelectedGroup(), "A");
    EXPECT_EQ(Rows(), (RowList{"a-file|C:\\a.txt", "A1|Group"}));
    EXPECT_FALSE(EditCommandsEnabled());

    // Delete takes the entry its row shows, and nothing else.
    SelectRow(0);
    std::string shown = List().ItemText(0, 0);
    Command(IDC_DELETE, BN_CLICKED, GetDlgItem(Handle(), IDC_DELETE));
    EXPECT_EQ(IndexOf(shown), -1) << shown;
    EXPECT_EQ(TableOrder().size(), 4u);
}

// Collapsing a group elsewhere leaves the selection and the list alone.
TEST_F(GroupViewsTest, CollapsingAnotherGroupKeepsTheSelection) {
    OpenNested();
    ClickExpandButton("A");
    SelectGroup("B");
    SelectRow(0);
    ClickExpandButton("A");
    EXPECT_EQ(SelectedGroup(), "B");
    EXPECT_EQ(Rows(), RowList{"B1|Group"});
    EXPECT_TRUE(EditCommandsEnabled());
}

TEST_F(GroupViewsTest, TheRootCannotBeCollapsed) {
    OpenNested();
    SelectGroup(kRoot);
    PressKey(Tree().Handle(), VK_LEFT);
    EXPECT_TRUE(Tree().ItemState(Tree().Root(), TVIS_EXPANDED) & TVIS_EXPANDED);
    // A click on its button sends the same notification.
    NMTREEVIEWA info{};
    info.hdr = {Tree().Handle(), IDC_GROUP_TREE, static_cast<UINT>(TVN_ITEMEXPANDEDA)};
    info.action = TVE_COLLAPSE;
    info.itemNew.hItem = Tree().Root();
    Tree().Expand(Tree().Root(), TVE_COLLAPSE);
    SendMessageA(Handle(), WM_NOTIFY, IDC_GROUP_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(Tree().ItemState(Tree().Root(), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(Outline(), "ルート+(A-(A1-(A11) A2) B-(B1))");
}

TEST_F(GroupViewsTest, MappingsFindEntriesByScanningTheTable) {
    SettingsWindow& w = OpenNested();
    SelectGroup("A");
    EXPECT_EQ(w.GetCurrentGroupId(), Entry("A")->id);
    EXPECT_EQ(w.EntryIndexOfRow(0), IndexOf("a-file"));
    EXPECT_EQ(w.EntryIndexOfRow(2), IndexOf("A2"));
    EXPECT_EQ(w.EntryIndexOfRow(3), -1);
    int index = 0;
    int row = 0;
    w.GetSelectedEntry(&index, &row);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(row, -1);
    SelectRow(1);
    w.GetSelectedEntry(&index, &row);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(index, IndexOf("A1"));

    SelectGroup(kRoot);
    EXPECT_EQ(w.GetCurrentGroupId(), kParentTopLevel);
    EXPECT_EQ(w.EntryIndexOfRow(1), IndexOf("top-url"));
    // No selection in the tree: no group, no entries.
    Tree().Select(nullptr, TVGN_CARET);
    EXPECT_EQ(w.GetCurrentGroupId(), kParentTopLevel);
    EXPECT_EQ(w.EntryIndexOfRow(0), -1);
}

TEST_F(GroupViewsTest, ARowGainingAStateEnablesTheCommandsUntilTheNextRebuild) {
    OpenNested();
    ASSERT_FALSE(EditCommandsEnabled());
    SelectRow(0);
    EXPECT_TRUE(EditCommandsEnabled());
    // Clicking empty space deselects the row; the commands stay.
    List().SetItemState(0, 0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(EditCommandsEnabled());
    window->RebuildTree();
    EXPECT_FALSE(EditCommandsEnabled());
    // Focus alone is a state too.
    List().SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_TRUE(EditCommandsEnabled());
    SelectGroup("A");
    EXPECT_FALSE(EditCommandsEnabled());
}

TEST_F(GroupViewsTest, CtrlEDoesNothingWhileEditIsGrayed) {
    OpenNested();
    ASSERT_FALSE(EditCommandsEnabled());
    SeenMessage seen;
    DialogScript script({[&seen](HWND box) { seen = AnswerMessageBox(box); }});
    CtrlKeyThroughAccelerators('E');
    PumpMessages();
    EXPECT_EQ(script.Seen(), 0);

    // Enabled by a focused row that is not selected: Edit runs and asks for
    // a selection.
    List().SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_TRUE(EditCommandsEnabled());
    EXPECT_TRUE(CtrlKeyThroughAccelerators('E'));
    EXPECT_EQ(script.Seen(), 1);
    EXPECT_EQ(seen.text, "リストから選択してください");
}

} // namespace
