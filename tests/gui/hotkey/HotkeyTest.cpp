// The launcher hotkey as the user meets it: registered with the system at
// start from the settings file, pressed on the keyboard to open the launcher
// menu, refused with one message when another program holds its keys or
// its text cannot be read, and given back when the program ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "HotkeyKeys.h"
#include "resource.h"
#include "support/DialogDriving.h"
#include "support/Foreground.h"
#include "support/RealInput.h"
#include "support/SettingsWindowFixture.h"
#include "ui/Application.h"
#include "ui/SystemCalls.h"

namespace {

const std::vector<WORD> kCtrlAltSpace = {VK_CONTROL, VK_MENU, VK_SPACE};

// Whether a window of this process could take the keys now: false while
// someone holds them.
bool KeysAreFree(UINT modifiers, UINT key) {
    HWND probe = CreateWindowExA(0, "STATIC", "hotkey probe", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    bool free = RegisterHotKey(probe, 7, modifiers, key) != FALSE;
    if (free)
        UnregisterHotKey(probe, 7);
    DestroyWindow(probe);
    return free;
}

// The path of the settings file, as the message names it.
std::string IniPath(const TempFolder& folder) {
    return folder.File("Brindleway.ini");
}

void ExpectToldWhereToChange(const SeenMessage& seen, const std::string& ini) {
    EXPECT_EQ(Application::Instance().Name(), seen.caption);
    EXPECT_TRUE(seen.exclamation);
    EXPECT_NE(std::string::npos, seen.text.find("[Hotkey]")) << seen.text;
    EXPECT_NE(std::string::npos, seen.text.find("Launcher")) << seen.text;
    EXPECT_NE(std::string::npos, seen.text.find(ini)) << seen.text;
}

class HotkeyTest : public SettingsWindowTest {
protected:
    // The program's files: two entries, the options given and, unless
    // null, the hotkey's line.
    void Prepare(const char* hotkeyText, const Options& options = {}) {
        WriteDataFile(folder.Path(), {{"Tool", KIND_FILE, -1, "C:\\Tools\\tool.exe"},
                                      {"Site", KIND_URL, -1, "https://example.org/"}});
        WriteOptions(options);
        if (hotkeyText)
            WritePrivateProfileStringA("Hotkey", "Launcher", hotkeyText,
                                       folder.File("Brindleway.ini").c_str());
    }

    // Starts the window and answers every message box it shows at start.
    void OpenAnswering() {
        DialogScript script(std::vector<DialogScript::Step>(3, [this](HWND box) {
            iconsAtMessage.push_back(shell.icons.size());
            messages.push_back(AnswerMessageBox(box));
        }));
        Open();
    }

    // The menus that opened while the keys were pressed, once one did or
    // the time ran out.
    std::vector<HMENU> MenusOpenedByKeys(const std::vector<WORD>& keys) {
        MenuRecorder recorder(Handle());
        PressKeys(keys);
        PumpUntil([&] { return !recorder.opened.empty(); });
        keysReachTheMenu = recorder.keysReachTheMenu;
        return recorder.opened;
    }

    RealHotkeyCalls realCalls;
    std::vector<SeenMessage> messages;
    std::vector<size_t> iconsAtMessage;
    bool keysReachTheMenu = false;
};

// Without a hotkey in the settings file, Ctrl+Alt+Space opens the launcher
// menu, whichever button opt5 gives it on the icon, with a window of the
// program in the foreground to take the keys; nothing is told at start.
TEST_F(HotkeyTest, CtrlAltSpaceOpensTheLauncherMenuWhenNoneIsWritten) {
    for (int32_t opt5 : {0, 1}) {
        SCOPED_TRACE(opt5);
        Options options{};
        options.opt5 = opt5;
        Prepare(nullptr, options);
        messages.clear();
        OpenAnswering();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(HotkeyState::Registered, window->Hotkey().State());
        EXPECT_FALSE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_SPACE));

        OtherProgramWindow other;
        ASSERT_TRUE(other.PutInFront());
        std::vector<HMENU> opened = MenusOpenedByKeys(kCtrlAltSpace);
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ(window->LauncherMenuHandle(), opened[0]);
        EXPECT_TRUE(keysReachTheMenu);
        window.reset();
    }
}

