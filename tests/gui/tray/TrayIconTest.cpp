// The tray icon, which menu a click opens, showing a menu, and launching,
// each on its own; then the settings window's routing of the icon's
// callback, the taskbar's re-creation and the tray commands.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "TraySupport.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/Foreground.h"
#include "support/SettingsWindowFixture.h"
#include "tray/Launching.h"
#include "tray/TrayIcon.h"
#include "ui/SystemCalls.h"

namespace {

enum class Tracked { Launcher, System, Nothing };

struct ClickCase {
    LPARAM mouseMessage;
    int32_t opt5;
    Tracked expected;
};

const ClickCase kClickCases[] = {
    {WM_LBUTTONDOWN, 0, Tracked::Launcher},  {WM_RBUTTONDOWN, 0, Tracked::System},
    {WM_LBUTTONDOWN, 1, Tracked::System},    {WM_RBUTTONDOWN, 1, Tracked::Launcher},
    {WM_LBUTTONUP, 0, Tracked::Nothing},     {WM_RBUTTONUP, 1, Tracked::Nothing},
    {WM_LBUTTONDBLCLK, 0, Tracked::Nothing}, {WM_MBUTTONDOWN, 0, Tracked::Nothing},
    {WM_MOUSEMOVE, 1, Tracked::Nothing},
};

TEST(TrayIconComponentTest, ButtonsChooseTheirMenusAndOpt5SwapsThem) {
    for (const ClickCase& test : kClickCases) {
        SCOPED_TRACE(std::to_string(test.mouseMessage) + " opt5=" + std::to_string(test.opt5));
        TrayMenuChoice expected = test.expected == Tracked::Launcher ? TrayMenuChoice::Launcher
                                  : test.expected == Tracked::System ? TrayMenuChoice::System
                                                                     : TrayMenuChoice::None;
        EXPECT_EQ(expected, MenuForClick(test.mouseMessage, test.opt5));
    }
}

// The first layout of the tray icon's data (88 bytes in a 32-bit program,
// 104 in a 64-bit one), which every version of the shell takes.
TEST(TrayIconComponentTest, DataIsTheFirstLayoutForItsOwner) {
    HiddenWindow owner;
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    TrayIcon tray;
    tray.Fill(owner.Handle(), icon);
    const NOTIFYICONDATAA& data = tray.Data();
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), data.cbSize);
    EXPECT_EQ(owner.Handle(), data.hWnd);
    EXPECT_EQ(1u, data.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), data.uFlags);
    EXPECT_EQ(0x8001u, data.uCallbackMessage);
    EXPECT_EQ(icon, data.hIcon);
    EXPECT_STREQ("Brindleway", data.szTip);
}

TEST(TrayIconComponentTest, AddAndRemoveGoToTheShellWithTheIconsData) {
    ShellRecorder shell;
    HiddenWindow owner;
    TrayIcon tray;
    tray.Fill(owner.Handle(), nullptr);
    tray.Add();
    tray.Remove();
    EXPECT_EQ((std::vector<std::string>{"NIM_ADD", "NIM_DELETE"}), shell.Functions());
    for (const ShellCall& call : shell.calls) {
        EXPECT_EQ(owner.Handle(), call.icon.hWnd);
        EXPECT_EQ(1u, call.icon.uID);
    }
    EXPECT_TRUE(shell.icons.empty());
}

TEST(TrayIconComponentTest, IconIsAddedAgainWhenTheTaskbarComesBack) {
    ShellRecorder shell;
    HiddenWindow owner;
    TrayIcon tray;
    tray.Fill(owner.Handle(), nullptr);
    tray.Add();
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_EQ(1u, shell.icons.size());

    // Other messages are not the taskbar's.
    shell.calls.clear();
    EXPECT_FALSE(tray.OnTaskbarCreated(WM_TRAYNOTIFY));
    EXPECT_TRUE(shell.calls.empty());

    // A new taskbar that lost the icon: a plain add.
    shell.icons.clear();
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    EXPECT_EQ(std::vector<std::string>{"NIM_ADD"}, shell.Functions());
    EXPECT_EQ(1u, shell.icons.size());

    // The icon is still there: the add fails, so it is replaced.
    shell.calls.clear();
    EXPECT_TRUE(tray.OnTaskbarCreated(taskbarCreated));
    EXPECT_EQ((std::vector<std::string>{"NIM_ADD", "NIM_DELETE", "NIM_ADD"}), shell.Functions());
    EXPECT_EQ(1u, shell.icons.size());
}

