// The search window as the user meets it: opened by its hotkey over another
// program, text typed into its edit box (Japanese text pasted, as an input
// method or the clipboard gives it), the entry found started with Enter or a
// click, with Ctrl+Shift as administrator and with Shift shown in its
// folder; closed by Esc, by a click elsewhere and by the hotkey again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HotkeyKeys.h"
#include "support/Foreground.h"
#include "support/RealInput.h"
#include "support/SettingsWindowFixture.h"

namespace {

using Names = std::vector<std::string>;

const std::vector<WORD> kCtrlAltF = {VK_CONTROL, VK_MENU, 'F'};

// メモ帳 three groups down, by a path relative to the program's folder.
const std::vector<EntryRow> kEntries = {
    {"ツール", KIND_GROUP, -1},
    {"画像", KIND_GROUP, 0},
    {"メモ", KIND_GROUP, 1},
    {"メモ帳", KIND_FILE, 2, "\"tools\\memo.exe\" -new"},
    {"Calc", KIND_FILE, -1, "C:\\Windows\\calc.exe"},
    {"ソフト", KIND_URL, -1, "https://example.org/soft"},
    {"Memory", KIND_FILE, 0, "C:\\Tools\\memory.exe"},
};

class SearchWindowTest : public SettingsWindowTest {
protected:
    void OpenWith(const std::vector<EntryRow>& entries = kEntries) {
        WriteDataFile(folder.Path(), entries);
        WriteOptions();
        Open();
        ASSERT_EQ(HotkeyState::Registered, window->FindHotkey().State());
    }
    SearchWindow& Search() { return window->Search(); }
    // The names of the entries the list shows; "-" for the line that says
    // nothing was found.
    std::vector<std::string> Shown() {
        std::vector<std::string> names;
        for (int index : Search().ShownEntries())
            names.push_back(index < 0 ? "-" : window->Store().GetCommittedData(index)->name);
        return names;
    }
    std::string Typed() { return Window(Search().EditBox()).Text(); }

    // Presses the find hotkey with another program in front; true once the
    // window is open with the keyboard in its edit box.
    bool OpenedByKeys() {
        EXPECT_TRUE(other.PutInFront());
        PressKeys(kCtrlAltF);
        return PumpUntil([&] {
            return Search().IsOpen() && GetForegroundWindow() == Search().Handle() &&
                   GetFocus() == Search().EditBox();
        });
    }
    // Types ASCII letters key by key into whatever has the keyboard.
    void TypeLetters(const std::string& letters) {
        std::string expected = Typed() + letters;
        for (char c : letters)
            real_input::PressKey(static_cast<WORD>(c >= 'a' ? c - 'a' + 'A' : c));
        EXPECT_TRUE(PumpUntil([&] { return Typed() == expected; })) << Typed();
    }
    // Puts the text on the clipboard and pastes it with Ctrl+V, as text from
    // another program or an input method's candidate reaches the box.
    void Paste(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        SetClipboardData(CF_TEXT, memory);
        CloseClipboard();
        std::string expected = Typed() + text;
        PressKeys({VK_CONTROL, 'V'});
        EXPECT_TRUE(PumpUntil([&] { return Typed() == expected; })) << Typed();
    }
    // Presses Enter with the modifiers held; the shell calls it led to.
    std::vector<ShellCall> Enter(std::vector<WORD> modifiers = {}) {
        shell.calls.clear();
        modifiers.push_back(VK_RETURN);
        PressKeys(modifiers);
        PumpUntil([&] { return !shell.calls.empty(); });
        return shell.calls;
    }