// The keys written in the file are the ones that open the menu; the
// default's are left to other programs.
TEST_F(HotkeyTest, TheWrittenKeysOpenTheMenu) {
    Prepare(" shift + ctrl + F7 ");
    OpenAnswering();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_SPACE));
    EXPECT_FALSE(KeysAreFree(MOD_CONTROL | MOD_SHIFT, VK_F7));
    std::vector<HMENU> opened = MenusOpenedByKeys({VK_SHIFT, VK_CONTROL, VK_F7});
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(window->LauncherMenuHandle(), opened[0]);
}

// An empty value turns the hotkey off: its keys stay free, nothing is told.
TEST_F(HotkeyTest, AnEmptyValueTakesNoKeys) {
    Prepare("");
    OpenAnswering();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(HotkeyState::Off, window->Hotkey().State());
    EXPECT_TRUE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_SPACE));
}

// The keys go back to the system with the window.
TEST_F(HotkeyTest, TheKeysAreFreeAgainWhenTheProgramEnds) {
    Prepare("Ctrl+Alt+F8");
    OpenAnswering();
    ASSERT_FALSE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_F8));
    Command(ID_TRAY_EXIT);
    EXPECT_FALSE(IsWindow(Handle()));
    EXPECT_TRUE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_F8));
}

// While a dialog of the program is open, the hotkey opens no menu (its exit
// would end the program under the dialog); it brings the dialog to the
// front, as a click on the icon does.
TEST_F(HotkeyTest, WhileADialogIsOpenTheKeysBringItToTheFront) {
    Prepare(nullptr);
    OpenAnswering();
    HWND about = nullptr;
    bool otherWasInFront = false;
    bool dialogCameToFront = false;
    std::vector<HMENU> opened;
    ModalDriver driver([&](HWND dialog) {
        about = dialog;
        OtherProgramWindow other;
        otherWasInFront = other.PutInFront();
        MenuRecorder recorder(Handle());
        PressKeys(kCtrlAltSpace);
        dialogCameToFront = PumpUntil([&] { return GetForegroundWindow() == dialog; });
        opened = recorder.opened;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_TRAY_ABOUT);
    ASSERT_EQ(1, driver.Runs());
    ASSERT_TRUE(otherWasInFront);
    EXPECT_TRUE(dialogCameToFront);
    EXPECT_TRUE(opened.empty());
    // Once the dialog is closed, the keys open the menu again.
    EXPECT_EQ(1u, MenusOpenedByKeys(kCtrlAltSpace).size());
}

// Presses the keys once, as the first menu opens: the menu's loop takes
// them; closes the menu after a while should the keys not.
class KeysInTheOpenMenu {
public:
    KeysInTheOpenMenu(HWND window, std::vector<WORD> keys)
        : window_(window), keys_(keys), saved_(System()) {
        active_ = this;
        System().trackPopupMenu = Track;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
        timer_ = SetTimer(nullptr, 0, 5000, CloseMenu);
    }
    ~KeysInTheOpenMenu() {
        System().trackPopupMenu = saved_.trackPopupMenu;
        KillTimer(nullptr, timer_);
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    KeysInTheOpenMenu(const KeysInTheOpenMenu&) = delete;
    KeysInTheOpenMenu& operator=(const KeysInTheOpenMenu&) = delete;

    int menusOpened = 0;
    int menusTracked = 0;
    bool pressed = false;
    bool closedByTimer = false;

private:
    static BOOL WINAPI Track(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                             const RECT* rect) {
        ++active_->menusTracked;
        return TrackPopupMenu(menu, flags, x, y, reserved, owner, rect);
    }
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
        active_->closedByTimer = true;
        EndMenu();
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        KeysInTheOpenMenu& self = *active_;
        if (msg == WM_INITMENUPOPUP && self.menusOpened++ == 0) {
            self.pressed = true;
            PressKeys(self.keys_);
        }
        return CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
    }

    static inline KeysInTheOpenMenu* active_ = nullptr;
    HWND window_;
    std::vector<WORD> keys_;
    SystemCalls saved_;
    WNDPROC previous_ = nullptr;
    UINT_PTR timer_ = 0;
};

// The hotkey pressed while the launcher menu is open closes it, as it would
// close any hotkey launcher's menu; no second menu is tracked inside the
// first (Windows refuses that; Wine opened one inside the system menu).
TEST_F(HotkeyTest, TheKeysPressedAgainCloseTheOpenMenu) {
    Prepare(nullptr);
    OpenAnswering();
    OtherProgramWindow other;
    ASSERT_TRUE(other.PutInFront());
    KeysInTheOpenMenu keys(Handle(), kCtrlAltSpace);
    PressKeys(kCtrlAltSpace);
    // The menu is tracked inside the dispatch of the first hotkey message,
    // so it has closed by the time the pump looks again.
    ASSERT_TRUE(PumpUntil([&] { return keys.pressed; }, 20000));
    EXPECT_EQ(1, keys.menusOpened);
    EXPECT_EQ(1, keys.menusTracked);
    EXPECT_FALSE(keys.closedByTimer);
}

// Registration of the keys in the system's place: refuses what it is told
// to, and passes the rest to the system.
struct HotkeyRefusal {
    static inline UINT refusedModifier = 0; // refused when among the modifiers
    static inline DWORD error = 0;
    static inline std::vector<UINT> asked;
    static BOOL WINAPI Register(HWND window, int id, UINT modifiers, UINT key) {
        asked.push_back(modifiers);
        if (refusedModifier == 0 || (modifiers & refusedModifier)) {
            SetLastError(error);
            return FALSE;
        }
        return RegisterHotKey(window, id, modifiers, key);
    }
};

// A system that does not know the no-repeat flag (Windows Vista) refuses
// the keys with it: they are asked for again without it, and work.
TEST_F(HotkeyTest, KeysRefusedWithTheNoRepeatFlagAreTakenWithoutIt) {
    HotkeyRefusal::refusedModifier = MOD_NOREPEAT;
    HotkeyRefusal::error = ERROR_INVALID_PARAMETER;
    HotkeyRefusal::asked.clear();
    System().registerHotKey = HotkeyRefusal::Register;
    Prepare("Ctrl+Alt+F6");
    OpenAnswering();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(HotkeyState::Registered, window->Hotkey().State());
    EXPECT_NE(HotkeyRefusal::asked.end(),
              std::find(HotkeyRefusal::asked.begin(), HotkeyRefusal::asked.end(),
                        UINT{MOD_CONTROL | MOD_ALT}));
    std::vector<HMENU> opened = MenusOpenedByKeys({VK_CONTROL, VK_MENU, VK_F6});
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(window->LauncherMenuHandle(), opened[0]);
}

// Keys the system refuses for another reason than another program's hold
// are told as refused by the system, with its error, not as taken.
TEST_F(HotkeyTest, KeysRefusedByTheSystemAreToldInTheirOwnWords) {
    HotkeyRefusal::refusedModifier = 0;
    HotkeyRefusal::error = ERROR_ACCESS_DENIED;
    System().registerHotKey = HotkeyRefusal::Register;
    Prepare("Ctrl+Alt+F6");
    WritePrivateProfileStringA("Hotkey", "Find", "", IniPath(folder).c_str());
    OpenAnswering();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].text.find("ランチャーメニューを開くホットキー「Ctrl+Alt+F6」は、"
                                        "システムに登録できなかったため使えません (エラー 5)。"))
        << messages[0].text;
    EXPECT_EQ(std::string::npos, messages[0].text.find("他のプログラム"));
    ExpectToldWhereToChange(messages[0], IniPath(folder));
    EXPECT_EQ(HotkeyState::Refused, window->Hotkey().State());
}

