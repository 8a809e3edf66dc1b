// The icon resolver on its own: a look-up answers at once with what is
// known, the shell's answer comes from a worker thread, fills the kept
// icons and reaches every item of the current builds that shows the path;
// an answer meant for a build that has been replaced reaches nothing. A
// path that does not answer holds up no other volume's icons, and its
// failure is kept for a while; an answer is never lost (a dropped kept
// icon, a full message queue); the workers are apartment threads that
// pump messages; the end of the resolver does not wait for a look-up that
// never returns.
#include <gtest/gtest.h>

#include <algorithm>
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
    std::string shellIcon = ShellIconKey(path);
};

TEST_F(IconResolverTest, TheAnswerReachesEveryItemThatShowsThePathAndIsKept) {
    ASSERT_FALSE(shellIcon.empty());
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
    ASSERT_EQ(2u, menu.told.size());
    int icon = menu.told[0].second;
    EXPECT_EQ(shellIcon, icons.SourceOf(icon));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{3, icon}, {7, icon}}), menu.told);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, icon}}), list.told);
    EXPECT_EQ(1u, icons.KeptIcons());

    // Kept: the next build shows it at once, and the unchanged file tells
    // nobody anything more.
    menu.told.clear();
    ++menu.generation;
    EXPECT_EQ(icon, icons.FileIcon(path, &menu, menu.generation, 0));
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
    EXPECT_EQ(shellIcon, icons.SourceOf(icons.FileIcon(path, &menu, menu.generation, 0)));
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
    ASSERT_EQ(1u, stays.told.size());
    EXPECT_EQ(1, stays.told[0].first);
    EXPECT_EQ(shellIcon, icons.SourceOf(stays.told[0].second));
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
    EXPECT_TRUE(menu.told.empty());
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
    ASSERT_EQ(1u, menu.told.size());
    EXPECT_EQ(4, menu.told[0].first);
    EXPECT_NE(textIcon, menu.told[0].second);
    EXPECT_EQ(ShellIconKey(file), icons.SourceOf(menu.told[0].second));
    RemoveDirectoryA(file.c_str());
}

// The kept icon of a path was dropped (a build that did not show it) while
// the worker looked whether the file had changed, and a later build asked
// for the path meanwhile, getting no icon. The answer "unchanged" still
// reaches that build's item, with the icon kept before.
TEST_F(IconResolverTest, AnUnchangedAnswerReachesItemsThatGotNoIconMeanwhile) {
    IconResolver icons;
    RecordingClient menu;
    icons.FileIcon(path, &menu, menu.generation, 0);
    ASSERT_TRUE(WaitForIcons(icons));
    ASSERT_EQ(1u, menu.told.size());
    int icon = menu.told[0].second;
    menu.told.clear();
    {
        ShellGate gate(path, ShellGate::At::File);
        ++menu.generation;
        EXPECT_EQ(icon, icons.FileIcon(path, &menu, menu.generation, 1));
        ASSERT_TRUE(gate.WaitUntilHeld());
        icons.DropUnused();
        // A build without the path: its icon goes.
        icons.DropUnused();
        ASSERT_EQ(0u, icons.KeptIcons());
        ++menu.generation;
        EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 5));
    }
    ASSERT_TRUE(WaitForIcons(icons));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{5, icon}}), menu.told);
    EXPECT_EQ(1u, icons.KeptIcons());
}

// A network share that does not answer holds up the icons on that share
// only: the local file asked after it is answered while it is held.
TEST_F(IconResolverTest, AnUnansweringShareHoldsUpNoOtherIcons) {
    const std::string share = "\\\\fileserver\\tools\\setup.exe";
    IconResolver icons;
    RecordingClient menu;
    ShellGate gate(share, ShellGate::At::File);
    EXPECT_EQ(-1, icons.FileIcon(share, &menu, menu.generation, 0));
    ASSERT_TRUE(gate.WaitUntilHeld());
    EXPECT_EQ(-1, icons.FileIcon(path, &menu, menu.generation, 1));
    ASSERT_TRUE(PumpUntil([&] { return !menu.told.empty(); }, 20000));
    EXPECT_EQ(1, menu.told[0].first);
    EXPECT_EQ(shellIcon, icons.SourceOf(menu.told[0].second));
    gate.Open();
    ASSERT_TRUE(WaitForIcons(icons));
}

std::vector<std::string>* lookedAt = nullptr;
ULONGLONG clockNow = 0;

BOOL WINAPI RecordingAttributes(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
    if (lookedAt)
        lookedAt->push_back(path);
    return GetFileAttributesExA(path, level, data);
}

ULONGLONG WINAPI TestClock() {
    return clockNow;
}

