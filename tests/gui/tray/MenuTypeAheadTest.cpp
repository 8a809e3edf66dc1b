// Type-ahead in the launcher menu: what the settings window answers when a
// character is typed in the menu or one of its submenus, then keys typed in
// the real menu that a click on the tray icon opens.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TraySupport.h"
#include "support/RealInput.h"
#include "support/SettingsWindowFixture.h"
#include "tray/LauncherMenu.h"

namespace {

// The top level reads: Firefox, Ｆｉｌｅｓ, Group{Notepad, Empty{(なし)}},
// アプリ, Apple, １番, fax.
const std::vector<EntryRow> kEntries = {
    {"Firefox", KIND_FILE, -1, "C:\\Apps\\firefox.exe"},
    {"Ｆｉｌｅｓ", KIND_FILE, -1, "C:\\Apps\\files.exe"},
    {"Group", KIND_GROUP, -1},
    {"Notepad", KIND_FILE, 2, "C:\\Apps\\notepad.exe"},
    {"Empty", KIND_GROUP, 2},
    {"アプリ", KIND_FILE, -1, "C:\\Apps\\app.exe"},
    {"Apple", KIND_URL, -1, "https://example.org/apple"},
    {"１番", KIND_FILE, -1, "C:\\Apps\\one.exe"},
    {"fax", KIND_URL, -1, "https://example.org/fax"},
};

enum class Menu { Top, Group, Empty };

constexpr LRESULT Ignore = MAKELRESULT(0, MNC_IGNORE);
constexpr LRESULT Execute(int position) {
    return MAKELRESULT(position, MNC_EXECUTE);
}
constexpr LRESULT Select(int position) {
    return MAKELRESULT(position, MNC_SELECT);
}

struct MenuCharCase {
    const char* title;
    Menu menu;
    int highlighted; // -1: none
    // What the system passes, one message each: a byte, or a double-byte
    // character with its lead byte high. The last one's answer counts; the
    // ones before it must answer nothing.
    std::vector<WORD> typed;
    LRESULT expected;
};

const MenuCharCase kMenuCharCases[] = {
    {"no item begins with it", Menu::Top, -1, {'q'}, Ignore},
    {"a digit no item begins with", Menu::Top, -1, {'2'}, Ignore},
    {"a group, the only one with its letter, opens", Menu::Top, -1, {'g'}, Execute(2)},
    {"capitals find small letters", Menu::Top, 3, {'G'}, Execute(2)},
    {"several: the first from the top", Menu::Top, -1, {'f'}, Select(0)},
    {"several: the next after the highlighted one, full-width alike",
     Menu::Top,
     0,
     {'F'},
     Select(1)},
    {"several: past the other items", Menu::Top, 1, {'f'}, Select(6)},
    {"several: round to the top after the last", Menu::Top, 6, {'f'}, Select(0)},
    {"several: from a highlighted item that does not match", Menu::Top, 3, {'f'}, Select(6)},
    {"a full-width digit is found by its digit", Menu::Top, -1, {'1'}, Execute(5)},
    {"a letter does not find a kana whose trail byte it is", Menu::Top, -1, {'a'}, Execute(4)},
    {"a kana typed byte by byte finds its item", Menu::Top, -1, {0x83, 0x41}, Execute(3)},
    {"a kana typed in one message finds its item", Menu::Top, -1, {0x8341}, Execute(3)},
    {"a full-width letter typed finds the letters", Menu::Top, 0, {0x8265}, Select(1)},
    {"a half-width kana finds its full-width form", Menu::Top, -1, {0xB1}, Execute(3)},
    {"a lone lead byte chooses nothing", Menu::Top, -1, {0x82}, Ignore},
    {"in a submenu", Menu::Group, -1, {'n'}, Execute(0)},
    {"a group in a submenu opens", Menu::Group, 0, {'E'}, Execute(1)},
    {"the placeholder of an empty group is passed over", Menu::Empty, -1, {'('}, Ignore},
    {"control characters choose nothing", Menu::Top, -1, {'\t'}, Ignore},
};

void Highlight(HMENU menu, int position, bool on) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    info.fState = on ? (info.fState | MFS_HILITE) : (info.fState & ~MFS_HILITE);
    SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
}