// A value that is no hotkey is told once, after the tray icon is there,
// with the value as written; the program runs on without a hotkey.
TEST_F(HotkeyTest, AValueThatCannotBeReadIsToldOnceAsWritten) {
    const std::string values[] = {
        "Ctrl+Alt+Spase",
        "\x82\x62\x82\x94\x82\x92\x82\x8c+\x82\x60\x82\x8c\x82\x94+\x82\x72", // full width
        "Shift+A",
        "Ctrl+Alt+" + std::string(80, 'x'),
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        Prepare(value.c_str());
        messages.clear();
        iconsAtMessage.clear();
        OpenAnswering();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(1u, iconsAtMessage[0]);
        EXPECT_EQ(0u, messages[0].text.find("ランチャーメニューを開くホットキー「" + value +
                                            "」を読み取れないため"))
            << messages[0].text;
        ExpectToldWhereToChange(messages[0], IniPath(folder));
        EXPECT_EQ(HotkeyState::Unreadable, window->Hotkey().State());
        EXPECT_TRUE(IsWindow(Handle()));
        EXPECT_TRUE(KeysAreFree(MOD_CONTROL | MOD_ALT, VK_SPACE));
        window.reset();
        // The program leaves the value as the user wrote it.
        char kept[256] = {};
        GetPrivateProfileStringA("Hotkey", "Launcher", "", kept, sizeof kept,
                                 IniPath(folder).c_str());
        EXPECT_EQ(value.substr(0, 255), kept);
    }
}

