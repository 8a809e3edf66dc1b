// The settings window's life: start-up, showing and hiding, committing,
// the options that change its behaviour, and its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/EditingTestSupport.h"
#include "support/Foreground.h"
#include "support/RealInput.h"
#include "ui/Application.h"

namespace {

// The text of a message box.
std::string MessageText(HWND box) {
    return DialogItemText(box, 0xFFFF);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

RECT WorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

void ExpectCentred(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT area = WorkArea();
    EXPECT_NEAR((area.left + area.right) / 2, (rect.left + rect.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (rect.top + rect.bottom) / 2, 1);
}

bool Grayed(HWND window, UINT id) {
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

class LifecycleTest : public SettingsWindowTest {
protected:
    Options Shown() {
        Options options{};
        options.opt1 = 1;
        return options;
    }
    void AddWorkingEntry(const char* name) {
        window->Store().InsertData(MakeEntry({name, KIND_URL, -1, "https://example.org/"}), -1);
    }
    int EntriesInDataFile() {
        ItemStore reader;
        reader.SetDirectory(folder.Path());
        if (!reader.LoadData())
            return -1;
        return reader.GetCommittedNum();
    }
    std::string Ini() const { return folder.File("Brindleway.ini"); }
};

TEST_F(LifecycleTest, FirstStartShowsTheWindowCentred) {
    SettingsWindow& w = Open();
    EXPECT_TRUE(w.FirstRun());
    EXPECT_TRUE(w.IsVisible());
    ExpectCentred(Handle());
}

TEST_F(LifecycleTest, WithASettingsFileAndOpt1ClearOnlyTheIconIsThere) {
    WriteOptions();
    SettingsWindow& w = Open();
    EXPECT_FALSE(w.FirstRun());
    EXPECT_FALSE(w.IsVisible());
    EXPECT_EQ(1u, shell.icons.size());
}

TEST_F(LifecycleTest, Opt1ShowsTheWindowAtTheSavedPosition) {
    WriteOptions(Shown(), 40, 30);
    SettingsWindow& w = Open();
    EXPECT_TRUE(w.IsVisible());
    RECT rect = w.WindowRect();
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(30, rect.top);
}

TEST_F(LifecycleTest, ANegativeCoordinateCentresTheWindow) {
    for (POINT saved : {POINT{-32000, -32000}, POINT{100, -1}, POINT{-5, 100}}) {
        SCOPED_TRACE(std::to_string(saved.x) + "," + std::to_string(saved.y));
        WriteOptions(Shown(), saved.x, saved.y);
        Open();
        ExpectCentred(Handle());
    }
}

// A position saved on a monitor that has since gone would put the window
// where nobody can see it; one that still touches a monitor is kept.
TEST_F(LifecycleTest, APositionOnNoMonitorCentresTheWindow) {
    RECT screen{0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    for (POINT saved :
         {POINT{5000, 5000}, POINT{screen.right + 10, 20}, POINT{20, screen.bottom}}) {
        SCOPED_TRACE(std::to_string(saved.x) + "," + std::to_string(saved.y));
        window.reset(); // its end stores its own position
        WriteOptions(Shown(), saved.x, saved.y);
        Open();
        ExpectCentred(Handle());
    }
    window.reset();
    POINT partly{screen.right - 40, screen.bottom - 30};
    WriteOptions(Shown(), partly.x, partly.y);
    SettingsWindow& w = Open();
    EXPECT_EQ(partly.x, w.WindowRect().left);
    EXPECT_EQ(partly.y, w.WindowRect().top);
}

TEST_F(LifecycleTest, HelpCommandsAreGrayedAndTheVersionCommandIsNot) {
    WriteOptions();
    Open();
    EXPECT_TRUE(Grayed(Handle(), ID_HELP_CONTENTS));
    EXPECT_TRUE(Grayed(Handle(), ID_HELP_SEARCH));
    EXPECT_TRUE(Grayed(Handle(), ID_HELP_INDEX));
    EXPECT_FALSE(Grayed(Handle(), ID_HELP_ABOUT));
    EXPECT_FALSE(Grayed(Handle(), ID_TOOLS_ADD));
    EXPECT_FALSE(Grayed(Handle(), ID_TOOLS_OPTIONS));
}

SettingsWindow* windowAtAdd = nullptr;
bool menusBuiltAtAdd = false;

TEST_F(LifecycleTest, TrayIconIsAddedOnceAfterBothMenus) {
    WriteOptions();
    window = std::make_unique<SettingsWindow>();
    window->Store().SetDirectory(folder.Path());
    windowAtAdd = window.get();
    shell.onAdd = [] {
        menusBuiltAtAdd =
            IsMenu(windowAtAdd->LauncherMenuHandle()) && IsMenu(windowAtAdd->SystemMenuHandle());
    };
    ASSERT_TRUE(window->Create());
    ASSERT_EQ(std::vector<std::string>{"NIM_ADD"}, shell.Functions());
    EXPECT_TRUE(menusBuiltAtAdd);

    const NOTIFYICONDATAA& icon = shell.calls[0].icon;
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), icon.cbSize);
    EXPECT_EQ(Handle(), icon.hWnd);
    EXPECT_EQ(1u, icon.uID);
    EXPECT_EQ(7u, icon.uFlags);
    EXPECT_EQ(0x8001u, icon.uCallbackMessage);
    EXPECT_STREQ("Brindleway", icon.szTip);
    // The program's icon at the small-icon size (the DPI suite checks the size).
    EXPECT_NE(nullptr, icon.hIcon);
}

TEST_F(LifecycleTest, WindowAndDragIconsAreTheApplicationIcon) {
    WriteOptions();
    Open();
    // Each at the size of its kind (the DPI suite checks the sizes); the
    // minimised window is dragged with the big one.
    LRESULT big = SendMessageA(Handle(), WM_GETICON, ICON_BIG, 0);
    LRESULT small = SendMessageA(Handle(), WM_GETICON, ICON_SMALL, 0);
    EXPECT_NE(0, big);
    EXPECT_NE(0, small);
    EXPECT_NE(big, small);
    EXPECT_EQ(big, SendMessageA(Handle(), WM_QUERYDRAGICON, 0, 0));
}

TEST_F(LifecycleTest, ApplyWritesTheDataFileRebuildsTheMenuAndStaysOpen) {
    WriteOptions(Shown());
    SettingsWindow& w = Open();
    AddWorkingEntry("applied");
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    EXPECT_EQ(1, EntriesInDataFile());
    EXPECT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
    EXPECT_TRUE(w.IsVisible());
}

TEST_F(LifecycleTest, OkCommitsAndHides) {
    struct {
        const char* title;
        UINT id;
        bool button;
    } cases[] = {{"OK button", IDOK, true}, {"menu command", ID_SETTINGS_OK, false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        TempFolder own;
        WriteSettingsFile(own.Path(), Shown());
        SettingsWindow w;
        w.Store().SetDirectory(own.Path());
        ASSERT_TRUE(w.Create());
        w.Store().InsertData(MakeEntry({"ok", KIND_URL, -1, "https://example.org/"}), -1);
        HWND control = test.button ? GetDlgItem(w.Handle(), test.id) : nullptr;
        SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(test.id, 0),
                     reinterpret_cast<LPARAM>(control));
        EXPECT_FALSE(w.IsVisible());
        EXPECT_NE(nullptr, w.Handle());
        EXPECT_EQ(1, w.Store().GetCommittedNum());
        EXPECT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
        ItemStore reader;
        reader.SetDirectory(own.Path());
        EXPECT_EQ(1, reader.LoadData());
    }
}

TEST_F(LifecycleTest, HidingWithoutCommitDropsTheEditsAtTheNextShowing) {
    struct {
        const char* title;
        UINT msg;
        WPARAM wParam;
    } cases[] = {{"Cancel button", WM_COMMAND, IDCANCEL},
                 {"menu command", WM_COMMAND, ID_SETTINGS_CANCEL},
                 {"close box", WM_CLOSE, 0},
                 {"window menu close", WM_SYSCOMMAND, SC_CLOSE}};
    WriteDataFile(folder.Path(), {{"kept", KIND_URL, -1, "https://example.org/"}});
    WriteOptions(Shown());
    SettingsWindow& w = Open();
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        AddWorkingEntry("dropped");
        ASSERT_EQ(2, w.Store().GetDataNum());
        SendMessageA(Handle(), test.msg, test.wParam, 0);
        ASSERT_TRUE(PumpUntil([&] { return !w.IsVisible(); }));
        EXPECT_NE(nullptr, w.Handle());
        EXPECT_EQ(1, w.Store().GetCommittedNum());
        EXPECT_EQ(1, EntriesInDataFile());
        EXPECT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
        Command(ID_TRAY_SETTINGS);
        EXPECT_TRUE(w.IsVisible());
        EXPECT_EQ(1, w.Store().GetDataNum());
    }
}

TEST_F(LifecycleTest, CloseBoxWithOpt3EndsTheProgram) {
    Options options = Shown();
    options.opt3 = 1;
    WriteOptions(options, 20, 25);
    SettingsWindow& w = Open();
    shell.calls.clear();
    SendMessageA(Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, w.Handle());
    EXPECT_EQ(20, ReadIniInt(Ini(), "Info", "X"));
    EXPECT_EQ(25, ReadIniInt(Ini(), "Info", "Y"));
    EXPECT_EQ(std::vector<std::string>{"NIM_DELETE"}, shell.Functions());
}

TEST_F(LifecycleTest, MinimisingHidesTheWindowOnlyWithOpt2) {
    for (int32_t opt2 : {0, 1}) {
        SCOPED_TRACE(opt2);
        Options options = Shown();
        options.opt2 = opt2;
        WriteOptions(options);
        SettingsWindow& w = Open();
        ShowWindow(Handle(), SW_MINIMIZE);
        PumpMessages();
        EXPECT_EQ(opt2 == 0, w.IsVisible());
        EXPECT_TRUE(w.IsIconic());
        // "設定(&S)..." brings it back restored.
        Command(ID_TRAY_SETTINGS);
        EXPECT_TRUE(w.IsVisible());
        EXPECT_FALSE(w.IsIconic());
    }
}

// On Windows a dialog hides with its minimised owner, and the tray opens no
// menu while it is open: hidden as well, the window could not be reached
// again. It stays minimised on the taskbar then, and a click on the tray
// icon restores it with the dialog in front.
TEST_F(LifecycleTest, MinimisingWithOpt2KeepsTheWindowOnTheTaskbarWhileADialogIsOpen) {
    Options options = Shown();
    options.opt2 = 1;
    WriteOptions(options);
    SettingsWindow& w = Open();
    bool iconic = false;
    bool visible = false;
    bool restoredByClick = false;
    bool otherWasInFront = false;
    HWND about = nullptr;
    HWND foreground = nullptr;
    ModalDriver driver([&](HWND dialog) {
        about = dialog;
        ShowWindow(Handle(), SW_MINIMIZE);
        PumpMessages();
        iconic = w.IsIconic();
        visible = w.IsVisible();
        OtherProgramWindow other;
        otherWasInFront = other.PutInFront();
        MenuRecorder menus(Handle());
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        restoredByClick = !w.IsIconic() && w.IsVisible();
        foreground = GetForegroundWindow();
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_HELP_ABOUT);
    ASSERT_EQ(1, driver.Runs());
    EXPECT_TRUE(iconic);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(restoredByClick);
    ASSERT_TRUE(otherWasInFront);
    EXPECT_EQ(about, foreground);
    // With the dialog closed, minimising hides the window again.
    ShowWindow(Handle(), SW_MINIMIZE);
    PumpMessages();
    EXPECT_FALSE(w.IsVisible());
}

// "設定(&S)..." from the tray after an entry was deleted without Apply.
class ShowAgainTest : public EditingTest {
protected:
    using Names = std::vector<std::string>;

    // Opens the window over three files and deletes the middle one as the
    // user does: its row, then the Delete button.
    void OpenAndDeleteRow(int32_t opt2) {
        WriteDataFile(folder.Path(), {{"f0", KIND_FILE, kParentTopLevel, "C:\\f0.txt"},
                                      {"f1", KIND_FILE, kParentTopLevel, "C:\\f1.txt"},
                                      {"f2", KIND_FILE, kParentTopLevel, "C:\\f2.txt"}});
        Options options{};
        options.opt1 = 1;
        options.opt2 = opt2;
        WriteOptions(options);
        Open();
        SelectRow(1);
        Command(IDC_DELETE, BN_CLICKED, GetDlgItem(Handle(), IDC_DELETE));
        ASSERT_EQ(ListNames(), (Names{"f0", "f2"}));
    }
    // The window's minimise box sends this.
    void Minimise() {
        SendMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        PumpMessages();
        ASSERT_TRUE(window->IsIconic());
    }
    void ChooseSettingsInTheTrayMenu() {
        Command(ID_TRAY_SETTINGS);
        PumpMessages();
        EXPECT_TRUE(window->IsVisible());
        EXPECT_FALSE(window->IsIconic());
    }
    Names ListNames() const {
        Names names;
        for (int row = 0; row < List().Count(); ++row)
            names.push_back(List().ItemText(row, 0));
        return names;
    }
};

// With opt2 the minimised window hides; showing it again starts from the
// committed table, as every showing of a hidden window does.
TEST_F(ShowAgainTest, AWindowMinimisedIntoHidingDropsTheDeletion) {
    OpenAndDeleteRow(1);
    Minimise();
    ASSERT_FALSE(window->IsVisible());
    ChooseSettingsInTheTrayMenu();
    EXPECT_EQ(ListNames(), (Names{"f0", "f1", "f2"}));
    EXPECT_EQ(Store().GetDataNum(), 3);
}

TEST_F(ShowAgainTest, AVisibleOrOnlyMinimisedWindowKeepsTheDeletion) {
    for (bool minimise : {false, true}) {
        SCOPED_TRACE(minimise ? "minimised" : "visible");
        OpenAndDeleteRow(0);
        if (minimise)
            Minimise();
        ASSERT_TRUE(window->IsVisible());
        ChooseSettingsInTheTrayMenu();
        EXPECT_EQ(ListNames(), (Names{"f0", "f2"}));
        EXPECT_EQ(Store().GetDataNum(), 2);
    }
}

TEST_F(LifecycleTest, ExitStoresThePositionFreesTheMenuAndRemovesTheIcon) {
    WriteDataFile(folder.Path(), {{"G", KIND_GROUP, -1}});
    WriteOptions(Shown(), 10, 10);
    SettingsWindow& w = Open();
    SetWindowPos(Handle(), nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HMENU launcher = w.LauncherMenuHandle();
    HMENU submenu = GetSubMenu(launcher, 0);
    AddWorkingEntry("never committed");
    shell.calls.clear();
    Command(ID_SETTINGS_EXIT);
    EXPECT_EQ(nullptr, w.Handle());
    EXPECT_EQ(123, ReadIniInt(Ini(), "Info", "X"));
    EXPECT_EQ(77, ReadIniInt(Ini(), "Info", "Y"));
    EXPECT_FALSE(IsMenu(launcher));
    EXPECT_FALSE(IsMenu(submenu));
    EXPECT_EQ(std::vector<std::string>{"NIM_DELETE"}, shell.Functions());
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_EQ(1, EntriesInDataFile());
    EXPECT_EQ(nullptr, Application::Instance().MainWindow());
}

// A platform whose files cannot be written.
class UnwritablePlatform : public ForwardingPlatform {
public:
    UnwritablePlatform() : ForwardingPlatform(DefaultPlatform()) {}
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string&) override { return nullptr; }
    bool ReplaceFileAtomically(const std::string&, const std::string&) override { return false; }
};

TEST_F(LifecycleTest, AFailedSaveIsReportedAndTheMenuKeepsTheCommit) {
    WriteOptions(Shown());
    UnwritablePlatform platform;
    SettingsWindow& w = Open(&platform);
    AddWorkingEntry("unsaved");
    std::string text;
    ModalDriver driver([&](HWND box) {
        text = MessageText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    ASSERT_EQ(1, driver.Runs());
    EXPECT_TRUE(Contains(text, "データファイルを保存できませんでした。")) << text;
    EXPECT_TRUE(Contains(text, folder.File("Brindleway.bwz"))) << text;
    EXPECT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
    EXPECT_EQ(-1, EntriesInDataFile());
}

TEST_F(LifecycleTest, ASuccessfulCommitShowsNoMessage) {
    WriteOptions(Shown());
    Open();
    AddWorkingEntry("saved");
    ModalDriver driver([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    EXPECT_EQ(0, driver.Runs());
}

void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The one-step undo, Brindleway.bwz.bak, as the user meets it: an Apply
// that changes the table keeps the file before it as the backup; the Apply
// and the OK after it change nothing and leave the backup as it is (so the
// undo the help describes still gives the table before the change); the
// removal of broken entries keeps the file before the removal. The buttons
// of the settings window are clicked with the mouse, the options dialog's
// through its button control; the files are read from disk.
class UndoTest : public EditingTest {
protected:
    std::string Data() const { return folder.File("Brindleway.bwz"); }
    std::string Backup() const { return folder.File("Brindleway.bwz.bak"); }

    // A click of the mouse on the settings window's button; returns once
    // the window has taken it: the button's release has been fetched from
    // the queue, and everything it set off (message boxes included) has run.
    void ClickButton(int id) {
        RECT rect{};
        GetWindowRect(GetDlgItem(Handle(), id), &rect);
        POINT center{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ScreenToClient(Handle(), &center);
        released = false;
        HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, NoteRelease, nullptr, GetCurrentThreadId());
        real_input::ClickAt(Handle(), center);
        bool taken = PumpUntil([] { return released; });
        UnhookWindowsHookEx(hook);
        ASSERT_TRUE(taken);
        PumpMessages();
    }
    void ClickRow(int row) {
        RECT rect{LVIR_LABEL, 0, 0, 0};
        SendMessageA(List().Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        real_input::ClickAt(List().Handle(),
                            {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        ASSERT_TRUE(PumpUntil([&] { return SelectedRow() == row; }));
    }

private:
    static LRESULT CALLBACK NoteRelease(int code, WPARAM wParam, LPARAM lParam) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_LBUTTONUP)
            released = true;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline bool released = false;
};

TEST_F(UndoTest, TheBackupKeepsTheTableBeforeTheLastChange) {
    TempFolder files;
    std::string kept = files.File("kept.txt");
    std::string other = files.File("other.txt");
    for (const std::string& file : {kept, other})
        WriteBytes(file, "x");
    OpenShown({{"Kept", KIND_FILE, kParentTopLevel, kept.c_str()},
               {"Other", KIND_FILE, kParentTopLevel, other.c_str()},
               {"Gone", KIND_FILE, kParentTopLevel, "C:\\nowhere\\gone.txt"}});
    const std::string seeded = ReadBytes(Data());
    EXPECT_EQ("", ReadBytes(Backup()));

    ClickRow(1);
    ClickButton(IDC_DELETE);
    ASSERT_EQ(2, Store().GetDataNum());
    ClickButton(IDC_APPLY);
    const std::string applied = ReadBytes(Data());
    EXPECT_NE(seeded, applied);
    EXPECT_EQ(seeded, ReadBytes(Backup()));

    ClickButton(IDOK);
    ASSERT_FALSE(window->IsVisible());
    EXPECT_EQ(applied, ReadBytes(Data()));
    EXPECT_EQ(seeded, ReadBytes(Backup()));

    Command(ID_TRAY_SETTINGS);
    ASSERT_TRUE(window->IsVisible());
    ClickButton(IDC_APPLY);
    EXPECT_EQ(applied, ReadBytes(Data()));
    EXPECT_EQ(seeded, ReadBytes(Backup()));

    // The removal of broken entries, confirmed, then once more with
    // nothing left to remove.
    for (int round = 0; round < 2; ++round) {
        DialogScript script({[](HWND options) {
                                 SendDlgItemMessageA(options, IDC_OPT_REMOVE_BROKEN, BM_CLICK, 0,
                                                     0);
                                 SendDlgItemMessageA(options, IDOK, BM_CLICK, 0, 0);
                             },
                             [](HWND confirmation) { AnswerMessageBox(confirmation, IDOK); }});
        Command(ID_TOOLS_OPTIONS);
        EXPECT_EQ(2, script.Seen());
    }
    EXPECT_EQ(std::vector<std::string>{"Kept"}, TableOrder());
    const std::string removed = ReadBytes(Data());
    EXPECT_NE(applied, removed);
    EXPECT_EQ(applied, ReadBytes(Backup()));
}

// A backup that cannot be made (here the user made it read-only) does not
// block the save: the data file is saved, the backup stays as it was, and
// the user is told once why.
TEST_F(UndoTest, ABackupThatCannotBeMadeIsToldOnceAndTheDataFileIsSaved) {
    WriteDataFile(folder.Path(), {{"first", KIND_URL, kParentTopLevel, "https://example.org/"}});
    OpenShown({{"first", KIND_URL, kParentTopLevel, "https://example.org/"},
               {"second", KIND_URL, kParentTopLevel, "https://example.org/2"}});
    const std::string backup = ReadBytes(Backup());
    ASSERT_NE("", backup);
    SetFileAttributesA(Backup().c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<std::string> texts;
    ModalDriver driver([&](HWND box) {
        texts.push_back(MessageText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    for (const char* name : {"third", "fourth"}) {
        Store().InsertData(MakeEntry({name, KIND_URL, kParentTopLevel, "https://example.org/3"}),
                           -1);
        ClickButton(IDC_APPLY);
    }
    SetFileAttributesA(Backup().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(1u, texts.size());
    EXPECT_TRUE(Contains(texts[0], "バックアップ")) << texts[0];
    EXPECT_TRUE(Contains(texts[0], "読み取り専用")) << texts[0];
    EXPECT_TRUE(Contains(texts[0], Backup())) << texts[0];
    EXPECT_EQ(backup, ReadBytes(Backup()));
    ItemStore reader;
    reader.SetDirectory(folder.Path());
    ASSERT_EQ(1, reader.LoadData());
    EXPECT_EQ(4, reader.GetCommittedNum());
}

// Another program (a virus scanner at logon, when the Run key starts the
// launcher) holds the data file through every try at start; it lets go
// later.
class HeldAtStart : public ForwardingPlatform {
public:
    explicit HeldAtStart(std::string dataFile)
        : ForwardingPlatform(DefaultPlatform()), dataFile_(std::move(dataFile)) {}
    bool held = true;
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                             std::vector<unsigned char>* bytes) override {
        if (held && path == dataFile_) {
            bytes->clear();
            return ReadResult::InUse;
        }
        return inner_.ReadFileBytes(path, maxBytes, bytes);
    }
    bool CopyToNewFile(const std::string& source, const std::string& target) override {
        return !(held && source == dataFile_) && inner_.CopyToNewFile(source, target);
    }
    void Pause(unsigned) override {}

private:
    std::string dataFile_;
};

// The launcher started empty; the first Apply finds the file readable, and
// loads it instead of replacing it with the near-empty table: the window
// stays open over the entries read, and the user is told.
TEST_F(UndoTest, AFileHeldAtStartIsLoadedByTheFirstApplyInsteadOfReplaced) {
    WriteDataFile(folder.Path(), {{"first", KIND_URL, kParentTopLevel, "https://example.org/1"},
                                  {"second", KIND_URL, kParentTopLevel, "https://example.org/2"}});
    Options options{};
    options.opt1 = 1;
    WriteOptions(options);
    const std::string before = ReadBytes(Data());
    HeldAtStart platform(Data());
    std::vector<std::string> texts;
    // The settings window, shown at start, is a dialog too: only the
    // message boxes are answered.
    ModalDriver driver([&](HWND box) {
        if (!IsMessageBox(box))
            return;
        texts.push_back(MessageText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Open(&platform);
    ASSERT_EQ(1u, texts.size());
    EXPECT_TRUE(Contains(texts[0], "他のプログラムが使用")) << texts[0];
    EXPECT_EQ(0, List().Count());

    Store().InsertData(MakeEntry({"made meanwhile", KIND_URL, kParentTopLevel, "https://x/"}), -1);
    platform.held = false;
    ClickButton(IDOK);
    ASSERT_EQ(2u, texts.size());
    EXPECT_TRUE(Contains(texts[1], "読み込み直しました")) << texts[1];
    EXPECT_EQ(before, ReadBytes(Data()));
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(
        (std::vector<std::string>{"first|https://example.org/1", "second|https://example.org/2"}),
        Rows());
    EXPECT_EQ(2, GetMenuItemCount(window->LauncherMenuHandle()));
    EXPECT_EQ(std::vector<std::string>{}, [&] {
        std::vector<std::string> left;
        for (const char* name : {"Brindleway.bwz.unreadable", "Brindleway.bwz.damaged"})
            if (GetFileAttributesA(folder.File(name).c_str()) != INVALID_FILE_ATTRIBUTES)
                left.push_back(name);
        return left;
    }());
}

// The report names the copy kept of the damaged file and the backup, where
// the last table saved before it is.
TEST_F(LifecycleTest, ADamagedDataFileIsReportedOnceNamingTheKeptCopy) {
    WriteOptions();
    WriteDataFile(folder.Path(), {{"last good", KIND_GROUP, -1}});
    WriteDataFile(folder.Path(), {{"last good", KIND_GROUP, -1}, {"then", KIND_GROUP, -1}});
    const std::string backup = ReadBytes(folder.File("Brindleway.bwz.bak"));
    ASSERT_NE("", backup);
    WriteBytes(folder.File("Brindleway.bwz"), "not a data file");
    std::vector<std::string> texts;
    ModalDriver driver([&](HWND box) {
        texts.push_back(MessageText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SettingsWindow& w = Open();
    PumpMessages();
    ASSERT_EQ(1u, texts.size());
    const std::string& copy = w.Store().GetLoadReport().keptCopy;
    ASSERT_FALSE(copy.empty());
    EXPECT_TRUE(Contains(texts[0], copy)) << texts[0];
    EXPECT_TRUE(Contains(texts[0], folder.File("Brindleway.bwz.bak"))) << texts[0];
    EXPECT_EQ("not a data file", ReadBytes(copy));
    // No entry was loaded: the launcher menu holds its grayed placeholder.
    ASSERT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
    EXPECT_EQ(0u, GetMenuItemID(w.LauncherMenuHandle(), 0));
    EXPECT_TRUE(GetMenuState(w.LauncherMenuHandle(), 0, MF_BYPOSITION) & MF_GRAYED);
    // The first save does not push the last good table out of the backup.
    w.Store().InsertData(MakeEntry({"new", KIND_GROUP, -1}), -1);
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    EXPECT_EQ(backup, ReadBytes(folder.File("Brindleway.bwz.bak")));
    EXPECT_EQ(1, EntriesInDataFile());
}

TEST_F(LifecycleTest, AChecksumMismatchIsReportedAndTheEntriesAreShown) {
    WriteOptions();
    WriteDataFile(folder.Path(), {{"abc", KIND_URL, -1, "https://example.org/"}});
    std::string bytes = ReadBytes(folder.File("Brindleway.bwz"));
    size_t name = bytes.find("abc");
    ASSERT_NE(std::string::npos, name);
    bytes[name] = 'x';
    WriteBytes(folder.File("Brindleway.bwz"), bytes);
    std::vector<std::string> texts;
    ModalDriver driver([&](HWND box) {
        texts.push_back(MessageText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SettingsWindow& w = Open();
    ASSERT_EQ(1u, texts.size());
    EXPECT_TRUE(Contains(texts[0], w.Store().GetLoadReport().keptCopy)) << texts[0];
    EXPECT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
}

TEST_F(LifecycleTest, AGoodOrMissingDataFileIsNotReported) {
    WriteOptions();
    ModalDriver driver([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
    Open();
    WriteDataFile(folder.Path(), {{"fine", KIND_GROUP, -1}});
    Open();
    EXPECT_EQ(0, driver.Runs());
}

} // namespace
