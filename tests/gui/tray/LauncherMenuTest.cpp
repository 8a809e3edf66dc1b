// The launcher menu built from a table in tree order, and the system menu
// built from the options; then the settings window's wiring: which table and
// which options it builds them from, and when.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "TraySupport.h"
#include "resource.h"
#include "support/IconWaiting.h"
#include "support/SettingsWindowFixture.h"
#include "tray/LauncherMenu.h"
#include "tray/SystemMenu.h"

namespace {

const MenuItemData* DataOf(const MENUITEMINFOA& info) {
    return reinterpret_cast<const MenuItemData*>(info.dwItemData);
}

MENUITEMINFOA ItemInfo(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STATE;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info;
}

// "name#id" per entry item, "name{...}" per group, "(null)#id" for an item
// without a record ("(null)" when it has no command); "!" marks a grayed
// item, "?" one that is not owner-drawn.
std::string Describe(HMENU menu) {
    std::string out;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = ItemInfo(menu, i);
        if (i > 0)
            out += ",";
        const MenuItemData* data = DataOf(info);
        out += data ? data->text : "(null)";
        if (!info.hSubMenu && info.wID != 0)
            out += "#" + std::to_string(static_cast<int>(info.wID) - LaunchCommandBase);
        if (info.fState & MFS_GRAYED)
            out += "!";
        if (!(info.fType & MFT_OWNERDRAW))
            out += "?";
        if (info.hSubMenu)
            out += "{" + Describe(info.hSubMenu) + "}";
    }
    return out;
}

void CollectSubmenus(HMENU menu, std::vector<HMENU>* found) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        HMENU submenu = GetSubMenu(menu, i);
        if (submenu) {
            found->push_back(submenu);
            CollectSubmenus(submenu, found);
        }
    }
}