// The search window's hotkey is read, refused and told like the launcher
// menu's, under its own key and words; the launcher's keys still work.
TEST_F(HotkeyTest, AFindValueThatCannotBeReadIsToldUnderItsOwnKey) {
    Prepare(nullptr);
    WritePrivateProfileStringA("Hotkey", "Find", "Ctrl+Alt+Fx", IniPath(folder).c_str());
    OpenAnswering();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].text.find(
                      "検索ウィンドウを開くホットキー「Ctrl+Alt+Fx」を読み取れないため"))
        << messages[0].text;
    EXPECT_NE(std::string::npos, messages[0].text.find("Find=Ctrl+Alt+F")) << messages[0].text;
    EXPECT_EQ(HotkeyState::Unreadable, window->FindHotkey().State());
    EXPECT_EQ(HotkeyState::Registered, window->Hotkey().State());
    EXPECT_TRUE(KeysAreFree(MOD_CONTROL | MOD_ALT, 'F'));
}

// Another program, run for the test: it holds the keys until released.
class SecondProgram {
public:
    SecondProgram(UINT modifiers, UINT key) {
        // Inherited by the second program, which is told their values.
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        held_ = CreateEventA(&inherited, TRUE, FALSE, nullptr);
        release_ = CreateEventA(&inherited, TRUE, FALSE, nullptr);
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string command = std::string("\"") + exe +
                              "\" --gtest_also_run_disabled_tests"
                              " --gtest_filter=HotkeyHolder.DISABLED_HoldsTheKeys";
        std::string keys = std::to_string(modifiers) + " " + std::to_string(key) + " " +
                           std::to_string(reinterpret_cast<uintptr_t>(held_)) + " " +
                           std::to_string(reinterpret_cast<uintptr_t>(release_));
        SetEnvironmentVariableA("BRINDLEWAY_TEST_HOLD", keys.c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process_) != FALSE;
        SetEnvironmentVariableA("BRINDLEWAY_TEST_HOLD", nullptr);
        if (started_)
            CloseHandle(process_.hThread);
    }
    ~SecondProgram() {
        SetEvent(release_);
        if (started_) {
            WaitForSingleObject(process_.hProcess, 30000);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(held_);
        CloseHandle(release_);
    }
    SecondProgram(const SecondProgram&) = delete;
    SecondProgram& operator=(const SecondProgram&) = delete;

    // Whether it took the keys (false when it ended instead).
    bool HoldsTheKeys() {
        if (!started_)
            return false;
        HANDLE both[] = {held_, process_.hProcess};
        return WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
    }

private:
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    bool started_ = false;
    PROCESS_INFORMATION process_{};
};

// Run only as the second program: takes the keys named in the environment
// for its own thread, says so and waits to be released.
TEST(HotkeyHolder, DISABLED_HoldsTheKeys) {
    char value[128] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA("BRINDLEWAY_TEST_HOLD", value, sizeof value));
    unsigned modifiers = 0, key = 0;
    unsigned long held = 0, release = 0;
    ASSERT_EQ(4, sscanf(value, "%u %u %lu %lu", &modifiers, &key, &held, &release));
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, modifiers, key));
    SetEvent(reinterpret_cast<HANDLE>(held));
    WaitForSingleObject(reinterpret_cast<HANDLE>(release), 120000);
    UnregisterHotKey(nullptr, 1);
}

