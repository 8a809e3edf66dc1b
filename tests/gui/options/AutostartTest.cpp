// The window-free rules of starting with the computer: the comparison of the
// Run value with the program path, the state it gives and the toggle.
#include <gtest/gtest.h>

#include "dialogs/Autostart.h"
#include "dialogs/MultiByteCompare.h"

namespace {

constexpr UINT kShiftJis = 932;

struct Comparison {
    const char* a;
    const char* b;
    bool equal;
};

// Source text is compiled to Shift-JIS: ア is 83 41, ヂ is 83 61 (the same
// trail bytes as "A" and "a"), ソ is 83 5C (a backslash as trail byte), Ａ and
// ａ are the full-width letters 82 60 and 82 81.
const Comparison kComparisons[] = {
    {"C:\\Program Files\\Brindleway.exe", "c:\\program files\\BRINDLEWAY.EXE", true},
    {"C:\\ソフト\\Brindleway.exe", "c:\\ソフト\\brindleway.exe", true},
    {"アイ", "ヂツ", false},
    {"C:\\アプリ\\a.exe", "C:\\ヂプリ\\A.EXE", false},
    // The full-width letters fold like the ASCII ones, and only with their
    // own kind: Ａ is no A.
    {"Ａ", "ａ", true},
    {"C:\\ＴＯＯＬＳ\\a.exe", "c:\\ｔｏｏｌｓ\\A.EXE", true},
    {"Ａ", "A", false},
    {"Ｚ", "ｚ", true},
    {"Ｚ", "ｙ", false},
    {"ア", "ア", true},
    // A half-width katakana byte is a single-byte character: the letter
    // after it still folds.
    {"\xB1"
     "A",
     "\xB1"
     "a",
     true},
    {"abc", "abcd", false},
    {"abcd", "abc", false},
    {"", "", true},
    // A lead byte cut off by the end counts as the end.
    {"ab\x83", "ab", true},
};

TEST(MbsICompare, ComparesLettersFoldedAndDoubleByteCharactersWhole) {
    for (const Comparison& c : kComparisons) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(MbsICompare(c.a, c.b, kShiftJis) == 0, c.equal);
        EXPECT_EQ(MbsICompare(c.b, c.a, kShiftJis) == 0, c.equal);
    }
}

TEST(MbsICompare, OrdersLikeTheRunTimeLibrary) {
    EXPECT_LT(MbsICompare("abc", "abd", kShiftJis), 0);
    EXPECT_GT(MbsICompare("abd", "ABC", kShiftJis), 0);
    EXPECT_LT(MbsICompare("abc", "abcd", kShiftJis), 0);
    // Letters fold to lower case, so "_" (5F) sorts before "a" (61) even
    // against "A" (41).
    EXPECT_LT(MbsICompare("_", "A", kShiftJis), 0);
    // A double-byte character sorts after every single byte.
    EXPECT_GT(MbsICompare("ア", "\xDF", kShiftJis), 0);
}

struct StateCase {
    const char* value;
    AutostartState expected;
};

constexpr const char* kModule = "C:\\Program Files\\Brindleway\\Brindleway.exe";

const StateCase kStates[] = {
    {"", AUTOSTART_OFF},
    {"C:\\Program Files\\Brindleway\\Brindleway.exe", AUTOSTART_ON},
    {"c:\\PROGRAM FILES\\brindleway\\brindleway.EXE", AUTOSTART_ON},
    {"\"C:\\Program Files\\Brindleway\\Brindleway.exe\"", AUTOSTART_ON},
    {"\"c:\\program files\\brindleway\\BRINDLEWAY.exe\"", AUTOSTART_ON},
    {"\"C:\\Program Files\\Brindleway\\Brindleway.exe", AUTOSTART_OTHER},
    {"C:\\Program Files\\Brindleway\\Brindleway.exe\"", AUTOSTART_OTHER},
    {"\"C:\\Program Files\\Brindleway\\Brindleway.exe\" /min", AUTOSTART_OTHER},
    {"C:\\Program Files\\Other\\Other.exe", AUTOSTART_OTHER},
    {"C:\\Program", AUTOSTART_OTHER},
    {"\"", AUTOSTART_OTHER},
    {"\"\"", AUTOSTART_OTHER},
};

TEST(AutostartStateOf, OursInAnyCaseWithOrWithoutQuotes) {
    for (const StateCase& c : kStates) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(AutostartStateOf(c.value, kModule, kShiftJis), c.expected);
    }
}

TEST(AutostartStateOf, DoubleByteCharactersOfThePathCompareExactly) {
    const char* module = "C:\\アプリ\\Brindleway.exe";
    EXPECT_EQ(AutostartStateOf("c:\\アプリ\\BRINDLEWAY.EXE", module, kShiftJis), AUTOSTART_ON);
    EXPECT_EQ(AutostartStateOf("\"C:\\アプリ\\brindleway.exe\"", module, kShiftJis), AUTOSTART_ON);
    EXPECT_EQ(AutostartStateOf("C:\\ヂプリ\\Brindleway.exe", module, kShiftJis), AUTOSTART_OTHER);
}

TEST(AutostartToggle, ClearsCheckedAndIndeterminateAndChecksEmpty) {
    EXPECT_EQ(ToggledAutostartState(AUTOSTART_OFF), AUTOSTART_ON);
    EXPECT_EQ(ToggledAutostartState(AUTOSTART_ON), AUTOSTART_OFF);
    EXPECT_EQ(ToggledAutostartState(AUTOSTART_OTHER), AUTOSTART_OFF);
}

} // namespace