// Where the shell says the icon of a file of this name's type comes from,
// without looking for the file.
std::string TypeIcon(const char* path) {
    return ShellIconKey(path, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
}

struct MenuCase {
    const char* title;
    std::vector<EntryRow> entries;
    int32_t opt4;
    const char* expected;
};

const MenuCase kMenuCases[] = {
    {"an empty table holds the grayed placeholder, with no command", {}, 0, "(null)!"},
    {"files and urls at the top",
     {{"F0", KIND_FILE, -1, "C:\\none\\f0.exe"}, {"U1", KIND_URL, -1, "https://example.org/"}},
     0,
     "F0#0,U1#1"},
    {"groups nested to depth",
     {{"G0", KIND_GROUP, -1},
      {"G1", KIND_GROUP, 0},
      {"G2", KIND_GROUP, 1},
      {"G3", KIND_GROUP, 2},
      {"F4", KIND_FILE, 3, "C:\\none\\f4.exe"}},
     0,
     "G0{G1{G2{G3{F4#4}}}}"},
    {"an empty group holds a grayed placeholder", {{"G0", KIND_GROUP, -1}}, 0, "G0{(null)#0!}"},
    {"a group of empty groups has no placeholder of its own",
     {{"G0", KIND_GROUP, -1}, {"G1", KIND_GROUP, 0}, {"G2", KIND_GROUP, 0}},
     0,
     "G0{G1{(null)#1!},G2{(null)#2!}}"},
    {"entries after a group stay at their level",
     {{"F0", KIND_FILE, -1, "C:\\none\\f0.exe"},
      {"G1", KIND_GROUP, -1},
      {"F2", KIND_FILE, 1, "C:\\none\\f2.exe"},
      {"F3", KIND_FILE, -1, "C:\\none\\f3.exe"}},
     0,
     "F0#0,G1{F2#2},F3#3"},
    {"stored order without opt4",
     {{"G0", KIND_GROUP, -1},
      {"F1", KIND_FILE, 0, "C:\\none\\f1.exe"},
      {"G2", KIND_GROUP, 0},
      {"F3", KIND_FILE, 2, "C:\\none\\f3.exe"},
      {"U4", KIND_URL, 0, "https://example.org/"},
      {"F5", KIND_FILE, 0, "C:\\none\\f5.exe"}},
     0,
     "G0{F1#1,G2{F3#3},U4#4,F5#5}"},
    {"opt4 puts the files of each group first",
     {{"G0", KIND_GROUP, -1},
      {"F1", KIND_FILE, 0, "C:\\none\\f1.exe"},
      {"G2", KIND_GROUP, 0},
      {"F3", KIND_FILE, 2, "C:\\none\\f3.exe"},
      {"U4", KIND_URL, 0, "https://example.org/"},
      {"F5", KIND_FILE, 0, "C:\\none\\f5.exe"}},
     1,
     "G0{F1#1,F5#5,G2{F3#3},U4#4}"},
};

TEST(LauncherMenuComponentTest, MenuShowsTheTableWithLaunchCommands) {
    for (const MenuCase& test : kMenuCases) {
        SCOPED_TRACE(test.title);
        std::vector<LaunchEntry> table = TreeOrderTable(test.entries, test.opt4);
        LauncherMenu menu;
        menu.Rebuild(table, ShellFolderIcon());
        EXPECT_EQ(test.expected, Describe(menu.Handle()));
    }
}

// Entries of kinds the menu does not know are left out, and so are their
// records: nothing is made for them.
TEST(LauncherMenuComponentTest, UnknownKindsAreLeftOut) {
    std::vector<LaunchEntry> table =
        TreeOrderTable({{"F0", KIND_FILE, -1, "C:\\none\\f0.exe"}, {"X1", 7, -1, "C:\\x"}});
    LauncherMenu menu;
    menu.Rebuild(table, -1);
    EXPECT_EQ("F0#0", Describe(menu.Handle()));
    EXPECT_EQ(1, menu.Pool().ItemDataCount());
}

TEST(LauncherMenuComponentTest, ItemsCarryTheirIcons) {
    std::vector<LaunchEntry> table =
        TreeOrderTable({{"G0", KIND_GROUP, -1},
                        {"missing", KIND_FILE, -1, "C:\\no\\such\\file.exe"},
                        {"U2", KIND_URL, -1, "https://example.org/"}});
    // Whatever folder icon it is given is the one groups show.
    const int folderIcon = 7;
    LauncherMenu menu;
    menu.Rebuild(table, folderIcon);
    ASSERT_TRUE(WaitForIcons(menu.Icons()));
    HMENU handle = menu.Handle();
    ASSERT_EQ(3, GetMenuItemCount(handle));
    EXPECT_EQ(folderIcon, DataOf(ItemInfo(handle, 0))->iconIndex);
    // The shell cannot resolve a missing file: it shows the icon of its type.
    EXPECT_EQ(TypeIcon("C:\\no\\such\\file.exe"),
              menu.Icons().SourceOf(DataOf(ItemInfo(handle, 1))->iconIndex));
    // Every URL shows the internet-shortcut icon, which has come (Wine's
    // url.dll, which the shell names for it, holds no icon: the shell's
    // document icon stands in, as the shell itself shows).
    EXPECT_EQ(IconResolver::kUrlIcon, DataOf(ItemInfo(handle, 2))->iconIndex);
    EXPECT_NE("", menu.Icons().SourceOf(IconResolver::kUrlIcon));
}

TEST(LauncherMenuComponentTest, RebuildingFreesEverySubmenuOnce) {
    std::vector<LaunchEntry> table =
        TreeOrderTable({{"G0", KIND_GROUP, -1}, {"G1", KIND_GROUP, 0}, {"G2", KIND_GROUP, -1}});
    LauncherMenu menu;
    menu.Rebuild(table, -1);
    HMENU first = menu.Handle();
    std::vector<HMENU> submenus;
    CollectSubmenus(first, &submenus);
    ASSERT_EQ(3u, submenus.size());

    menu.Rebuild(table, -1);
    EXPECT_FALSE(IsMenu(first));
    for (HMENU submenu : submenus)
        EXPECT_FALSE(IsMenu(submenu));
    EXPECT_EQ("G0{G1{(null)#1!}},G2{(null)#2!}", Describe(menu.Handle()));
    EXPECT_EQ(3, menu.Pool().ItemDataCount());

    // A menu made after the free is not touched by the next one.
    PopupMenu bystander;
    ASSERT_TRUE(bystander.Create());
    menu.Free();
    EXPECT_EQ(nullptr, menu.Handle());
    EXPECT_EQ(0, menu.Pool().ItemDataCount());
    EXPECT_TRUE(IsMenu(bystander.Handle()));
    menu.Free(); // nothing left to free
    EXPECT_TRUE(IsMenu(bystander.Handle()));
}

HMENU WINAPI NoPopupMenu() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// A build whose menu could not be made still fills the pool; the next build
// must find the pool empty and show every entry.
TEST(LauncherMenuComponentTest, AMenuThatCouldNotBeMadeLeavesNothingInThePool) {
    std::vector<std::string> names;
    std::vector<EntryRow> rows;
    for (int i = 0; i < 200; ++i)
        names.push_back("E" + std::to_string(i));
    for (const std::string& name : names)
        rows.push_back({name.c_str(), KIND_URL, -1, "https://example.org/"});
    std::vector<LaunchEntry> table = TreeOrderTable(rows);
    LauncherMenu menu;
    System().createPopupMenu = NoPopupMenu;
    menu.Rebuild(table, -1);
    System().createPopupMenu = CreatePopupMenu;
    ASSERT_EQ(nullptr, menu.Handle());

    menu.Rebuild(table, -1);
    ASSERT_EQ(200, GetMenuItemCount(menu.Handle()));
    EXPECT_EQ("E199", DataOf(ItemInfo(menu.Handle(), 199))->text);
    EXPECT_EQ(200, menu.Pool().ItemDataCount());
}

// A group's entries can be appended to any menu, searching from the index
// given: entries before it are not looked at.
TEST(LauncherMenuComponentTest, AppendGroupEntriesSearchesFromTheStartIndex) {
    std::vector<LaunchEntry> table = TreeOrderTable({{"F0", KIND_FILE, -1, "C:\\none\\f0.exe"},
                                                     {"G1", KIND_GROUP, -1},
                                                     {"F2", KIND_FILE, 1, "C:\\none\\f2.exe"},
                                                     {"F3", KIND_FILE, -1, "C:\\none\\f3.exe"}});
    LauncherMenu menu;
    PopupMenu target;
    ASSERT_TRUE(target.Create());
    menu.AppendGroupEntries(target.Handle(), table, 2, kParentTopLevel, -1);
    EXPECT_EQ("F3#3", Describe(target.Handle()));
    menu.AppendGroupEntries(target.Handle(), table, 0, 1, -1);
    EXPECT_EQ("F3#3,F2#2", Describe(target.Handle()));
}

using LauncherMenuTest = SettingsWindowTest;

// The window builds its menu from the committed table as it loaded it, in
// the order the options give.
TEST_F(LauncherMenuTest, WindowMenuShowsTheCommittedTable) {
    const MenuCase& test = kMenuCases[7];
    ASSERT_EQ(1, test.opt4);
    WriteDataFile(folder.Path(), test.entries, test.opt4);
    Options options{};
    options.opt4 = test.opt4;
    WriteOptions(options);
    SettingsWindow& w = Open();
    EXPECT_EQ(test.expected, Describe(w.LauncherMenuHandle()));
}

TEST_F(LauncherMenuTest, ItemsCarryTheirIcons) {
    WriteDataFile(folder.Path(), {{"G0", KIND_GROUP, -1},
                                  {"missing", KIND_FILE, -1, "C:\\no\\such\\file.exe"},
                                  {"U2", KIND_URL, -1, "https://example.org/"}});
    WriteOptions();
    SettingsWindow& w = Open();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    HMENU menu = w.LauncherMenuHandle();
    ASSERT_EQ(3, GetMenuItemCount(menu));
    EXPECT_EQ(w.FolderIconIndex(), DataOf(ItemInfo(menu, 0))->iconIndex);
    EXPECT_NE(-1, DataOf(ItemInfo(menu, 1))->iconIndex);
    EXPECT_EQ(TypeIcon("C:\\no\\such\\file.exe"),
              w.Icons().SourceOf(DataOf(ItemInfo(menu, 1))->iconIndex));
    EXPECT_EQ(IconResolver::kUrlIcon, DataOf(ItemInfo(menu, 2))->iconIndex);
}

// The window's own operations free and rebuild the menu it owns.
TEST_F(LauncherMenuTest, WindowFreesAndRebuildsItsMenu) {
    WriteDataFile(folder.Path(), {{"G0", KIND_GROUP, -1}, {"G1", KIND_GROUP, 0}});
    WriteOptions();
    SettingsWindow& w = Open();
    HMENU first = w.LauncherMenuHandle();
    w.RebuildLauncherMenu();
    EXPECT_FALSE(IsMenu(first));
    EXPECT_EQ("G0{G1{(null)#1!}}", Describe(w.LauncherMenuHandle()));
    w.FreeLauncherMenu();
    EXPECT_EQ(nullptr, w.LauncherMenuHandle());
}

TEST_F(LauncherMenuTest, ApplyRebuildsTheMenuFromTheNewCommittedTable) {
    WriteOptions();
    SettingsWindow& w = Open();
    ASSERT_EQ("(null)!", Describe(w.LauncherMenuHandle()));
    w.Store().InsertData(MakeEntry({"new", KIND_URL, -1, "https://example.org/"}), -1);
    // The menu shows the committed table only.
    EXPECT_EQ("(null)!", Describe(w.LauncherMenuHandle()));
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    EXPECT_EQ("new#0", Describe(w.LauncherMenuHandle()));
}

HMENU WINAPI NoMenu() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST_F(LauncherMenuTest, AMenuThatCouldNotBeMadeLosesNoEntriesAtTheNextBuild) {
    // Enough entries that what one build leaves in the pool would crowd out
    // most of the next build's.
    std::vector<std::string> names;
    std::vector<EntryRow> entries;
    for (int i = 0; i < 200; ++i)
        names.push_back("E" + std::to_string(i));
    for (const std::string& name : names)
        entries.push_back({name.c_str(), KIND_URL, -1, "https://example.org/"});
    WriteDataFile(folder.Path(), entries);
    Options shown{};
    shown.opt1 = 1;
    WriteOptions(shown);
    SettingsWindow& w = Open();
    ASSERT_EQ(200, GetMenuItemCount(w.LauncherMenuHandle()));

    System().createPopupMenu = NoMenu;
    w.RebuildLauncherMenu();
    System().createPopupMenu = CreatePopupMenu;
    EXPECT_EQ(nullptr, w.LauncherMenuHandle());

    // The next Apply builds the whole menu again.
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    HMENU menu = w.LauncherMenuHandle();
    ASSERT_EQ(200, GetMenuItemCount(menu));
    EXPECT_EQ("E199", DataOf(ItemInfo(menu, 199))->text);
}

// "text" per item, "-" per separator; "*" marks the default item, "!" a
// grayed one, "@id" follows every command.
std::string DescribeSystemMenu(HMENU menu) {
    std::string out;
    UINT defaultId = GetMenuDefaultItem(menu, FALSE, 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = ItemInfo(menu, i);
        if (i > 0)
            out += ",";
        if (info.fType & MFT_SEPARATOR) {
            out += "-";
            continue;
        }
        if (info.fType & MFT_OWNERDRAW) {
            out += DataOf(info)->text;
        } else {
            char text[128] = {};
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            out += text;
        }
        out += "@" + std::to_string(info.wID);
        if (info.wID == defaultId)
            out += "*";
        if (info.fState & MFS_GRAYED)
            out += "!";
    }
    return out;
}

TEST(SystemMenuComponentTest, SystemMenuForEveryShortcutCombination) {
    SystemMenu menu;
    const ShortcutIconIndexes icons{11, 12, 13};
    const std::string fixed =
        "設定(&S)...@33025*,バーション情報(&A)...@33026,ヘルプ(&H)...@33027!,-,"
        "終了(&X)@33024";
    for (int bits = 0; bits < 8; ++bits) {
        Options options{};
        options.opt6 = bits & 1;
        options.opt7 = (bits >> 1) & 1;
        options.opt8 = (bits >> 2) & 1;
        std::string expected;
        if (options.opt6)
            expected += "マイ コンピュータ@33028,";
        if (options.opt7)
            expected += "マイ ドキュメント@33029,";
        if (options.opt8)
            expected += "マイ ネットワーク@33030,";
        if (bits)
            expected += "-,";
        expected += fixed;
        HMENU before = menu.Handle();
        menu.Rebuild(options, icons);
        SCOPED_TRACE(bits);
        EXPECT_EQ(expected, DescribeSystemMenu(menu.Handle()));
        EXPECT_FALSE(IsMenu(before));
    }
}

// Each shortcut shows its own folder's icon.
TEST(SystemMenuComponentTest, ShortcutsCarryTheirFoldersIcons) {
    SystemMenu menu;
    Options options{};
    options.opt6 = options.opt7 = options.opt8 = 1;
    menu.Rebuild(options, {11, 12, 13});
    for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        const MenuItemData* data = DataOf(ItemInfo(menu.Handle(), position));
        ASSERT_NE(nullptr, data);
        EXPECT_EQ(11 + position, data->iconIndex);
    }
}