class MenuTypeAheadTest : public SettingsWindowTest {
protected:
    void OpenWithEntries(const std::vector<EntryRow>& entries = kEntries) {
        WriteDataFile(folder.Path(), entries);
        WriteOptions();
        Open();
    }
    HMENU MenuOf(Menu which) const {
        HMENU top = window->LauncherMenuHandle();
        HMENU group = GetSubMenu(top, 2);
        switch (which) {
        case Menu::Top:
            return top;
        case Menu::Group:
            return group;
        case Menu::Empty:
            return GetSubMenu(group, 1);
        }
        return nullptr;
    }
    // Clicks the tray icon's launcher button; the menu closes as soon as it
    // is idle.
    void ReopenMenu() {
        MenuRecorder closer(Handle());
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        ASSERT_EQ(1u, closer.opened.size());
    }
    LRESULT MenuChar(WORD typed, HMENU menu) {
        return SendMessageA(Handle(), WM_MENUCHAR, MAKEWPARAM(typed, MF_POPUP),
                            reinterpret_cast<LPARAM>(menu));
    }
};

TEST_F(MenuTypeAheadTest, TheWindowAnswersCharactersTypedInTheLauncherMenu) {
    OpenWithEntries();
    for (const MenuCharCase& test : kMenuCharCases) {
        SCOPED_TRACE(test.title);
        HMENU menu = MenuOf(test.menu);
        ASSERT_NE(nullptr, menu);
        if (test.highlighted >= 0)
            Highlight(menu, test.highlighted, true);
        for (size_t i = 0; i + 1 < test.typed.size(); ++i)
            EXPECT_EQ(Ignore, MenuChar(test.typed[i], menu));
        LRESULT answer = MenuChar(test.typed.back(), menu);
        EXPECT_EQ(HIWORD(test.expected), HIWORD(answer));
        EXPECT_EQ(LOWORD(test.expected), LOWORD(answer));
        if (test.highlighted >= 0)
            Highlight(menu, test.highlighted, false);
        // A lead byte left waiting is forgotten when the menu opens again.
        ReopenMenu();
    }
}

// A lead byte waits for its trail byte in the menu it was typed in only,
// and a menu opened afresh forgets it: the next letter is a letter.
TEST_F(MenuTypeAheadTest, ALeadByteWaitsOnlyForTheNextByteOfItsMenu) {
    OpenWithEntries();
    HMENU top = MenuOf(Menu::Top);
    EXPECT_EQ(Ignore, MenuChar(0x83, top));
    EXPECT_EQ(Execute(0), MenuChar('n', MenuOf(Menu::Group)));
    EXPECT_EQ(Execute(4), MenuChar('a', top));

    EXPECT_EQ(Ignore, MenuChar(0x83, top));
    EXPECT_EQ(Execute(3), MenuChar(0x41, top));
    EXPECT_EQ(Execute(4), MenuChar(0x41, top));

    EXPECT_EQ(Ignore, MenuChar(0x83, top));
    ReopenMenu();
    EXPECT_EQ(Execute(4), MenuChar('a', top));
}

// Drives the menu the tray opens: at each pause of the menu (WM_ENTERIDLE)
// the next step runs, typing keys; after the last the menu is closed. The
// menus that open and the window's answers to typed characters are kept.
class MenuDriver {
public:
    MenuDriver(HWND window, std::vector<std::function<void()>> steps)
        : window_(window), steps_(std::move(steps)) {
        active_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
        // A menu that never pauses is closed anyway, and the test fails on
        // what did not happen.
        timer_ = SetTimer(nullptr, 0, 5000, CloseMenu);
    }
    ~MenuDriver() {
        KillTimer(nullptr, timer_);
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;

    std::vector<HMENU> opened;
    std::vector<LRESULT> answers;

private:
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        MenuDriver& self = *active_;
        if (msg == WM_INITMENUPOPUP)
            self.opened.push_back(reinterpret_cast<HMENU>(wParam));
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
            if (self.next_ < self.steps_.size())
                self.steps_[self.next_++]();
            else
                EndMenu();
        }
        LRESULT result = CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
        if (msg == WM_MENUCHAR)
            self.answers.push_back(result);
        return result;
    }

    static inline MenuDriver* active_ = nullptr;
    HWND window_;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    WNDPROC previous_ = nullptr;
    UINT_PTR timer_ = 0;
};

