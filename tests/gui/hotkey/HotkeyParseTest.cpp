// Reading the hotkey's text: every form a user writes, and what is refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tray/Hotkey.h"

namespace {

struct ParseCase {
    const char* text;
    UINT modifiers;
    UINT key;
};

constexpr UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

const ParseCase kReadable[] = {
    {"Ctrl+Alt+Space", kCtrlAlt, VK_SPACE},
    {"ctrl+alt+space", kCtrlAlt, VK_SPACE},
    {"CONTROL + ALT + SPACE", kCtrlAlt, VK_SPACE},
    {" Alt\t+ Ctrl +Space ", kCtrlAlt, VK_SPACE},
    {"Shift+Ctrl+A", MOD_SHIFT | MOD_CONTROL, 'A'},
    {"Win+z", MOD_WIN, 'Z'},
    {"Windows+E", MOD_WIN, 'E'},
    {"Alt+0", MOD_ALT, '0'},
    {"Ctrl+9", MOD_CONTROL, '9'},
    {"Ctrl+Alt+Shift+Win+K", kCtrlAlt | MOD_SHIFT | MOD_WIN, 'K'},
    {"Alt+F1", MOD_ALT, VK_F1},
    {"Ctrl+f12", MOD_CONTROL, VK_F12},
    {"Win+F24", MOD_WIN, VK_F24},
    {"F13", 0, VK_F13},
    {"Shift+F24", MOD_SHIFT, VK_F24},
    {"Ctrl+Alt+Enter", kCtrlAlt, VK_RETURN},
    {"Ctrl+Alt+Return", kCtrlAlt, VK_RETURN},
    {"Alt+Tab", MOD_ALT, VK_TAB},
    {"Ctrl+Esc", MOD_CONTROL, VK_ESCAPE},
    {"Ctrl+Escape", MOD_CONTROL, VK_ESCAPE},
    {"Ctrl+Alt+Backspace", kCtrlAlt, VK_BACK},
    {"Ctrl+Insert", MOD_CONTROL, VK_INSERT},
    {"Ctrl+Ins", MOD_CONTROL, VK_INSERT},
    {"Ctrl+Alt+Delete", kCtrlAlt, VK_DELETE},
    {"Ctrl+Alt+Del", kCtrlAlt, VK_DELETE},
    {"Alt+Home", MOD_ALT, VK_HOME},
    {"Alt+End", MOD_ALT, VK_END},
    {"Ctrl+PageUp", MOD_CONTROL, VK_PRIOR},
    {"Ctrl+PgUp", MOD_CONTROL, VK_PRIOR},
    {"Ctrl+PageDown", MOD_CONTROL, VK_NEXT},
    {"Ctrl+PgDn", MOD_CONTROL, VK_NEXT},
    {"Win+Up", MOD_WIN, VK_UP},
    {"Win+Down", MOD_WIN, VK_DOWN},
    {"Win+Left", MOD_WIN, VK_LEFT},
    {"Win+Right", MOD_WIN, VK_RIGHT},
    {"Ctrl+Pause", MOD_CONTROL, VK_PAUSE},
    {"Alt+PrintScreen", MOD_ALT, VK_SNAPSHOT},
    {"Ctrl+NumPad0", MOD_CONTROL, VK_NUMPAD0},
    {"Ctrl+numpad7", MOD_CONTROL, VK_NUMPAD7},
    {"Ctrl+Alt+,", kCtrlAlt, VK_OEM_COMMA},
    {"Ctrl+Alt+.", kCtrlAlt, VK_OEM_PERIOD},
    {"Ctrl+Alt+-", kCtrlAlt, VK_OEM_MINUS},
};

TEST(HotkeyParseTest, EveryWrittenFormGivesItsKeys) {
    for (const ParseCase& c : kReadable) {
        SCOPED_TRACE(c.text);
        HotkeyKeys keys;
        ASSERT_TRUE(ParseHotkey(c.text, &keys));
        EXPECT_EQ(c.modifiers, keys.modifiers);
        EXPECT_EQ(c.key, keys.key);
    }
}

TEST(HotkeyParseTest, AnythingElseIsRefusedAndLeavesTheKeysAlone) {
    const std::string refused[] = {
        "",
        " ",
        "+",
        "Ctrl+",
        "+Space",
        "Ctrl++Space",
        "Ctrl+Alt",       // no key
        "Ctrl+Ctrl+A",    // a modifier twice
        "Ctrl+A+B",       // two keys
        "Ctrl+Alt+Spase", // misspelt
        "Strg+Alt+Space",
        "Ctrl Alt Space",
        "Ctrl-Alt-Space",
        "Ctrl+F0",
        "Ctrl+F25",
        "Ctrl+F01",
        "Ctrl+F1F",
        "Ctrl+NumPad10",
        "Ctrl+NumPad",
        // Keys that would be taken from typing in every program.
        "A",
        "7",
        "Space",
        "Shift+A",
        "Shift+Space",
        "F5",
        "Enter",
        "Shift+F1",
        // Shift-JIS: full-width letters, a kana key name, a trail byte that
        // is '+'.
        "\x82\x62\x82\x94\x82\x92\x82\x8c+\x82\x60\x82\x8c\x82\x94+A",
        "Ctrl+Alt+\x83\x58\x83\x79\x81\x5b\x83\x58",
        "Ctrl+\x83\x2b",
        "Ctrl+Alt+\t",
        // Overlong: no hotkey is written like this.
        "Ctrl+Alt+" + std::string(60, ' ') + "Space",
        std::string(300, 'A'),
    };
    for (const std::string& text : refused) {
        SCOPED_TRACE(text);
        HotkeyKeys keys{0x1234, 0x56};
        EXPECT_FALSE(ParseHotkey(text, &keys));
        EXPECT_EQ((HotkeyKeys{0x1234, 0x56}), keys);
    }
}

TEST(HotkeyParseTest, TheDefaultIsCtrlAltSpace) {
    HotkeyKeys keys;
    ASSERT_TRUE(ParseHotkey(kDefaultLauncherHotkey, &keys));
    EXPECT_EQ((HotkeyKeys{kCtrlAlt, VK_SPACE}), keys);
}

} // namespace
