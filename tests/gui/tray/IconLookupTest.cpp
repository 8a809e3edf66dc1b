// The launcher menu asks the shell for a file's icon once and reuses the
// answer in later builds while the file is unchanged: a changed path, a
// file written since and a file that cannot be found are asked again. The
// shell's answers are recorded on their way through the system-call table.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TraySupport.h"
#include "resource.h"
#include "support/GuiTest.h"
#include "support/IconFiles.h"
#include "support/IconWaiting.h"
#include "support/SettingsWindowFixture.h"
#include "tray/LauncherMenu.h"
#include "ui/SystemCalls.h"

namespace {

std::vector<std::string>* askedPaths = nullptr;

DWORD_PTR WINAPI RecordingGetFileInfo(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT size,
                                      UINT flags) {
    if (askedPaths)
        askedPaths->push_back((flags & SHGFI_PIDL) ? std::string("(item list)") : path);
    return SHGetFileInfoA(path, attributes, info, size, flags);
}

// The icon of each top-level item, in menu order.
std::vector<int> TopLevelIcons(HMENU menu) {
    std::vector<int> icons;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        const auto* data = reinterpret_cast<const MenuItemData*>(info.dwItemData);
        icons.push_back(data ? data->iconIndex : -100);
    }
    return icons;
}

class IconLookupTest : public testing::Test {
protected:
    void SetUp() override {
        saved = System().getFileInfo;
        System().getFileInfo = RecordingGetFileInfo;
        askedPaths = &asked;
        text = WriteTestFile("readme.txt", "text");
        document = WriteTestFile("table.csv", "a,b");
        program = WriteTestFile("tool.bat", "@echo off");
        subfolder = folder.File("sub");
        CreateDirectoryA(subfolder.c_str(), nullptr);
    }
    void TearDown() override {
        askedPaths = nullptr;
        System().getFileInfo = saved;
    }

    std::string WriteTestFile(const char* name, const std::string& content) {
        std::string path = folder.File(name);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
        return path;
    }

    std::vector<LaunchEntry> Table(const std::string& first) {
        return TreeOrderTable({{"first", KIND_FILE, kParentTopLevel, first.c_str()},
                               {"document", KIND_FILE, kParentTopLevel, document.c_str()},
                               {"program", KIND_FILE, kParentTopLevel, program.c_str()},
                               {"folder", KIND_FILE, kParentTopLevel, subfolder.c_str()},
                               {"site", KIND_URL, kParentTopLevel, "https://example.org/"},
                               {"other site", KIND_URL, kParentTopLevel, "ftp://example.org/"}});
    }

    int TimesAsked(const std::string& path) const {
        return static_cast<int>(std::count(asked.begin(), asked.end(), path));
    }

    // Builds the menu afresh, recording what the shell is asked meanwhile.
    void Build(const std::vector<LaunchEntry>& table) {
        asked.clear();
        menu.Rebuild(table, ShellFolderIcon());
        ASSERT_TRUE(WaitForIcons(menu.Icons()));
    }

    TempFolder folder;
    std::string text, document, program, subfolder;
    std::vector<std::string> asked;
    LauncherMenu menu;
    decltype(SystemCalls::getFileInfo) saved = nullptr;
};

TEST_F(IconLookupTest, ASecondBuildAsksNothingForUnchangedFilesAndShowsTheSameIcons) {
    std::vector<LaunchEntry> table = Table(text);
    Build(table);
    for (const std::string& path : {text, document, program, subfolder})
        EXPECT_EQ(1, TimesAsked(path)) << path;
    EXPECT_EQ(1, TimesAsked(".url")) << "both URLs show one icon, asked once";
    std::vector<int> first = TopLevelIcons(menu.Handle());
    EXPECT_EQ(ShellIconKey(text), menu.Icons().SourceOf(first[0]));
    EXPECT_EQ(ShellIconKey(subfolder), menu.Icons().SourceOf(first[3]));

    Build(table);
    for (const std::string& path : {text, document, program, subfolder})
        EXPECT_EQ(0, TimesAsked(path)) << path;
    EXPECT_EQ(0, TimesAsked(".url")) << "the URL icon is kept for every build";
    EXPECT_EQ(first, TopLevelIcons(menu.Handle()));
}