// Keys another program holds are told once at start, named as written, and
// where to change them; the program runs on, and the other program keeps
// its keys.
TEST_F(HotkeyTest, KeysHeldByAnotherProgramAreToldOnce) {
    SecondProgram other(MOD_CONTROL | MOD_ALT, VK_F9);
    ASSERT_TRUE(other.HoldsTheKeys());
    Prepare("ctrl+alt+F9");
    OpenAnswering();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(1u, iconsAtMessage[0]);
    EXPECT_EQ(0u, messages[0].text.find("ランチャーメニューを開くホットキー「ctrl+alt+F9」は、"
                                        "他のプログラムが使用しているため使えません。"))
        << messages[0].text;
    ExpectToldWhereToChange(messages[0], IniPath(folder));
    EXPECT_EQ(HotkeyState::Taken, window->Hotkey().State());
    EXPECT_TRUE(IsWindow(Handle()));
    // The tray icon still opens the menu.
    MenuRecorder recorder(Handle());
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(1u, recorder.opened.size());
}

// Notepad, started for the test: another program's window, in a process of
// its own, that the user was typing in.
class Notepad {
public:
    Notepad() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        char command[] = "notepad.exe";
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return;
        CloseHandle(process_.hThread);
        WaitForInputIdle(process_.hProcess, 30000);
        PumpUntil([this] { return (window_ = Find()) != nullptr; }, 30000);
        edit_ = window_ ? FindWindowExA(window_, nullptr, "Edit", nullptr) : nullptr;
    }
    ~Notepad() {
        if (!process_.hProcess)
            return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 30000);
        CloseHandle(process_.hProcess);
    }
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    HWND Window() const { return window_; }
    // In front with the keyboard focus in its page, as after a click there.
    bool PutInFront() {
        return edit_ && PumpUntil([this] {
                   if (GetForegroundWindow() == window_ && FocusOfItsThread() == edit_)
                       return true;
                   SetForegroundWindow(window_);
                   return false;
               });
    }
    std::string Text() const {
        char text[256] = {};
        SendMessageA(edit_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }

private:
    struct Search {
        DWORD process;
        HWND found;
    };
    static BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        char cls[32] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (process != search->process || !IsWindowVisible(hwnd) || lstrcmpA(cls, "Notepad") != 0)
            return TRUE;
        search->found = hwnd;
        return FALSE;
    }
    HWND Find() const {
        Search search{process_.dwProcessId, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND FocusOfItsThread() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
        return info.hwndFocus;
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

// Types keys in the open menu, one at each of its pauses (WM_ENTERIDLE). A
// menu still open after the last key (the keys did not reach it), or ten
// seconds after it opened, is closed and counted, so the test fails
// instead of waiting.
class MenuKeys {
public:
    MenuKeys(HWND window, std::vector<WORD> keys) : window_(window), keys_(std::move(keys)) {
        active_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~MenuKeys() {
        KillTimer(nullptr, timer_);
        if (IsWindow(window_))
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    MenuKeys(const MenuKeys&) = delete;
    MenuKeys& operator=(const MenuKeys&) = delete;

    bool opened = false;
    bool leftOpen = false;
    bool closed = false;

private:
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
        active_->leftOpen = true;
        EndMenu();
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        MenuKeys& self = *active_;
        if (msg == WM_INITMENUPOPUP && !self.opened) {
            self.opened = true;
            self.timer_ = SetTimer(nullptr, 0, 10000, CloseMenu);
        }
        if (msg == WM_EXITMENULOOP)
            self.closed = true;
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
            if (self.next_ < self.keys_.size()) {
                real_input::PressKey(self.keys_[self.next_++]);
            } else {
                self.leftOpen = true;
                EndMenu();
            }
        }
        return CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
    }

    static inline MenuKeys* active_ = nullptr;
    HWND window_;
    std::vector<WORD> keys_;
    size_t next_ = 0;
    WNDPROC previous_ = nullptr;
    UINT_PTR timer_ = 0;
};

// Notepad in front, typed into; the settings window hidden (at start, and
// again after it was shown and closed with OK). The hotkey, or the tray
// icon's click as the shell sends it, opens the launcher menu, and the keys
// typed then go to the menu, not to Notepad: Down and Enter open the
// highlighted entry, a letter the only entry starting with it, Esc closes
// the menu and gives the keys back to Notepad. Under Wine, keys sent with
// SendInput reach the program's thread even while a hidden window of it is
// in the foreground, whereas keys from the X server (xdotool, a real
// keyboard) are lost then: the end-to-end journey of the hotkey shows that
// those reach the menu. Here, a menu owned by the hidden window left that
// window in the foreground after Esc, and Notepad got no more keys.
TEST_F(HotkeyTest, WithNotepadInFrontTheKeysTypedGoToTheMenu) {
    WriteDataFile(folder.Path(), {{"Calc", KIND_FILE, -1, "C:\\Tools\\calc.exe"},
                                  {"Web", KIND_URL, -1, "https://example.org/"},
                                  {"Notes", KIND_FILE, -1, "C:\\Tools\\notes.exe"}});
    WriteOptions();
    OpenAnswering();
    Notepad notepad;
    ASSERT_NE(nullptr, notepad.Window());
    ASSERT_TRUE(notepad.PutInFront());
    real_input::PressKey('M');
    ASSERT_TRUE(PumpUntil([&] { return notepad.Text() == "m"; }));

    struct KeysCase {
        const char* title;
        std::vector<WORD> keys;
        std::vector<std::string> opened;
    } cases[] = {
        {"Down, Down, Enter", {VK_DOWN, VK_DOWN, VK_RETURN}, {"https://example.org/"}},
        {"a letter", {'N'}, {"C:\\Tools\\notes.exe"}},
        {"Esc", {VK_ESCAPE}, {}},
    };
    for (bool fromTheIcon : {false, true}) {
        if (fromTheIcon) {
            // Shown from the system menu, closed with OK: hidden again.
            Command(ID_TRAY_SETTINGS);
            ASSERT_TRUE(window->IsVisible());
            Command(IDOK, BN_CLICKED, GetDlgItem(Handle(), IDOK));
            ASSERT_FALSE(window->IsVisible());
        }
        for (const KeysCase& test : cases) {
            SCOPED_TRACE(std::string(test.title) + (fromTheIcon ? ", tray icon" : ", hotkey"));
            ASSERT_TRUE(notepad.PutInFront());
            shell.calls.clear();
            MenuKeys keys(Handle(), test.keys);
            if (fromTheIcon)
                PostMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
            else
                PressKeys(kCtrlAltSpace);
            // Generous: a loaded machine can be slow, and nothing here is
            // timed.
            ASSERT_TRUE(PumpUntil([&] { return keys.opened; }, 30000)) << "no menu opened";
            ASSERT_TRUE(PumpUntil([&] { return keys.closed; }, 30000));
            EXPECT_FALSE(keys.leftOpen) << "the keys did not reach the menu";
            std::vector<std::string> opened;
            for (const ShellCall& call : shell.Of("ShellExecuteEx"))
                opened.push_back(call.file);
            EXPECT_EQ(test.opened, opened);
            EXPECT_EQ("m", notepad.Text()) << "Notepad got keys typed in the menu";
        }
        // After Esc, the keys go to Notepad again.
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == notepad.Window(); }));
    }
    real_input::PressKey('K');
    EXPECT_TRUE(PumpUntil([&] { return notepad.Text() == "mk"; }));
}

} // namespace
