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
#include "ui/Application.h"
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
        std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ("open", calls[0].verb);
        EXPECT_EQ(test.file, calls[0].file);
        EXPECT_TRUE(calls[0].noParameters);
        EXPECT_EQ(test.directory == nullptr, calls[0].noDirectory);
        EXPECT_EQ(test.directory ? test.directory : "", calls[0].directory);
        EXPECT_TRUE(calls[0].noWindow);
        EXPECT_EQ(SW_SHOWNORMAL, calls[0].show);
        // The shell shows no boxes of its own: a failure is told by the
        // program, naming the entry.
        EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), calls[0].size);
        EXPECT_EQ(static_cast<DWORD>(SEE_MASK_FLAG_NO_UI), calls[0].mask);
    }
}

// What the user is told when the shell cannot open an entry: which entry,
// why in words, and what the shell was asked to open (the path as it was
// expanded). The error comes as the last error, or only as the shell's
// result code. A refusal in the elevation prompt is the user's own answer
// and is not told.
TEST(LaunchingComponentTest, AFailureIsToldWithTheEntryWhyAndWhatWasAsked) {
    SetEnvironmentVariableA("BW_TEST_DOCS", "C:\\Users\\花子\\Documents");
    std::vector<LaunchEntry> table =
        TreeOrderTable({{"予定表", KIND_FILE, -1, "%BW_TEST_DOCS%\\予定表.xls"},
                        {"気象庁", KIND_URL, -1, "https://www.jma.go.jp/"},
                        {"能力表", KIND_FILE, -1, "\"C:\\Program Files\\表計算\\calc.exe\" /s"}});
    struct FailureCase {
        UINT command;
        DWORD error;
        int result;
        const char* expected; // empty: nothing is told
    } cases[] = {
        {LaunchCommandBase + 0, ERROR_FILE_NOT_FOUND, SE_ERR_FNF,
         "「予定表」を開けませんでした。\n"
         "ファイルまたはフォルダーが見つかりません。移動したか削除された可能性があります。\n\n"
         "C:\\Users\\花子\\Documents\\予定表.xls"},
        {LaunchCommandBase + 0, ShellRecorder::kResultOnly, SE_ERR_PNF,
         "「予定表」を開けませんでした。\n"
         "ファイルまたはフォルダーが見つかりません。移動したか削除された可能性があります。\n\n"
         "C:\\Users\\花子\\Documents\\予定表.xls"},
        {LaunchCommandBase + 0, ShellRecorder::kResultOnly, SE_ERR_NOASSOC,
         "「予定表」を開けませんでした。\n"
         "この種類のファイルを開くプログラムが登録されていません。\n\n"
         "C:\\Users\\花子\\Documents\\予定表.xls"},
        // A shell that tries to run a document it has no program for
        // (Wine's) fails with a bad program format.
        {LaunchCommandBase + 0, ERROR_BAD_EXE_FORMAT, SE_ERR_NOASSOC,
         "「予定表」を開けませんでした。\n"
         "この種類のファイルを開くプログラムが登録されていません。\n\n"
         "C:\\Users\\花子\\Documents\\予定表.xls"},
        {LaunchCommandBase + 1, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC,
         "「気象庁」を開けませんでした。\n"
         "この種類の URL を開くプログラムが登録されていません。\n\n"
         "https://www.jma.go.jp/"},
        // The quoted program alone, without its arguments.
        {LaunchCommandBase + 2, ERROR_ACCESS_DENIED, SE_ERR_ACCESSDENIED,
         "「能力表」を開けませんでした。\n"
         "アクセスが拒否されました。\n\n"
         "C:\\Program Files\\表計算\\calc.exe"},
        {LaunchCommandBase + 2, ERROR_CANCELLED, SE_ERR_ACCESSDENIED, ""},
    };
    for (const FailureCase& test : cases) {
        SCOPED_TRACE(test.expected);
        ShellRecorder shell;
        shell.executeError = test.error;
        shell.executeResult = test.result;
        LaunchFailure failure;
        ASSERT_TRUE(LaunchEntryOfCommand(table, test.command, "C:\\Brindleway", &failure));
        EXPECT_EQ(1u, shell.Of("ShellExecuteEx").size());
        EXPECT_EQ(test.expected, LaunchFailureMessage(failure));
    }
    SetEnvironmentVariableA("BW_TEST_DOCS", nullptr);
}