// A path on a share that cannot be reached shows its type's icon, found by
// its name alone; the failure is kept for a while, so the builds of that
// while (each Apply) do not ask again and hold up its worker anew. After
// the while it is asked again.
TEST_F(IconResolverTest, AnUnreachableShareIsNotAskedAgainForAWhile) {
    const std::string share = "\\\\switched-off\\tools\\setup.exe";
    std::vector<std::string> looked;
    auto savedAttributes = System().getFileAttributesEx;
    auto savedClock = System().tickCount;
    lookedAt = &looked;
    clockNow = 1000000;
    System().getFileAttributesEx = RecordingAttributes;
    System().tickCount = TestClock;
    IconResolver icons;
    RecordingClient menu;
    EXPECT_EQ(-1, icons.FileIcon(share, &menu, menu.generation, 0));
    bool answered = WaitForIcons(icons);
    int first = static_cast<int>(std::count(looked.begin(), looked.end(), share));
    ++menu.generation;
    clockNow += IconResolver::kFailureHoldMs - 1;
    int held = icons.FileIcon(share, &menu, menu.generation, 0);
    answered = WaitForIcons(icons) && answered;
    int within = static_cast<int>(std::count(looked.begin(), looked.end(), share));
    clockNow += 2;
    icons.FileIcon(share, &menu, menu.generation, 0);
    answered = WaitForIcons(icons) && answered;
    int after = static_cast<int>(std::count(looked.begin(), looked.end(), share));
    System().getFileAttributesEx = savedAttributes;
    System().tickCount = savedClock;
    lookedAt = nullptr;

    ASSERT_TRUE(answered);
    ASSERT_EQ(1u, menu.told.size());
    int typeIcon = menu.told[0].second;
    EXPECT_EQ(ShellIconKey(share, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES),
              icons.SourceOf(typeIcon));
    EXPECT_EQ(1, first);
    EXPECT_EQ(typeIcon, held) << "the kept failure shows the type's icon";
    EXPECT_EQ(1, within) << "not asked again within the while";
    EXPECT_EQ(2, after) << "asked again after it";
}

int failedPosts = 0;

BOOL WINAPI PostFailingOnce(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (failedPosts == 0) {
        ++failedPosts;
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return PostMessageA(window, msg, wParam, lParam);
}

// The window's message queue was full when the worker posted its answer:
// the worker posts again, and the answer still comes.
TEST_F(IconResolverTest, AnAnswerWhoseMessageCouldNotBePostedStillComes) {
    auto saved = System().postMessage;
    failedPosts = 0;
    System().postMessage = PostFailingOnce;
    IconResolver icons;
    RecordingClient menu;
    icons.FileIcon(path, &menu, menu.generation, 0);
    bool answered = PumpUntil([&] { return icons.Idle(); }, 15000);
    System().postMessage = saved;
    EXPECT_EQ(1, failedPosts);
    ASSERT_TRUE(answered);
    ASSERT_EQ(1u, menu.told.size());
    EXPECT_EQ(shellIcon, icons.SourceOf(menu.told[0].second));
}

// What the workers asked of COM and where they made a window, as a shell
// extension may make one on the thread that calls it.
std::vector<DWORD>* workerComFlags = nullptr;
HWND workerWindow = nullptr;
std::string windowPath;

HRESULT WINAPI RecordComFlags(LPVOID, DWORD flags) {
    workerComFlags->push_back(flags);
    return CoInitializeEx(nullptr, flags);
}

DWORD_PTR WINAPI ShellMakingAWindow(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT size,
                                    UINT flags) {
    if (!(flags & SHGFI_PIDL) && windowPath == path && !workerWindow)
        workerWindow = CreateWindowExA(0, "STATIC", "extension", WS_POPUP, 0, 0, 1, 1, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
    return SHGetFileInfoA(path, attributes, info, size, flags);
}

// The workers' apartments do without OLE1 DDE, as the shell asks of its
// callers, and a worker waiting for work dispatches its thread's messages:
// a window made on it (by a shell extension) answers what is sent to it,
// as a broadcast to every top-level window would be.
TEST_F(IconResolverTest, WorkersAreApartmentsThatPumpMessages) {
    std::vector<DWORD> flags;
    workerComFlags = &flags;
    workerWindow = nullptr;
    windowPath = path;
    auto savedCom = System().coInitializeEx;
    auto savedShell = System().getFileInfo;
    System().coInitializeEx = RecordComFlags;
    System().getFileInfo = ShellMakingAWindow;
    IconResolver icons;
    RecordingClient menu;
    icons.FileIcon(path, &menu, menu.generation, 0);
    bool answered = WaitForIcons(icons);
    System().getFileInfo = savedShell;
    System().coInitializeEx = savedCom;
    workerComFlags = nullptr;
    ASSERT_TRUE(answered);
    ASSERT_FALSE(flags.empty());
    for (DWORD made : flags)
        EXPECT_EQ(static_cast<DWORD>(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), made);
    ASSERT_NE(nullptr, workerWindow);
    DWORD_PTR reply = 0;
    EXPECT_NE(0, SendMessageTimeoutA(workerWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &reply))
        << "the worker dispatches the messages sent to its thread's windows";
}

// The program's end must not hang on a look-up that never returns: the
// resolver goes while its worker is still held in the shell, and says it
// left a worker behind.
TEST_F(IconResolverTest, EndingWhileALookupIsStuckDoesNotWaitForIt) {
    ShellGate gate(path);
    RecordingClient menu;
    int leftBefore = IconResolver::WorkersLeftBehind();
    {
        IconResolver icons;
        icons.FileIcon(path, &menu, menu.generation, 0);
        ASSERT_TRUE(gate.WaitUntilHeld());
    }
    // Reached only when the end did not wait; the worker left behind is let
    // go by the gate and ends without telling anyone.
    EXPECT_EQ(leftBefore + 1, IconResolver::WorkersLeftBehind());
    gate.Open();
    PumpMessages();
    EXPECT_TRUE(menu.told.empty());
}

} // namespace