// Options OK rebuilds the window's system menu from the options it holds.
TEST_F(LauncherMenuTest, WindowRebuildsItsSystemMenuFromItsOptions) {
    WriteOptions();
    SettingsWindow& w = Open();
    HMENU before = w.SystemMenuHandle();
    w.Store().GetOptions()->opt8 = 1;
    w.RebuildSystemMenu();
    EXPECT_FALSE(IsMenu(before));
    EXPECT_EQ("マイ ネットワーク@33030,-,設定(&S)...@33025*,バーション情報(&A)...@33026,"
              "ヘルプ(&H)...@33027!,-,終了(&X)@33024",
              DescribeSystemMenu(w.SystemMenuHandle()));
}

TEST_F(LauncherMenuTest, SystemMenuAtStartFollowsTheSettingsFile) {
    Options options{};
    options.opt7 = 1;
    WriteOptions(options);
    SettingsWindow& w = Open();
    EXPECT_EQ("マイ ドキュメント@33029,-,設定(&S)...@33025*,バーション情報(&A)...@33026,"
              "ヘルプ(&H)...@33027!,-,終了(&X)@33024",
              DescribeSystemMenu(w.SystemMenuHandle()));
}

TEST(MenuItemPoolTest, HoldsAtMostCapacityOfEach) {
    MenuItemPool pool;
    for (int i = 0; i < MenuItemPool::kCapacity; ++i) {
        MenuItemData* data = pool.NewItemData();
        ASSERT_NE(nullptr, data);
        EXPECT_EQ("", data->text);
        EXPECT_EQ(-1, data->iconIndex);
        ASSERT_NE(nullptr, pool.NewSubmenu());
    }
    EXPECT_EQ(nullptr, pool.NewItemData());
    EXPECT_EQ(nullptr, pool.NewSubmenu());
    pool.Clear();
    EXPECT_EQ(0, pool.ItemDataCount());
    EXPECT_EQ(0, pool.SubmenuCount());
    EXPECT_NE(nullptr, pool.NewItemData());
}

TEST(MenuItemPoolTest, ClearDestroysOnlyTheSubmenusItStillOwns) {
    MenuItemPool pool;
    PopupMenu* loose = pool.NewSubmenu();
    PopupMenu* attached = pool.NewSubmenu();
    HMENU looseHandle = loose->Handle();
    HMENU attachedHandle = attached->Handle();
    ASSERT_TRUE(IsMenu(looseHandle));
    PopupMenu parent;
    parent.Create();
    ASSERT_TRUE(
        AppendMenuA(parent.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(attachedHandle), "sub"));
    attached->Release();

    pool.Clear();
    EXPECT_FALSE(IsMenu(looseHandle));
    EXPECT_TRUE(IsMenu(attachedHandle));
    parent.Destroy();
    EXPECT_FALSE(IsMenu(attachedHandle));
}

} // namespace