// An error the program has no words of its own for is told in the
// system's words, with its number.
TEST(LaunchingComponentTest, ARareErrorIsToldInTheSystemsWordsWithItsNumber) {
    std::vector<LaunchEntry> table = TreeOrderTable({{"古い", KIND_FILE, -1, "C:\\old\\x.exe"}});
    ShellRecorder shell;
    shell.executeError = ERROR_BAD_EXE_FORMAT;
    LaunchFailure failure;
    ASSERT_TRUE(LaunchEntryOfCommand(table, LaunchCommandBase + 0, "C:\\Brindleway", &failure));
    std::string text = LaunchFailureMessage(failure);
    EXPECT_EQ(0u, text.find("「古い」を開けませんでした。\n")) << text;
    EXPECT_NE(std::string::npos, text.find("（エラー 193）\n\nC:\\old\\x.exe")) << text;
    // The system's text names the file where it says "%1".
    EXPECT_EQ(std::string::npos, text.find("%1")) << text;
    // An entry that opened tells nothing.
    shell.executeError = ERROR_SUCCESS;
    ASSERT_TRUE(LaunchEntryOfCommand(table, LaunchCommandBase + 0, "C:\\Brindleway", &failure));
    EXPECT_EQ("", LaunchFailureMessage(failure));
}

// A group's command (that of its placeholder) is the tray's but opens
// nothing; commands of no entry are not the tray's and open nothing.
TEST(LaunchingComponentTest, CommandsMatchingNoEntryOpenNothing) {
    ShellRecorder shell;
    std::vector<LaunchEntry> table = TreeOrderTable(kLaunchTable);
    EXPECT_TRUE(LaunchEntryOfCommand(table, LaunchCommandBase + 0, "C:\\Brindleway"));
    for (UINT command : {LaunchCommandBase + 7, LaunchCommandBase + 254, ID_TRAY_EXIT + 0u})
        EXPECT_FALSE(LaunchEntryOfCommand(table, command, "C:\\Brindleway")) << command;
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
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

// TrackPopupMenu's arguments, and the state of the owner it was given,
// recorded instead of a menu shown; it answers the command given.
struct TrackedMenu {
    HMENU menu;
    UINT flags;
    int x;
    int y;
    int reserved;
    HWND owner;
    bool noRectangle;
    bool ownerVisible;
    bool ownerInFront;
    bool ownerHasFocus;
    RECT ownerRect;
    LONG_PTR ownerExStyle;
    HWND ownersOwner;
    bool ownersOwnerVisible;
};

class TrackRecorder {
public:
    explicit TrackRecorder(UINT answer = 0) : saved_(System().trackPopupMenu), answer_(answer) {
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
        RECT ownerRect{};
        GetWindowRect(owner, &ownerRect);
        active_->tracked.push_back(
            {menu, flags, x, y, reserved, owner, rect == nullptr, IsWindowVisible(owner) != FALSE,
             GetForegroundWindow() == owner, GetFocus() == owner, ownerRect,
             GetWindowLongPtrA(owner, GWL_EXSTYLE), GetWindow(owner, GW_OWNER),
             IsWindowVisible(GetWindow(owner, GW_OWNER)) != FALSE});
        return static_cast<BOOL>(active_->answer_);
    }
    static inline TrackRecorder* active_ = nullptr;
    decltype(&TrackPopupMenu) saved_;
    UINT answer_;
};

// The menu opens with its top-left corner at the cursor (not at any point
// the callback carries), chosen with the left button, and its command is
// returned. It is tracked for a window of its own: visible, one pixel at
// the cursor, in the foreground with the keyboard focus, so that the keys
// reach the menu whatever was in front; the window is gone afterwards.
TEST_F(TrayTest, MenuIsTrackedAtTheCursorForAWindowInFrontThere) {
    OpenWith({});
    SetCursorPos(321, 234);
    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_NE(0, cursor.x);
    ASSERT_NE(0, cursor.y);
    for (LPARAM button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SCOPED_TRACE(button);
        OtherProgramWindow other;
        ASSERT_TRUE(other.PutInFront());
        TrackRecorder recorder;
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, button);
        ASSERT_EQ(1u, recorder.tracked.size());
        const TrackedMenu& track = recorder.tracked[0];
        EXPECT_EQ(button == WM_LBUTTONDOWN ? window->LauncherMenuHandle()
                                           : window->SystemMenuHandle(),
                  track.menu);
        EXPECT_EQ(static_cast<UINT>(TPM_RETURNCMD), track.flags);
        EXPECT_EQ(cursor.x, track.x);
        EXPECT_EQ(cursor.y, track.y);
        EXPECT_EQ(0, track.reserved);
        EXPECT_TRUE(track.noRectangle);
        EXPECT_NE(Handle(), track.owner);
        EXPECT_TRUE(track.ownerVisible);
        EXPECT_TRUE(track.ownerInFront);
        EXPECT_TRUE(track.ownerHasFocus);
        EXPECT_EQ(cursor.x, track.ownerRect.left);
        EXPECT_EQ(cursor.y, track.ownerRect.top);
        EXPECT_EQ(1, track.ownerRect.right - track.ownerRect.left);
        EXPECT_EQ(1, track.ownerRect.bottom - track.ownerRect.top);
        // No taskbar button: a tool window (Windows), owned (Wine's taskbar),
        // by a hidden window, which brings no window of the program forward.
        EXPECT_EQ(WS_EX_TOOLWINDOW, track.ownerExStyle & WS_EX_TOOLWINDOW);
        EXPECT_NE(nullptr, track.ownersOwner);
        EXPECT_NE(Handle(), track.ownersOwner);
        EXPECT_FALSE(track.ownersOwnerVisible);
        EXPECT_FALSE(IsWindow(track.owner));
        // Dismissed: the window that was in front has the keyboard again.
        EXPECT_EQ(other.Handle(), GetForegroundWindow());
    }
}