TEST_F(IconLookupTest, AChangedPathIsAskedAndTheOldOneForgotten) {
    Build(Table(text));
    std::string other = WriteTestFile("other.ini", "[a]");
    Build(Table(other));
    EXPECT_EQ(1, TimesAsked(other));
    EXPECT_EQ(0, TimesAsked(text));
    EXPECT_EQ(0, TimesAsked(document));
    EXPECT_EQ(ShellIconKey(other), menu.Icons().SourceOf(TopLevelIcons(menu.Handle())[0]));
    EXPECT_EQ(4u, menu.Icons().KeptIcons()) << "only the paths of the latest build are kept";
}

TEST_F(IconLookupTest, AFileWrittenSinceIsAskedAgain) {
    std::vector<LaunchEntry> table = Table(text);
    Build(table);
    WriteTestFile("readme.txt", "a longer text than before");
    Build(table);
    EXPECT_EQ(1, TimesAsked(text));
    EXPECT_EQ(0, TimesAsked(document));
}

// A file that cannot be found on a local disk shows the icon of its type,
// found by its name alone, and is asked again at every build: the file may
// have come since.
TEST_F(IconLookupTest, AMissingFileShowsItsTypeIconAndIsAskedAtEveryBuild) {
    std::string missing = folder.File("gone.exe");
    std::vector<LaunchEntry> table = Table(missing);
    Build(table);
    int asks = TimesAsked(missing);
    EXPECT_LT(0, asks);
    int typeIcon = TopLevelIcons(menu.Handle())[0];
    ASSERT_NE(-1, typeIcon);
    EXPECT_EQ(ShellIconKey(missing, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES),
              menu.Icons().SourceOf(typeIcon));
    Build(table);
    EXPECT_LT(0, TimesAsked(missing)) << "asked again";

    // Once the file is there, the shell answers for the file itself.
    WriteTestFile("gone.exe", "MZ");
    Build(table);
    EXPECT_EQ(1, TimesAsked(missing));
    EXPECT_NE(-1, TopLevelIcons(menu.Handle())[0]);
}

// The shell's image list and icons cost time and some megabytes at start;
// a start that shows none of them asks the shell nothing. The first view
// that shows them (here the window, shown from the tray) loads them.
class ShellIconsAtStartTest : public SettingsWindowTest {
protected:
    void SetUp() override {
        saved = System().getFileInfo;
        System().getFileInfo = RecordingGetFileInfo;
        askedPaths = &asked;
    }
    void TearDown() override {
        askedPaths = nullptr;
        System().getFileInfo = saved;
        SettingsWindowTest::TearDown();
    }
    std::vector<std::string> asked;
    decltype(SystemCalls::getFileInfo) saved = nullptr;
};

TEST_F(ShellIconsAtStartTest, AStartWithNothingToShowAsksTheShellNothing) {
    WriteOptions();
    SettingsWindow& w = Open();
    EXPECT_TRUE(asked.empty());
    // Nor does its launcher menu, which shows the grayed "(なし)" alone.
    {
        MenuRecorder recorder(w.Handle());
        SendMessageA(w.Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        ASSERT_TRUE(recorder.shown);
    }
    EXPECT_TRUE(asked.empty());

    Command(ID_TRAY_SETTINGS);
    ASSERT_TRUE(w.IsVisible());
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_FALSE(asked.empty());
    TreeView tree = w.GroupTree();
    TVITEMA root{};
    root.mask = TVIF_IMAGE | TVIF_HANDLE;
    root.hItem = tree.Root();
    tree.Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&root));
    EXPECT_NE(-1, w.ProgramIconIndex());
    EXPECT_EQ(w.ProgramIconIndex(), root.iImage);
    EXPECT_EQ(w.SystemImageList().Handle(),
              reinterpret_cast<HIMAGELIST>(tree.Send(TVM_GETIMAGELIST, TVSIL_NORMAL)));
}