    RealHotkeyCalls realCalls;
    OtherProgramWindow other;
};

// The user's road of the issue: Ctrl+Alt+F over another program, "memo"
// typed, Enter: メモ帳 starts from three groups down, exactly as the menu
// starts it (relative path resolved, arguments apart, its own folder).
TEST_F(SearchWindowTest, CtrlAltFMemoAndEnterStartTheEntryThreeGroupsDown) {
    OpenWith();
    ASSERT_TRUE(OpenedByKeys());
    EXPECT_TRUE(Shown().empty());
    TypeLetters("memo");
    EXPECT_EQ(Names({"メモ帳", "Memory"}), Shown());
    std::vector<ShellCall> calls = Enter();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("ShellExecuteEx", calls[0].function);
    EXPECT_EQ("open", calls[0].verb);
    EXPECT_EQ(folder.File("tools\\memo.exe"), calls[0].file);
    EXPECT_EQ("-new", calls[0].parameters);
    EXPECT_EQ(folder.File("tools"), calls[0].directory);
    EXPECT_FALSE(Search().IsOpen());
}

// Japanese as the input method gives it, pasted into the box: hiragana find
// the katakana name; Down moves to the next row and Enter starts that one.
TEST_F(SearchWindowTest, HiraganaPastedFindTheKatakanaName) {
    OpenWith();
    ASSERT_TRUE(OpenedByKeys());
    Paste("めも");
    EXPECT_EQ(Names({"メモ帳"}), Shown());
    std::vector<ShellCall> calls = Enter();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(folder.File("tools\\memo.exe"), calls[0].file);

    ASSERT_TRUE(OpenedByKeys());
    EXPECT_EQ("", Typed()); // it opens empty
    TypeLetters("me");
    EXPECT_EQ(Names({"メモ帳", "Memory"}), Shown());
    real_input::PressKey(VK_DOWN);
    calls = Enter();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("C:\\Tools\\memory.exe", calls[0].file);
}

// What the list shows for a text: nothing for none, one line when nothing
// is found, never a group.
TEST_F(SearchWindowTest, TheListShowsWhatTheTextFinds) {
    OpenWith();
    ASSERT_TRUE(OpenedByKeys());
    struct Case {
        const char* text;
        Names shown;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"calc", {"Calc"}},
        {"ｿﾌﾄ", {"ソフト"}},
        {"sofuto", {"ソフト"}},
        {"ﾒﾓ", {"メモ帳"}},
        {"ツール", {"-"}}, // a group is no result
        {"画像", {"-"}},
        {"xyz", {"-"}},
        {"MEMO", {"メモ帳", "Memory"}},
        {"tools", {"メモ帳", "Memory"}}, // in the paths only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetWindowTextA(Search().EditBox(), c.text);
        EXPECT_EQ(c.shown, Shown());
    }
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
}

// Esc, a click in another window and the hotkey pressed again close it;
// nothing starts.
TEST_F(SearchWindowTest, EscAClickElsewhereAndTheHotkeyAgainCloseIt) {
    OpenWith();
    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("calc");
    real_input::PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !Search().IsOpen(); }));

    ASSERT_TRUE(OpenedByKeys());
    real_input::ClickAt(other.Handle(), {10, 10});
    EXPECT_TRUE(PumpUntil([&] { return !Search().IsOpen(); }));

    ASSERT_TRUE(OpenedByKeys());
    PressKeys(kCtrlAltF);
    EXPECT_TRUE(PumpUntil([&] { return !Search().IsOpen(); }));
    EXPECT_TRUE(shell.Of("ShellExecuteEx").empty());
}

// Ctrl+Shift+Enter asks the shell to run the program as administrator;
// Shift+Enter asks it to show the file selected in its folder; a click with
// Shift on a row does the same.
TEST_F(SearchWindowTest, CtrlShiftRunsAsAdministratorShiftShowsTheFile) {
    std::string tool = folder.File("tool.exe");
    HANDLE file = CreateFileA(tool.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(file);
    CreateDirectoryA(folder.File("Stuff").c_str(), nullptr);
    OpenWith({{"Tool", KIND_FILE, -1, "tool.exe"},
              {"Stuff", KIND_FILE, -1, "Stuff"},
              {"Site", KIND_URL, -1, "https://example.org/"}});

    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("tool");
    std::vector<ShellCall> calls = Enter({VK_CONTROL, VK_SHIFT});
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("runas", calls[0].verb);
    EXPECT_EQ(tool, calls[0].file);

    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("tool");
    calls = Enter({VK_SHIFT});
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("SHOpenFolderAndSelectItems", calls[0].function);
    EXPECT_EQ(tool, calls[0].file);

    // A folder entry opens the folder itself.
    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("stuff");
    calls = Enter({VK_SHIFT});
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("open", calls[0].verb);
    EXPECT_EQ(folder.File("Stuff"), calls[0].file);

    // A click with Shift held on the row.
    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("tool");
    shell.calls.clear();
    RECT row{};
    SendMessageA(Search().List(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    INPUT shift{};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_SHIFT;
    SendInput(1, &shift, sizeof shift);
    real_input::ClickAt(Search().List(), {row.left + 40, (row.top + row.bottom) / 2});
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
    ASSERT_TRUE(PumpUntil([&] { return !shell.calls.empty(); }));
    EXPECT_EQ("SHOpenFolderAndSelectItems", shell.calls[0].function);
    EXPECT_EQ(tool, shell.calls[0].file);

    // A URL has no folder: it is opened, and runs as nobody else.
    ASSERT_TRUE(OpenedByKeys());
    TypeLetters("site");
    calls = Enter({VK_CONTROL, VK_SHIFT});
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("open", calls[0].verb);
    EXPECT_EQ("https://example.org/", calls[0].file);
}

// The launcher menu's hotkey pressed while the search window is open closes
// it and opens no menu.
TEST_F(SearchWindowTest, TheLauncherHotkeyClosesTheSearchWindow) {
    OpenWith();
    ASSERT_TRUE(OpenedByKeys());
    MenuRecorder recorder(Handle());
    PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
    EXPECT_TRUE(PumpUntil([&] { return !Search().IsOpen(); }));
    EXPECT_TRUE(recorder.opened.empty());
}

} // namespace