TEST_F(TrayTest, MenuOpensWhileTheWindowIsHidden) {
    OpenWith({});
    ASSERT_FALSE(window->IsVisible());
    MenuRecorder recorder(Handle());
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, recorder.opened.size());
    EXPECT_TRUE(recorder.keysReachTheMenu);
}

// An entry the shell cannot open, chosen in the menu the tray opens: the
// real shell is asked, shows no box of its own, and the program tells in
// one box which entry could not be opened, why, and the path it asked for
// as expanded. A file that is gone and a file of a type no program is
// registered for; the folder of the first has 表 (0x5C trail byte) in it.
TEST_F(TrayTest, AnEntryTheShellCannotOpenIsToldInOneBox) {
    std::string unknownType = folder.File("予定.bwzq");
    HANDLE file = CreateFileA(unknownType.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    std::string gone = folder.File("表\\消えた.exe");
    WriteDataFile(folder.Path(), {{"消えたツール", KIND_FILE, -1, "表\\消えた.exe"},
                                  {"予定", KIND_FILE, -1, unknownType.c_str()}});
    WriteOptions();
    Open();
    System().shellExecuteEx = ShellExecuteExA;
    struct BoxCase {
        UINT command;
        std::string text;
    } cases[] = {
        {LaunchCommandBase + 0,
         "「消えたツール」を開けませんでした。\n"
         "ファイルまたはフォルダーが見つかりません。移動したか削除された可能性があります。\n\n" +
             gone},
        {LaunchCommandBase + 1, "「予定」を開けませんでした。\n"
                                "この種類のファイルを開くプログラムが登録されていません。\n\n" +
                                    unknownType},
    };
    for (const BoxCase& test : cases) {
        SCOPED_TRACE(test.text);
        std::vector<SeenMessage> seen;
        DialogScript script({[&](HWND box) { seen.push_back(AnswerMessageBox(box)); }});
        TrackRecorder chosen(test.command);
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        PumpMessages();
        EXPECT_EQ(1, script.Seen());
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(test.text, seen[0].text);
        EXPECT_EQ(Application::Instance().Name(), seen[0].caption);
        EXPECT_TRUE(seen[0].exclamation);
    }
}

// A launcher without entries (a first start) still opens its menu at a
// click, holding the grayed "(なし)" an empty group shows, rather than
// nothing at all, which looks like a program that does not answer.
TEST_F(TrayTest, ALauncherWithoutEntriesOpensItsMenuWithThePlaceholder) {
    WriteOptions();
    Open();
    MenuRecorder recorder(Handle());
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, recorder.opened.size());
    EXPECT_EQ(window->LauncherMenuHandle(), recorder.opened[0]);
    EXPECT_TRUE(recorder.shown);
    HMENU menu = window->LauncherMenuHandle();
    ASSERT_EQ(1, GetMenuItemCount(menu));
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED | MF_OWNERDRAW),
              GetMenuState(menu, 0, MF_BYPOSITION) & (MF_GRAYED | MF_OWNERDRAW));
}

// The chosen entry opens while the menu's window is still in front, so the
// program started may come to the front on Windows (the process in the
// foreground starts it); the window goes afterwards.
TEST_F(TrayTest, TheChosenEntryOpensWhileTheMenusWindowIsInFront) {
    OpenWith({});
    OtherProgramWindow other;
    ASSERT_TRUE(other.PutInFront());
    TrackRecorder recorder(LaunchCommandBase + 2);
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, recorder.tracked.size());
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("https://example.org/a?b=c", calls[0].file);
    EXPECT_EQ(recorder.tracked[0].owner, calls[0].foreground);
    EXPECT_FALSE(IsWindow(recorder.tracked[0].owner));
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
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("https://example.org/a?b=c", calls[0].file);
    shell.calls.clear();
    for (UINT command : {LaunchCommandBase + 0, LaunchCommandBase + 7, LaunchCommandBase + 254})
        Command(command);
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
}

TEST_F(TrayTest, UncommittedEntriesAreNotLaunched) {
    OpenWith({});
    window->Store().InsertData(MakeEntry({"new", KIND_FILE, -1, "C:\\new.exe"}), -1);
    shell.calls.clear();
    Command(LaunchCommandBase + 3);
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
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