// The menu is tracked for its owner, which is brought to the foreground
// first (so the menu closes on a click elsewhere) and is sent a null message
// afterwards.
TEST(TrayIconComponentTest, TrackingShowsTheMenuInTheForegroundAndPostsANullMessage) {
    HiddenWindow owner;
    PopupMenu menu;
    ASSERT_TRUE(menu.Create());
    ASSERT_TRUE(menu.AppendString(1, "item"));
    MSG stale;
    while (PeekMessageA(&stale, owner.Handle(), WM_NULL, WM_NULL, PM_REMOVE)) {
    }
    {
        MenuRecorder recorder(owner.Handle());
        TrackTrayMenu(menu.Handle(), owner.Handle(), 10, 10);
        ASSERT_EQ(1u, recorder.opened.size());
        EXPECT_EQ(menu.Handle(), recorder.opened[0]);
        EXPECT_TRUE(recorder.foregroundAtOpen);
    }
    MSG posted;
    EXPECT_TRUE(PeekMessageA(&posted, owner.Handle(), WM_NULL, WM_NULL, PM_REMOVE));
}

const std::vector<EntryRow> kLaunchTable = {{"Group", KIND_GROUP, -1},
                                            {"Tool", KIND_FILE, 0, "C:\\Tools\\tool.exe"},
                                            {"Site", KIND_URL, -1, "https://example.org/a?b=c"}};

TEST(LaunchingComponentTest, EntryCommandsOpenThePathWithOpen) {
    ShellRecorder shell;
    std::vector<LaunchEntry> table = TreeOrderTable(kLaunchTable);
    // A program starts in its own folder; a URL has none.
    struct LaunchCase {
        UINT command;
        const char* file;
        const char* directory;
    } cases[] = {
        {LaunchCommandBase + 1, "C:\\Tools\\tool.exe", "C:\\Tools"},
        {LaunchCommandBase + 2, "https://example.org/a?b=c", nullptr},
    };
    for (const LaunchCase& test : cases) {
        SCOPED_TRACE(test.file);
        shell.calls.clear();
        EXPECT_TRUE(LaunchEntryOfCommand(table, test.command, "C:\\Brindleway"));
        std::vector<ShellCall> calls = shell.Of("ShellExecute");
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ("open", calls[0].verb);
        EXPECT_EQ(test.file, calls[0].file);
        EXPECT_TRUE(calls[0].noParameters);
        EXPECT_EQ(test.directory == nullptr, calls[0].noDirectory);
        EXPECT_EQ(test.directory ? test.directory : "", calls[0].directory);
        EXPECT_TRUE(calls[0].noWindow);
        EXPECT_EQ(SW_SHOWNORMAL, calls[0].show);
    }
}

// A group's command (that of its placeholder) is the tray's but opens
// nothing; commands of no entry are not the tray's and open nothing.
TEST(LaunchingComponentTest, CommandsMatchingNoEntryOpenNothing) {
    ShellRecorder shell;
    std::vector<LaunchEntry> table = TreeOrderTable(kLaunchTable);
    EXPECT_TRUE(LaunchEntryOfCommand(table, LaunchCommandBase + 0, "C:\\Brindleway"));
    for (UINT command : {LaunchCommandBase + 7, LaunchCommandBase + 254, ID_TRAY_EXIT + 0u})
        EXPECT_FALSE(LaunchEntryOfCommand(table, command, "C:\\Brindleway")) << command;
    EXPECT_TRUE(shell.Of("ShellExecute").empty());
}