class TypingInTheMenuTest : public MenuTypeAheadTest {
protected:
    // Clicks the tray icon's launcher button, so that the driver's keys are
    // typed in the menu, then lets the chosen command arrive.
    void ClickAndType() {
        shell.calls.clear();
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        PumpMessages();
    }
    static std::function<void()> Type(WORD key) {
        return [key] { real_input::PressKey(key); };
    }
    // Types the keys and then Enter in the menu the tray opens; what the
    // shell was asked to open.
    std::vector<std::string> RunAfterTyping(const std::vector<WORD>& keys) {
        std::vector<std::function<void()>> steps;
        for (WORD key : keys)
            steps.push_back(Type(key));
        steps.push_back(Type(VK_RETURN));
        MenuDriver driver(Handle(), std::move(steps));
        ClickAndType();
        std::vector<std::string> files;
        for (const ShellCall& call : shell.Of("ShellExecuteEx"))
            files.push_back(call.file);
        return files;
    }
    using Files = std::vector<std::string>;
};

TEST_F(TypingInTheMenuTest, TheOnlyItemWithTheLetterTypedRunsAtOnce) {
    OpenWithEntries();
    MenuDriver driver(Handle(), {Type('A')});
    ClickAndType();
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("https://example.org/apple", calls[0].file);
    ASSERT_EQ(1u, driver.answers.size());
    EXPECT_EQ(Execute(4), driver.answers[0]);
}

// The group's letter opens its submenu; a letter typed there runs its entry.
TEST_F(TypingInTheMenuTest, AGroupsLetterOpensItAndALetterThereRunsTheEntry) {
    OpenWithEntries();
    MenuDriver driver(Handle(), {Type('G'), Type('N')});
    ClickAndType();
    ASSERT_EQ(2u, driver.opened.size());
    EXPECT_EQ(window->LauncherMenuHandle(), driver.opened[0]);
    EXPECT_EQ(MenuOf(Menu::Group), driver.opened[1]);
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("C:\\Apps\\notepad.exe", calls[0].file);
}

// The arrow keys move the highlight as the system provides; the letter then
// chooses the next item with it after the highlighted one. Nothing runs.
TEST_F(TypingInTheMenuTest, ALetterOfSeveralItemsChoosesTheNextAfterTheHighlightedOne) {
    OpenWithEntries();
    MenuDriver driver(Handle(), {Type(VK_DOWN), Type('F')});
    ClickAndType();
    ASSERT_EQ(1u, driver.answers.size());
    EXPECT_EQ(Select(1), driver.answers[0]);
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
}

// Each letter shared by several items moves the highlight to the next of
// them, where Enter runs it, whether the system moves it on the window's
// answer or the window has to move it itself.
TEST_F(TypingInTheMenuTest, ALetterTypedAgainMovesOnToTheNextItemWithItAndEnterRunsIt) {
    OpenWithEntries();
    EXPECT_EQ(Files({"C:\\Apps\\files.exe"}), RunAfterTyping({'F', 'F'}));
    // Past the group and the kana.
    EXPECT_EQ(Files({"https://example.org/fax"}), RunAfterTyping({'F', 'F', 'F'}));
    EXPECT_EQ(Files({"C:\\Apps\\firefox.exe"}), RunAfterTyping({'F', 'F', 'F', 'F'}));
}