// Entries, or shell folders in the system menu, are shown from the start:
// their icons are there at once.
TEST_F(ShellIconsAtStartTest, AStartWithSomethingToShowLoadsTheIcons) {
    Options withFolders{};
    withFolders.opt7 = 1;
    WriteOptions(withFolders);
    ASSERT_TRUE(WaitForIcons(Open().Icons()));
    // The three shell folders come together.
    EXPECT_EQ(3, std::count(asked.begin(), asked.end(), "(item list)"));
    window.reset();

    asked.clear();
    WriteDataFile(folder.Path(), {{"group", KIND_GROUP, kParentTopLevel}});
    WriteOptions();
    SettingsWindow& w = Open();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_FALSE(asked.empty());
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(w.LauncherMenuHandle(), 0, TRUE, &info));
    int folderIcon = reinterpret_cast<const MenuItemData*>(info.dwItemData)->iconIndex;
    EXPECT_NE(-1, folderIcon);
    EXPECT_EQ(ShellFolderIcon(), folderIcon);
}

// A file type's icon changes (another program took the type over, or its
// icon file was replaced): the file itself is unchanged, so only the
// shell's notification can tell. The program then asks for every icon
// again, and the launcher menu shows the new one.
TEST_F(ShellIconsAtStartTest, ANewIconForAFileTypeIsShownWhenTheShellTellsOfIt) {
    TempFolder files;
    std::string before = files.File("before.ico");
    std::string after = files.File("after.ico");
    ASSERT_TRUE(WriteIconFile(before, RGB(200, 0, 0)));
    ASSERT_TRUE(WriteIconFile(after, RGB(0, 0, 200)));
    RegisteredIconType type(".bwtype", before + ",0");
    std::string document = files.File("notes.bwtype");
    HANDLE file = CreateFileA(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
    WriteDataFile(folder.Path(), {{"notes", KIND_FILE, kParentTopLevel, document.c_str()}});
    WriteOptions();
    SettingsWindow& w = Open();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    auto shownSource = [&] { return w.Icons().SourceOf(TopLevelIcons(w.LauncherMenuHandle())[0]); };
    ASSERT_EQ(ShellIconKey(document), shownSource());
    ASSERT_NE(std::string::npos, shownSource().find("before.ico"));

    type.SetDefaultIcon(after + ",0");
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    PumpMessages();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_NE(std::string::npos, shownSource().find("after.ico")) << shownSource();
}

std::vector<std::string>* looked = nullptr;

BOOL WINAPI RecordingAttributes(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
    if (looked)
        looked->push_back(path);
    return GetFileAttributesExA(path, level, data);
}

// The icons the user sees first are asked first: the launcher menu's top
// level, which shows at a click, before the submenus' items, and a submenu
// about to open before the others. (Here the worker is held at its first
// question, the folder icon's, while the rest are queued.)
TEST_F(ShellIconsAtStartTest, TheIconsOnShowAreAskedFirst) {
    TempFolder files;
    std::vector<std::string> paths;
    for (const char* name : {"g1.txt", "g2.txt", "h1.txt", "h2.txt", "t1.txt", "t2.txt"}) {
        paths.push_back(files.File(name));
        HANDLE file = CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(file);
    }
    WriteDataFile(folder.Path(), {{"G", KIND_GROUP, kParentTopLevel},
                                  {"H", KIND_GROUP, kParentTopLevel},
                                  {"g1", KIND_FILE, 0, paths[0].c_str()},
                                  {"g2", KIND_FILE, 0, paths[1].c_str()},
                                  {"h1", KIND_FILE, 1, paths[2].c_str()},
                                  {"h2", KIND_FILE, 1, paths[3].c_str()},
                                  {"t1", KIND_FILE, kParentTopLevel, paths[4].c_str()},
                                  {"t2", KIND_FILE, kParentTopLevel, paths[5].c_str()}});
    WriteOptions();
    std::vector<std::string> order;
    auto saved = System().getFileAttributesEx;
    System().getFileAttributesEx = RecordingAttributes;
    looked = &order;
    bool answered = false;
    {
        ShellGate gate("");
        SettingsWindow& w = Open();
        EXPECT_TRUE(gate.WaitUntilHeld());
        HMENU groupH = GetSubMenu(w.LauncherMenuHandle(), 1);
        SendMessageA(Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(groupH),
                     MAKELPARAM(1, 0));
        gate.Open();
        answered = WaitForIcons(w.Icons());
    }
    looked = nullptr;
    System().getFileAttributesEx = saved;
    ASSERT_TRUE(answered);
    EXPECT_EQ(
        (std::vector<std::string>{paths[4], paths[5], paths[2], paths[3], paths[0], paths[1]}),
        order);
}

} // namespace
