// The icon resolver on its own: a look-up answers at once with what is
// known, the shell's answer comes from the worker thread, fills the kept
// icons and reaches every item of the current builds that shows the path;
// an answer meant for a build that has been replaced reaches nothing; the
// end of the resolver does not wait for a look-up that never returns.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/GuiTest.h"
#include "support/IconWaiting.h"
#include "ui/IconResolver.h"

namespace {

// A view whose items are told their icons: what it was told, per key.
class RecordingClient : public IconResolver::Client {
public:
    int IconGeneration() const override { return generation; }
    void ShowIcon(int key, int iconIndex) override { told.emplace_back(key, iconIndex); }

    int generation = 1;
    std::vector<std::pair<int, int>> told;
};

std::string WriteFile(const TempFolder& folder, const char* name) {
    std::string path = folder.File(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
    return path;
}

class IconResolverTest : public testing::Test {
protected:
    TempFolder folder;
    // A folder is a file whose own icon is not the icon of nothing.
    std::string path = folder.Path();
    int shellIcon = SmallIconIndex(path.c_str());
};

TEST_F(IconResolverTest, TheAnswerReachesEveryItemThatShowsThePathAndIsKept) {
    ASSERT_NE(-1, shellIcon);
    IconResolver icons;
    RecordingClient menu;
    RecordingClient list;
    {
        ShellGate gate(path);
        // Nothing is known yet: the items show no icon for now.
        EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 3));
        EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 7));
        EXPECT_EQ(-1, icons.FileIcon(path, &list, list.generation, 0));
        ASSERT_TRUE(gate.WaitUntilHeld());
        EXPECT_FALSE(icons.Idle());
        PumpMessages();
        EXPECT_TRUE(menu.told.empty());
        EXPECT_EQ(0u, icons.KeptIcons());
    }
    ASSERT_TRUE(WaitForIcons(icons));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{3, shellIcon}, {7, shellIcon}}), menu.told);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, shellIcon}}), list.told);
    EXPECT_EQ(1u, icons.KeptIcons());

    // Kept: the next build shows it at once, and the unchanged file tells
    // nobody anything more.
    menu.told.clear();
    ++menu.generation;
    EXPECT_EQ(shellIcon, icons.FileIcon(path, &menu, menu.generation, 0));
    ASSERT_TRUE(WaitForIcons(icons));
    EXPECT_TRUE(menu.told.empty());
}

// The items the answer was asked for were thrown away by a rebuild: it
// reaches none of them, but the icon is kept for the new build's items.
TEST_F(IconResolverTest, AnAnswerForAReplacedBuildIsDropped) {
    IconResolver icons;
    RecordingClient menu;
    {
        ShellGate gate(path);
        EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 0));
        ASSERT_TRUE(gate.WaitUntilHeld());
        ++menu.generation;
    }
    ASSERT_TRUE(WaitForIcons(icons));
    EXPECT_TRUE(menu.told.empty());
    EXPECT_EQ(shellIcon, icons.FileIcon(path, &menu, menu.generation, 0));
}

// A client that goes is told nothing, even of answers it asked for.
TEST_F(IconResolverTest, AForgottenClientIsToldNothing) {
    IconResolver icons;
    auto gone = std::make_unique<RecordingClient>();
    RecordingClient stays;
    {
        ShellGate gate(path);
        icons.FileIcon(path, gone.get(), gone->generation, 0);
        icons.FileIcon(path, &stays, stays.generation, 1);
        ASSERT_TRUE(gate.WaitUntilHeld());
        icons.Forget(gone.get());
        gone.reset();
    }
    ASSERT_TRUE(WaitForIcons(icons));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, shellIcon}}), stays.told);
}

DWORD_PTR WINAPI NoShell(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT) {
    return 0;
}

// A shell that gives no icon at all: the item keeps showing none, and
// nothing is kept, so the next build asks again.
TEST_F(IconResolverTest, ALookupThatFailsLeavesNoIconAndKeepsNothing) {
    IconResolver icons;
    RecordingClient menu;
    auto saved = System().getFileInfo;
    System().getFileInfo = NoShell;
    EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 0));
    bool answered = WaitForIcons(icons);
    System().getFileInfo = saved;
    ASSERT_TRUE(answered);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, -1}}), menu.told);
    EXPECT_EQ(0u, icons.KeptIcons());
}

// A kept icon is shown at once; a file changed since is asked again and
// its new answer reaches the item.
TEST_F(IconResolverTest, AChangedFileIsAskedAgain) {
    std::string file = WriteFile(folder, "notes.txt");
    IconResolver icons;
    RecordingClient menu;
    icons.FileIcon(file, &menu, menu.generation, 0);
    ASSERT_TRUE(WaitForIcons(icons));
    ASSERT_EQ(1u, menu.told.size());
    int textIcon = menu.told[0].second;
    ASSERT_NE(-1, textIcon);

    // The file becomes a folder: another icon.
    DeleteFileA(file.c_str());
    ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    menu.told.clear();
    EXPECT_EQ(textIcon, icons.FileIcon(file, &menu, menu.generation, 4));
    ASSERT_TRUE(WaitForIcons(icons));
    int folderIcon = SmallIconIndex(file.c_str());
    ASSERT_NE(textIcon, folderIcon);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{4, folderIcon}}), menu.told);
    RemoveDirectoryA(file.c_str());
}

// The program's end must not hang on a look-up that never returns: the
// resolver goes while its worker is still held in the shell.
TEST_F(IconResolverTest, EndingWhileALookupIsStuckDoesNotWaitForIt) {
    ShellGate gate(path);
    RecordingClient menu;
    {
        IconResolver icons;
        icons.FileIcon(path, &menu, menu.generation, 0);
        ASSERT_TRUE(gate.WaitUntilHeld());
    }
    // Reached only when the end did not wait; the worker left behind is let
    // go by the gate and ends without telling anyone.
    gate.Open();
    PumpMessages();
    EXPECT_TRUE(menu.told.empty());
}

} // namespace