TEST(LaunchingComponentTest, ShellFoldersOpenByTheirItemIdLists) {
    ShellRecorder shell;
    LPITEMIDLIST documents = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &documents));
    OpenShellFolder(documents);
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), calls[0].size);
    EXPECT_EQ(static_cast<DWORD>(SEE_MASK_IDLIST), calls[0].mask);
    EXPECT_EQ("open", calls[0].verb);
    EXPECT_EQ(SW_SHOWNORMAL, calls[0].show);
    EXPECT_EQ("", calls[0].file);
    EXPECT_TRUE(calls[0].noParameters && calls[0].noDirectory && calls[0].noWindow);
    EXPECT_EQ(documents, calls[0].idList);
    ILFree(documents);
}

class TrayTest : public SettingsWindowTest {
protected:
    void OpenWith(const Options& options) {
        WriteDataFile(folder.Path(), {{"Group", KIND_GROUP, -1},
                                      {"Tool", KIND_FILE, 0, "C:\\Tools\\tool.exe"},
                                      {"Site", KIND_URL, -1, "https://example.org/a?b=c"}});
        WriteOptions(options);
        Open();
    }

    // The menus tracked while the tray callback with this mouse message runs.
    std::vector<HMENU> Click(LPARAM mouseMessage) {
        MenuRecorder recorder(Handle());
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, mouseMessage);
        return recorder.opened;
    }
};

TEST_F(TrayTest, ButtonsOpenTheirMenusAndOpt5SwapsThem) {
    OpenWith({});
    for (const ClickCase& test : kClickCases) {
        SCOPED_TRACE(std::to_string(test.mouseMessage) + " opt5=" + std::to_string(test.opt5));
        window->Store().GetOptions()->opt5 = test.opt5;
        std::vector<HMENU> opened = Click(test.mouseMessage);
        if (test.expected == Tracked::Nothing) {
            EXPECT_TRUE(opened.empty());
            continue;
        }
        ASSERT_FALSE(opened.empty());
        HMENU expected = test.expected == Tracked::Launcher ? window->LauncherMenuHandle()
                                                            : window->SystemMenuHandle();
        EXPECT_EQ(expected, opened.front());
    }
}

// TrackPopupMenu's arguments, recorded instead of a menu shown.
struct TrackedMenu {
    HMENU menu;
    UINT flags;
    int x;
    int y;
    int reserved;
    HWND owner;
    bool noRectangle;
};

class TrackRecorder {
public:
    TrackRecorder() : saved_(System().trackPopupMenu) {
        active_ = this;
        System().trackPopupMenu = Track;
    }
    ~TrackRecorder() {
        System().trackPopupMenu = saved_;
        active_ = nullptr;
    }
    TrackRecorder(const TrackRecorder&) = delete;
    TrackRecorder& operator=(const TrackRecorder&) = delete;
    std::vector<TrackedMenu> tracked;

private:
    static BOOL WINAPI Track(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                             const RECT* rect) {
        active_->tracked.push_back({menu, flags, x, y, reserved, owner, rect == nullptr});
        return FALSE;
    }
    static inline TrackRecorder* active_ = nullptr;
    decltype(&TrackPopupMenu) saved_;
};

