// Paths of file entries where they are used: environment variables and
// paths relative to the program's folder, expanded for launching and for
// the icons while the stored path keeps what the user wrote.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "support/FileSystemCalls.h"
#include "support/IconWaiting.h"
#include "support/SettingsWindowFixture.h"
#include "tray/LauncherMenu.h"
#include "ui/EntryPath.h"
#include "ui/ShellIcons.h"

namespace {

// An environment variable set for one test and removed after it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, nullptr); }

private:
    const char* name_;
};

void CreateFileAt(const std::string& path) {
    std::ofstream(path) << "MZ";
}

// The icon's path, from the text alone: the file system is not asked, so a
// bare name is taken beside the program whether it is there or not (the
// launch still searches for it), and the program's drive is the one a path
// from the drive's root goes to.
TEST(ExpandEntryPath, VariablesAndPathsRelativeToTheProgramsFolder) {
    TempFolder folder;
    const std::string program = folder.Path();
    const std::string drive = program.substr(0, 2);
    CreateFileAt(folder.File("beside.exe"));
    ScopedVariable tools("BW_TEST_TOOLS", "D:\\Portable Tools");
    ScopedVariable site("BW_TEST_SITE", "https://example.org/v");
    // 表 ends in the byte 0x5C: the join must not take it for a separator.
    const std::string japanese = program + "\\表";

    struct Case {
        const char* path;
        std::string folder;
        std::string expected;
    } cases[] = {
        {"%BW_TEST_TOOLS%\\tool.exe", program, "D:\\Portable Tools\\tool.exe"},
        // An unknown variable stays as written, and the path is then as
        // relative as it looks.
        {"%BW_TEST_NO_SUCH_VARIABLE%\\x.exe", program,
         program + "\\%BW_TEST_NO_SUCH_VARIABLE%\\x.exe"},
        {"tools\\x.exe", program, program + "\\tools\\x.exe"},
        {".\\x.exe", program, program + "\\x.exe"},
        {"tools\\..\\x.exe", program, program + "\\x.exe"},
        {"beside.exe", program, program + "\\beside.exe"},
        {"notepad.exe", program, program + "\\notepad.exe"},
        {"C:\\Tools\\tool.exe", program, "C:\\Tools\\tool.exe"},
        {"\\\\server\\share\\x.exe", program, "\\\\server\\share\\x.exe"},
        {"", program, ""},
        {"tools\\x.exe", japanese, japanese + "\\tools\\x.exe"},
        {"ソフト\\x.exe", program, program + "\\ソフト\\x.exe"},
        // From the root of the program's drive, whatever letter it has now.
        {"\\Tools\\x.exe", program, drive + "\\Tools\\x.exe"},
        {"\\Tools\\x.exe", "R:\\Brindleway", "R:\\Tools\\x.exe"},
        {"\\Tools\\x.exe", japanese, drive + "\\Tools\\x.exe"},
        {"\\Tools\\x.exe", "\\\\server\\share\\Brindleway", "\\\\server\\share\\Tools\\x.exe"},
        // Addresses and shell paths go to the shell as written, not
        // joined to the program's folder, their % signs left alone.
        {"https://example.org/x", program, "https://example.org/x"},
        {"https://example.org/%BW_TEST_TOOLS%", program, "https://example.org/%BW_TEST_TOOLS%"},
        {"%BW_TEST_SITE%", program, "https://example.org/v"},
        {"file:///C:/notes.txt", program, "file:///C:/notes.txt"},
        {"shell:Downloads", program, "shell:Downloads"},
        {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", program,
         "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
        {"mailto:someone@example.org", program, "mailto:someone@example.org"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.expected, ExpandEntryPath(c.path, c.folder));
    }
}

TEST(EntryCommandOf, AQuotedProgramTakesTheArgumentsAfterIt) {
    TempFolder folder;
    const std::string program = folder.Path();
    const std::string drive = program.substr(0, 2);
    CreateDirectoryA(folder.File("tools").c_str(), nullptr);
    CreateFileAt(folder.File("beside.exe"));
    ScopedVariable tools("BW_TEST_TOOLS", "D:\\Portable Tools");
    struct Case {
        const char* path;
        std::string file;
        std::string arguments;
        std::string workingFolder;
    } cases[] = {
        {"\"C:\\Program Files\\Tool\\tool.exe\" --flag x", "C:\\Program Files\\Tool\\tool.exe",
         "--flag x", "C:\\Program Files\\Tool"},
        {"\"C:\\Program Files\\Tool\\tool.exe\"", "C:\\Program Files\\Tool\\tool.exe", "",
         "C:\\Program Files\\Tool"},
        {"\"%BW_TEST_TOOLS%\\tool.exe\"   \"%BW_TEST_TOOLS%\\a b.txt\"",
         "D:\\Portable Tools\\tool.exe", "\"D:\\Portable Tools\\a b.txt\"", "D:\\Portable Tools"},
        {"\"tools\\tool.exe\" /s", program + "\\tools\\tool.exe", "/s", program + "\\tools"},
        // Without a leading quote the whole path is the file, blanks and all.
        {"C:\\Program Files\\Tool\\tool.exe --flag", "C:\\Program Files\\Tool\\tool.exe --flag", "",
         "C:\\Program Files\\Tool"},
        // A quote left open: what follows it is the file.
        {"\"C:\\Tool\\tool.exe", "C:\\Tool\\tool.exe", "", "C:\\Tool"},
        {"C:\\tool.exe", "C:\\tool.exe", "", "C:\\"},
        {"beside.exe", program + "\\beside.exe", "", program},
        // A folder opens in its own window; a name the shell looks for
        // itself has no folder of its own.
        {".\\tools", program + "\\tools", "", ""},
        {"notepad.exe", "notepad.exe", "", ""},
        {"", "", "", ""},
        // An address or a shell path is the shell's to open, as written.
        {"https://example.org/x?a=1", "https://example.org/x?a=1", "", ""},
        {"shell:Downloads", "shell:Downloads", "", ""},
        {"\\tools\\tool.exe", drive + "\\tools\\tool.exe", "", drive + "\\tools"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EntryCommand command = EntryCommandOf(c.path, program);
        EXPECT_EQ(c.file, command.file);
        EXPECT_EQ(c.arguments, command.arguments);
        EXPECT_EQ(c.workingFolder, command.workingFolder);
        if (!command.searched) {
            EXPECT_EQ(c.file, ExpandEntryPath(c.path, program));
        }
    }
}

// Browse and drops store a path on the removable drive the program runs
// from without its drive letter, so that it still leads there when the
// drive comes back under another letter; any other path stays as picked.
TEST(PortablePathOf, APathOnTheProgramsRemovableDriveLosesItsDriveLetter) {
    struct Case {
        std::string picked;
        std::string programFolder;
        bool removable;
        std::string stored;
    } cases[] = {
        {"R:\\Brindleway\\tools\\x.exe", "R:\\Brindleway", true, "tools\\x.exe"},
        {"r:\\BRINDLEWAY\\tools\\x.exe", "R:\\Brindleway", true, "tools\\x.exe"},
        {"R:\\Tools\\x.exe", "R:\\Brindleway", true, "\\Tools\\x.exe"},
        {"R:\\Brindleway2\\x.exe", "R:\\Brindleway", true, "\\Brindleway2\\x.exe"},
        {"R:\\x.exe", "R:\\", true, "x.exe"},
        {"R:\\表\\ソフト.exe", "R:\\表", true, "ソフト.exe"},
        {"R:\\表x\\y.exe", "R:\\表", true, "\\表x\\y.exe"},
        {"C:\\Tools\\x.exe", "R:\\Brindleway", true, "C:\\Tools\\x.exe"},
        {"\\\\server\\share\\x.exe", "R:\\Brindleway", true, "\\\\server\\share\\x.exe"},
        {"R:\\Tools\\x.exe", "R:\\Brindleway", false, "R:\\Tools\\x.exe"},
        {"R:\\Brindleway\\x.exe", "C:\\Brindleway", true, "R:\\Brindleway\\x.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked + " from " + c.programFolder);
        std::string stored = PortablePathOf(c.picked, c.programFolder, c.removable);
        EXPECT_EQ(c.stored, stored);
        // Where the stored path leads: the picked file, and under another
        // letter the same file there.
        EXPECT_EQ(0, lstrcmpiA(c.picked.c_str(),
                               ExpandEntryPath(stored.c_str(), c.programFolder).c_str()));
        if (c.removable && stored != c.picked) {
            std::string moved = "S" + c.programFolder.substr(1);
            EXPECT_EQ(0, lstrcmpiA(("S" + c.picked.substr(1)).c_str(),
                                   ExpandEntryPath(stored.c_str(), moved).c_str()));
        }
    }
}

const MenuItemData* ItemData(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return reinterpret_cast<const MenuItemData*>(info.dwItemData);
}

// The program's folder is the window's store folder, where the test puts
// the tools a portable launcher carries along.
class PortablePathTest : public SettingsWindowTest {
protected:
    void SetUp() override {
        CreateDirectoryA(folder.File("tools").c_str(), nullptr);
        CreateFileAt(folder.File("tools\\tool.exe"));
        // The tool from the root of the program's drive, as a launcher on a
        // removable drive stores it.
        fromDriveRoot = folder.File("tools\\tool.exe").substr(2);
        WriteDataFile(folder.Path(), {{"Relative", KIND_FILE, -1, "tools\\tool.exe"},
                                      {"Variable", KIND_FILE, -1, "%BW_TEST_TOOLS%\\tool.exe"},
                                      {"Folder", KIND_FILE, -1, ".\\tools"},
                                      {"Site", KIND_URL, -1, "https://example.org/%BW_TEST_TOOLS%"},
                                      {"Quoted", KIND_FILE, -1, "\"tools\\tool.exe\" --flag x"},
                                      {"Page", KIND_FILE, -1, "https://example.org/x?a=1"},
                                      {"Downloads", KIND_FILE, -1, "shell:Downloads"},
                                      {"From the root", KIND_FILE, -1, fromDriveRoot.c_str()}});
        WriteOptions({});
    }

    ScopedVariable tools{"BW_TEST_TOOLS", folder.File("tools")};
    std::string fromDriveRoot;
};

TEST_F(PortablePathTest, ChoosingAnEntryOpensWhereItsPathLeads) {
    Open();
    const std::string tool = folder.File("tools\\tool.exe");
    // A program starts in its own folder, with the arguments after its
    // quoted path; a folder and a URL have neither.
    struct Case {
        UINT command;
        std::string file;
        std::string parameters;
        std::string directory;
    } cases[] = {
        {LaunchCommandBase + 0, tool, "", folder.File("tools")},
        {LaunchCommandBase + 1, tool, "", folder.File("tools")},
        {LaunchCommandBase + 2, folder.File("tools"), "", ""},
        // A URL goes to the shell as it is.
        {LaunchCommandBase + 3, "https://example.org/%BW_TEST_TOOLS%", "", ""},
        {LaunchCommandBase + 4, tool, "--flag x", folder.File("tools")},
        // A file entry holding an address or a shell path: as written too,
        // not joined to the program's folder.
        {LaunchCommandBase + 5, "https://example.org/x?a=1", "", ""},
        {LaunchCommandBase + 6, "shell:Downloads", "", ""},
        {LaunchCommandBase + 7, tool, "", folder.File("tools")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        shell.calls.clear();
        Command(c.command);
        std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(c.file, calls[0].file);
        EXPECT_EQ(c.parameters.empty(), calls[0].noParameters);
        EXPECT_EQ(c.parameters, calls[0].parameters);
        EXPECT_EQ(c.directory.empty(), calls[0].noDirectory);
        EXPECT_EQ(c.directory, calls[0].directory);
    }
    // What the user wrote stays stored.
    EXPECT_STREQ("tools\\tool.exe", window->Store().GetCommittedData(0)->path);
    EXPECT_STREQ("%BW_TEST_TOOLS%\\tool.exe", window->Store().GetCommittedData(1)->path);
}

// A relative folder shows the folder's icon, which the shell gives only
// for the folder it resolves to.
TEST_F(PortablePathTest, MenuItemsShowTheIconsOfWhereTheirPathsLead) {
    Open();
    ASSERT_TRUE(WaitForIcons(window->Icons()));
    HMENU menu = window->LauncherMenuHandle();
    ASSERT_EQ(8, GetMenuItemCount(menu));
    IconResolver& icons = window->Icons();
    std::string toolIcon = ShellIconKey(folder.File("tools\\tool.exe"));
    std::string folderIcon = ShellIconKey(folder.File("tools"));
    ASSERT_FALSE(toolIcon.empty());
    ASSERT_NE(toolIcon, folderIcon);
    EXPECT_EQ(toolIcon, icons.SourceOf(ItemData(menu, 0)->iconIndex));
    EXPECT_EQ(toolIcon, icons.SourceOf(ItemData(menu, 1)->iconIndex));
    EXPECT_EQ(folderIcon, icons.SourceOf(ItemData(menu, 2)->iconIndex));
    // A quoted program with arguments shows the program's icon.
    EXPECT_EQ(toolIcon, icons.SourceOf(ItemData(menu, 4)->iconIndex));
    EXPECT_EQ(toolIcon, icons.SourceOf(ItemData(menu, 7)->iconIndex));
}

// Building the launcher menu and filling the list (at start, at every
// Apply and at every click in the tree) work on the paths' text alone: an
// entry on a network share that no longer answers, or on a drive without
// its medium, must not hold the window's thread. The icons are asked of the
// shell off that thread; the working folder is found when an entry is
// launched.
TEST(BuildingTheViews, TheWindowsThreadAsksTheFileSystemNothing) {
    TempFolder folder;
    CreateDirectoryA(folder.File("tools").c_str(), nullptr);
    CreateFileAt(folder.File("tools\\tool.exe"));
    CreateFileAt(folder.File("beside.exe"));
    ScopedVariable tools("BW_TEST_TOOLS", folder.File("tools"));
    const std::string fromDriveRoot = folder.File("tools\\tool.exe").substr(2);
    WriteDataFile(folder.Path(), {{"Group", KIND_GROUP, -1},
                                  {"Share", KIND_FILE, 0, "\\\\192.0.2.1\\share\\tool.exe"},
                                  {"Relative", KIND_FILE, 0, "tools\\tool.exe"},
                                  {"Beside", KIND_FILE, 0, "beside.exe"},
                                  {"Searched", KIND_FILE, -1, "notepad.exe"},
                                  {"Variable", KIND_FILE, -1, "%BW_TEST_TOOLS%\\tool.exe"},
                                  {"Folder", KIND_FILE, -1, ".\\tools"},
                                  {"Quoted", KIND_FILE, -1, "\"tools\\tool.exe\" --flag x"},
                                  {"From the root", KIND_FILE, -1, fromDriveRoot.c_str()},
                                  {"Card", KIND_FILE, -1, "A:\\photos"},
                                  {"Site", KIND_URL, -1, "https://example.org/"}});
    Options shown{};
    shown.opt1 = 1;
    WriteSettingsFile(folder.Path(), shown);
    ShellRecorder shell;
    SettingsWindow window;
    window.Store().SetDirectory(folder.Path());
    ASSERT_TRUE(window.Create());
    PumpMessages();
    ASSERT_TRUE(window.IsVisible());
    TreeView tree = window.GroupTree();
    HTREEITEM group = tree.Child(tree.Root());
    ASSERT_NE(nullptr, group);

    FileSystemCalls asked;
    window.RebuildLauncherMenu();
    window.RebuildTree();
    tree.Select(group, TVGN_CARET);
    tree.Select(tree.Root(), TVGN_CARET);
    EXPECT_EQ(std::vector<std::string>{}, asked.calls);
    EXPECT_EQ(8, GetMenuItemCount(window.LauncherMenuHandle()));
    EXPECT_EQ(8, window.ItemList().Count());
}

} // namespace