// In a submenu as at the top: the group's letter opens it with its first
// item highlighted, the letters there move on from it.
TEST_F(TypingInTheMenuTest, ALetterTypedAgainInASubmenuMovesOnThere) {
    OpenWithEntries({
        {"Tools", KIND_GROUP, -1},
        {"Nano", KIND_FILE, 0, "C:\\Tools\\nano.exe"},
        {"Make", KIND_FILE, 0, "C:\\Tools\\make.exe"},
        {"Notes", KIND_FILE, 0, "C:\\Tools\\notes.exe"},
        {"Mail", KIND_FILE, -1, "C:\\Apps\\mail.exe"},
    });
    EXPECT_EQ(Files({"C:\\Tools\\notes.exe"}), RunAfterTyping({'T', 'N'}));
    EXPECT_EQ(Files({"C:\\Tools\\nano.exe"}), RunAfterTyping({'T', 'N', 'N'}));
    EXPECT_EQ(Files({"C:\\Tools\\make.exe"}), RunAfterTyping({'T', 'N', VK_UP}));
}

// The arrow keys go on from the item a letter chose.
TEST_F(TypingInTheMenuTest, TheArrowKeysGoOnFromTheItemALetterChose) {
    OpenWithEntries();
    EXPECT_EQ(Files({"C:\\Apps\\files.exe"}), RunAfterTyping({'F', VK_DOWN}));
    EXPECT_EQ(Files({"C:\\Apps\\one.exe"}), RunAfterTyping({'F', 'F', 'F', VK_UP}));
}

// Keys held together: pressed in order, let go in reverse.
std::function<void()> Chord(std::vector<WORD> keys) {
    return [keys] {
        std::vector<INPUT> inputs(keys.size() * 2);
        for (size_t i = 0; i < keys.size(); ++i) {
            inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
            inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    };
}

// Shift with Enter on an entry asks the shell to show the file selected in
// its folder; Ctrl+Shift with a click runs it as administrator.
TEST_F(TypingInTheMenuTest, ShiftShowsTheFileInItsFolderCtrlShiftRunsAsAdministrator) {
    std::string tool = folder.File("tool.exe");
    CloseHandle(CreateFileA(tool.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    OpenWithEntries({{"Tool", KIND_FILE, -1, "tool.exe"}});
    {
        MenuDriver driver(Handle(), {Type(VK_DOWN), Chord({VK_SHIFT, VK_RETURN})});
        ClickAndType();
    }
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ("SHOpenFolderAndSelectItems", shell.calls[0].function);
    EXPECT_EQ(tool, shell.calls[0].file);
    // Ctrl+Shift with a click: Wine's menus choose on Enter's character,
    // which Ctrl turns into a line feed they ignore (Windows' act on the
    // key itself), so Ctrl+Shift+Enter is left to the search window's test.
    HMENU menu = window->LauncherMenuHandle();
    auto clickWithCtrlShift = [menu] {
        RECT item{};
        GetMenuItemRect(nullptr, menu, 0, &item);
        POINT center{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        INPUT keys[2] = {};
        for (INPUT& key : keys)
            key.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = VK_CONTROL;
        keys[1].ki.wVk = VK_SHIFT;
        SendInput(2, keys, sizeof keys[0]);
        SetCursorPos(center.x, center.y);
        real_input::MoveTo(center);
        real_input::LeftButton(true);
        real_input::LeftButton(false);
        keys[0].ki.dwFlags = keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof keys[0]);
    };
    {
        MenuDriver driver(Handle(), {clickWithCtrlShift});
        ClickAndType();
    }
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ("ShellExecuteEx", shell.calls[0].function);
    EXPECT_EQ("runas", shell.calls[0].verb);
    EXPECT_EQ(tool, shell.calls[0].file);
}

// Enter still runs the highlighted item.
TEST_F(TypingInTheMenuTest, EnterRunsTheHighlightedItem) {
    OpenWithEntries();
    MenuDriver driver(Handle(), {Type(VK_DOWN), Type(VK_RETURN)});
    ClickAndType();
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("C:\\Apps\\firefox.exe", calls[0].file);
}

} // namespace