// The menu opens with its top-left corner at the cursor (not at any point
// the callback carries), chosen with the left button, owned by the window;
// a null message is posted to the window afterwards, so the menu ends
// properly.
TEST_F(TrayTest, MenuIsTrackedAtTheCursorWithFlags0AndANullMessageFollows) {
    OpenWith({});
    SetCursorPos(321, 234);
    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_NE(0, cursor.x);
    ASSERT_NE(0, cursor.y);
    for (LPARAM button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SCOPED_TRACE(button);
        MSG stale;
        while (PeekMessageA(&stale, Handle(), WM_NULL, WM_NULL, PM_REMOVE)) {
        }
        TrackRecorder recorder;
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, button);
        ASSERT_EQ(1u, recorder.tracked.size());
        const TrackedMenu& track = recorder.tracked[0];
        EXPECT_EQ(button == WM_LBUTTONDOWN ? window->LauncherMenuHandle()
                                           : window->SystemMenuHandle(),
                  track.menu);
        EXPECT_EQ(0u, track.flags);
        EXPECT_EQ(cursor.x, track.x);
        EXPECT_EQ(cursor.y, track.y);
        EXPECT_EQ(0, track.reserved);
        EXPECT_EQ(Handle(), track.owner);
        EXPECT_TRUE(track.noRectangle);
        MSG posted;
        EXPECT_TRUE(PeekMessageA(&posted, Handle(), WM_NULL, WM_NULL, PM_REMOVE));
    }
}

TEST_F(TrayTest, MenuOpensWhileTheWindowIsHidden) {
    OpenWith({});
    ASSERT_FALSE(window->IsVisible());
    MenuRecorder recorder(Handle());
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, recorder.opened.size());
    EXPECT_TRUE(recorder.foregroundAtOpen);
}

// What one click on the icon did while a dialog of the program was open,
// with another program's window in front of it before the click.
struct ClickOverDialog {
    bool otherWasInFront = false;
    std::vector<HMENU> opened;
    HWND foreground = nullptr;
    HWND active = nullptr;
};

class TrayOverDialogTest : public TrayTest {
protected:
    // Left and right button, each after the other window came in front.
    std::vector<ClickOverDialog> ClickOver() {
        std::vector<ClickOverDialog> seen;
        for (LPARAM button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
            OtherProgramWindow other;
            ClickOverDialog click;
            click.otherWasInFront = other.PutInFront();
            click.opened = Click(button);
            click.foreground = GetForegroundWindow();
            click.active = GetActiveWindow();
            seen.push_back(click);
        }
        return seen;
    }

    void ExpectBroughtToFront(const std::vector<ClickOverDialog>& seen, HWND dialog) {
        ASSERT_EQ(2u, seen.size());
        for (const ClickOverDialog& click : seen) {
            ASSERT_TRUE(click.otherWasInFront);
            EXPECT_TRUE(click.opened.empty());
            EXPECT_EQ(dialog, click.foreground);
            EXPECT_EQ(dialog, click.active);
        }
    }
};

