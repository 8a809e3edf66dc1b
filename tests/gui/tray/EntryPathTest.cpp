// Paths of file entries where they are used: environment variables and
// paths relative to the program's folder, expanded for launching and for
// the icons while the stored path keeps what the user wrote.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

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

TEST(ExpandEntryPath, VariablesAndPathsRelativeToTheProgramsFolder) {
    TempFolder folder;
    const std::string program = folder.Path();
    CreateFileAt(folder.File("beside.exe"));
    ScopedVariable tools("BW_TEST_TOOLS", "D:\\Portable Tools");
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
        // Not beside the program: the shell's own search still finds it.
        {"notepad.exe", program, "notepad.exe"},
        {"C:\\Tools\\tool.exe", program, "C:\\Tools\\tool.exe"},
        {"\\\\server\\share\\x.exe", program, "\\\\server\\share\\x.exe"},
        {"", program, ""},
        {"tools\\x.exe", japanese, japanese + "\\tools\\x.exe"},
        {"ソフト\\x.exe", program, program + "\\ソフト\\x.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.expected, ExpandEntryPath(c.path, c.folder));
    }
}

TEST(EntryCommandOf, AQuotedProgramTakesTheArgumentsAfterIt) {
    TempFolder folder;
    const std::string program = folder.Path();
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EntryCommand command = EntryCommandOf(c.path, program);
        EXPECT_EQ(c.file, command.file);
        EXPECT_EQ(c.arguments, command.arguments);
        EXPECT_EQ(c.workingFolder, command.workingFolder);
        EXPECT_EQ(c.file, ExpandEntryPath(c.path, program));
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
        WriteDataFile(folder.Path(), {{"Relative", KIND_FILE, -1, "tools\\tool.exe"},
                                      {"Variable", KIND_FILE, -1, "%BW_TEST_TOOLS%\\tool.exe"},
                                      {"Folder", KIND_FILE, -1, ".\\tools"},
                                      {"Site", KIND_URL, -1, "https://example.org/%BW_TEST_TOOLS%"},
                                      {"Quoted", KIND_FILE, -1, "\"tools\\tool.exe\" --flag x"}});
        WriteOptions({});
    }

    ScopedVariable tools{"BW_TEST_TOOLS", folder.File("tools")};
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        shell.calls.clear();
        Command(c.command);
        std::vector<ShellCall> calls = shell.Of("ShellExecute");
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
    ASSERT_EQ(5, GetMenuItemCount(menu));
    int toolIcon = SmallIconIndex(folder.File("tools\\tool.exe").c_str());
    int folderIcon = SmallIconIndex(folder.File("tools").c_str());
    ASSERT_NE(-1, toolIcon);
    ASSERT_NE(-1, folderIcon);
    EXPECT_EQ(toolIcon, ItemData(menu, 0)->iconIndex);
    EXPECT_EQ(toolIcon, ItemData(menu, 1)->iconIndex);
    EXPECT_EQ(folderIcon, ItemData(menu, 2)->iconIndex);
    // A quoted program with arguments shows the program's icon.
    EXPECT_EQ(toolIcon, ItemData(menu, 4)->iconIndex);
}

} // namespace