// No menu opens over the version dialog (its exit would end the program
// under it); the click gives the dialog back to a user who lost it.
TEST_F(TrayOverDialogTest, ClickBringsTheVersionDialogToTheFrontAndOpensNoMenu) {
    OpenWith({});
    HWND about = nullptr;
    std::string caption;
    std::vector<ClickOverDialog> seen;
    ModalDriver driver([&](HWND dialog) {
        about = dialog;
        caption = WindowCaption(dialog);
        seen = ClickOver();
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_TRAY_ABOUT);
    ASSERT_EQ(1, driver.Runs());
    EXPECT_EQ("バージョン情報", caption);
    ExpectBroughtToFront(seen, about);
    // Afterwards clicks open menus again.
    EXPECT_EQ(1u, Click(WM_LBUTTONDOWN).size());
}

// A message box opened by a dialog: the box, on top of both, comes to the
// front, not the dialog that waits for it.
TEST_F(TrayOverDialogTest, ClickBringsAPromptOverTheOptionsDialogToTheFront) {
    OpenWith({});
    Command(ID_TRAY_SETTINGS);
    HWND prompt = nullptr;
    bool isMessageBox = false;
    std::vector<ClickOverDialog> seen;
    DialogScript script({
        [](HWND options) {
            PostMessageA(options, WM_COMMAND, MAKEWPARAM(IDC_OPT_REMOVE_BROKEN, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(options, IDC_OPT_REMOVE_BROKEN)));
        },
        [&](HWND box) {
            prompt = box;
            isMessageBox = IsMessageBox(box);
            seen = ClickOver();
            HWND options = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
        },
    });
    Command(ID_TOOLS_OPTIONS);
    ASSERT_EQ(2, script.Seen());
    ASSERT_TRUE(isMessageBox);
    ExpectBroughtToFront(seen, prompt);
}

TEST_F(TrayTest, TheTaskbarMessageReachesTheHiddenWindowAsABroadcast) {
    OpenWith({});
    shell.icons.clear();
    shell.calls.clear();
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    PumpUntil([&] { return !shell.icons.empty(); });
    EXPECT_EQ(1u, shell.icons.size());
}

// The window launches from its committed table; commands that match no
// entry go on to its own handling.
TEST_F(TrayTest, EntryCommandsOpenTheCommittedPath) {
    OpenWith({});
    EXPECT_EQ(0, Command(LaunchCommandBase + 2));
    std::vector<ShellCall> calls = shell.Of("ShellExecute");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("https://example.org/a?b=c", calls[0].file);
    shell.calls.clear();
    for (UINT command : {LaunchCommandBase + 0, LaunchCommandBase + 7, LaunchCommandBase + 254})
        Command(command);
    EXPECT_TRUE(shell.Of("ShellExecute").empty());
}

TEST_F(TrayTest, UncommittedEntriesAreNotLaunched) {
    OpenWith({});
    window->Store().InsertData(MakeEntry({"new", KIND_FILE, -1, "C:\\new.exe"}), -1);
    shell.calls.clear();
    Command(LaunchCommandBase + 3);
    EXPECT_TRUE(shell.Of("ShellExecute").empty());
}

TEST_F(TrayTest, ShellFoldersOpenByTheirItemIdLists) {
    OpenWith({});
    struct FolderCase {
        UINT command;
        int csidl;
    } cases[] = {{ID_TRAY_MY_COMPUTER, CSIDL_DRIVES},
                 {ID_TRAY_MY_DOCUMENTS, CSIDL_PERSONAL},
                 {ID_TRAY_MY_NETWORK, CSIDL_NETWORK}};
    for (const FolderCase& test : cases) {
        SCOPED_TRACE(test.command);
        shell.calls.clear();
        EXPECT_EQ(0, Command(test.command));
        std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
        ASSERT_EQ(1u, calls.size());
        LPITEMIDLIST expected = nullptr;
        ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, test.csidl, &expected));
        ASSERT_NE(nullptr, calls[0].idList);
        EXPECT_TRUE(ILIsEqual(expected, calls[0].idList));
        ILFree(expected);
    }
}

TEST_F(TrayTest, SettingsCommandShowsAndRestoresTheWindow) {
    OpenWith({});
    ASSERT_FALSE(window->IsVisible());
    Command(ID_TRAY_SETTINGS);
    EXPECT_TRUE(window->IsVisible());
    ShowWindow(Handle(), SW_MINIMIZE);
    ASSERT_TRUE(window->IsIconic());
    Command(ID_TRAY_SETTINGS);
    EXPECT_FALSE(window->IsIconic());
    EXPECT_TRUE(window->IsVisible());
}

TEST_F(TrayTest, VersionCommandRunsTheAboutDialogOwnedByTheWindow) {
    OpenWith({});
    HWND owner = nullptr;
    std::string caption;
    ModalDriver driver([&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        caption = DialogItemText(dialog, IDC_ABOUT_VERSION);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_TRAY_ABOUT);
    EXPECT_EQ(1, driver.Runs());
    EXPECT_EQ(Handle(), owner);
    EXPECT_EQ("Version 0.20", caption);
}

TEST_F(TrayTest, ExitDestroysTheWindowAndRemovesTheIcon) {
    OpenWith({});
    shell.calls.clear();
    Command(ID_TRAY_EXIT);
    EXPECT_EQ(nullptr, window->Handle());
    EXPECT_EQ(std::vector<std::string>{"NIM_DELETE"}, shell.Functions());
    EXPECT_TRUE(shell.icons.empty());
}

} // namespace
