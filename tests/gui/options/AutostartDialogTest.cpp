// The autostart box of the options dialog against the test prefix's real
// Run key: the state at open, the toggle, and what OK writes.
#include <gtest/gtest.h>

#include "OptionsTestSupport.h"
#include "dialogs/Autostart.h"
#include "resource.h"

namespace {

constexpr const char* kModule = "C:\\Program Files\\Brindleway\\Brindleway.exe";
constexpr const char* kQuotedModule = "\"C:\\Program Files\\Brindleway\\Brindleway.exe\"";
constexpr const char* kOtherProgram = "C:\\Program Files\\Other\\Other.exe";
constexpr const char* kNotChanged = "コンピュータ起動時の自動起動の設定を変更できませんでした。";

class AutostartDialogTest : public OptionsTestBase {
protected:
    void SetUp() override {
        OptionsTestBase::SetUp();
        dialog.SetModulePath(kModule);
    }

    // Opens the dialog, reads the box, and closes the dialog with Cancel.
    int StateAtOpen() {
        int state = -1;
        RunOptions(dialog, store, [&](HWND window) {
            state = CheckState(window, IDC_OPT_AUTOSTART);
            Click(window, IDCANCEL);
        });
        EXPECT_EQ(dialog.AutostartStateAtOpen(), state);
        return state;
    }

    // Opens the dialog, clicks the autostart box `clicks` times and ends it
    // with OK.
    OptionsRun ClickAndConfirm(int clicks) {
        return RunOptions(dialog, store, [&](HWND window) {
            for (int i = 0; i < clicks; ++i)
                Click(window, IDC_OPT_AUTOSTART);
            Click(window, IDOK);
        });
    }

    OptionsDialog dialog;
};

struct OpenCase {
    const char* label;
    std::optional<std::string> value;
    int expected;
};

TEST_F(AutostartDialogTest, OpensWithTheStateTheRunValueGives) {
    const OpenCase cases[] = {
        {"missing", std::nullopt, BST_UNCHECKED},
        {"empty", std::string(), BST_UNCHECKED},
        {"equal", std::string(kModule), BST_CHECKED},
        {"other letter case", std::string("c:\\PROGRAM FILES\\brindleway\\BRINDLEWAY.EXE"),
         BST_CHECKED},
        {"quoted", std::string(kQuotedModule), BST_CHECKED},
        {"quoted, other case", std::string("\"C:\\program files\\brindleway\\brindleway.exe\""),
         BST_CHECKED},
        {"other program", std::string(kOtherProgram), BST_INDETERMINATE},
        {"ours with arguments", std::string(kQuotedModule) + " /min", BST_INDETERMINATE},
        {"longer than the buffer", std::string(300, 'x'), BST_INDETERMINATE},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.label);
        DeleteRunValue();
        if (c.value)
            SetRunValue(*c.value);
        EXPECT_EQ(StateAtOpen(), c.expected);
    }
}

// The longest program path, in quotes, must still read as ours; one byte
// more than that cannot be a program path at all.
TEST_F(AutostartDialogTest, TheLongestPathInQuotesIsStillOurs) {
    std::string longest = "C:\\" + std::string(MAX_PATH - 1 - 3 - 4, 'd') + ".exe";
    ASSERT_EQ(longest.size(), static_cast<size_t>(MAX_PATH - 1));
    dialog.SetModulePath(longest);
    SetRunValue("\"" + longest + "\"");
    EXPECT_EQ(StateAtOpen(), BST_CHECKED);

    SetRunValue("\"" + longest + "x\"");
    EXPECT_EQ(StateAtOpen(), BST_INDETERMINATE);
}

TEST_F(AutostartDialogTest, AValueWithoutTerminatorIsReadWithinTheBuffer) {
    SetRunValueBytes(kModule); // no terminating zero stored
    EXPECT_EQ(StateAtOpen(), BST_CHECKED);
    SetRunValueBytes(std::string(kRunValueSize, 'x'));
    EXPECT_EQ(StateAtOpen(), BST_INDETERMINATE);
}

TEST_F(AutostartDialogTest, DoubleByteCharactersAreComparedWhole) {
    dialog.SetModulePath("C:\\アプリ\\Brindleway.exe");
    SetRunValue("c:\\アプリ\\BRINDLEWAY.EXE");
    EXPECT_EQ(StateAtOpen(), BST_CHECKED);
    // ヂ differs from ア only in the letter case of its trail byte.
    SetRunValue("C:\\ヂプリ\\Brindleway.exe");
    EXPECT_EQ(StateAtOpen(), BST_INDETERMINATE);
}

TEST_F(AutostartDialogTest, TheToggleIsTheDialogsOwnAndNeverGivesIndeterminate) {
    struct Toggle {
        std::optional<std::string> value;
        int afterOne;
        int afterTwo;
    };
    const Toggle cases[] = {
        {std::nullopt, BST_CHECKED, BST_UNCHECKED},
        {std::string(kModule), BST_UNCHECKED, BST_CHECKED},
        {std::string(kOtherProgram), BST_UNCHECKED, BST_CHECKED},
    };
    for (const Toggle& c : cases) {
        SCOPED_TRACE(c.value.value_or("missing"));
        DeleteRunValue();
        if (c.value)
            SetRunValue(*c.value);
        int afterOne = -1;
        int afterTwo = -1;
        RunOptions(dialog, store, [&](HWND window) {
            Click(window, IDC_OPT_AUTOSTART);
            afterOne = CheckState(window, IDC_OPT_AUTOSTART);
            Click(window, IDC_OPT_AUTOSTART);
            afterTwo = CheckState(window, IDC_OPT_AUTOSTART);
            Click(window, IDCANCEL);
        });
        EXPECT_EQ(afterOne, c.afterOne);
        EXPECT_EQ(afterTwo, c.afterTwo);
        EXPECT_EQ(RunValue(), c.value) << "Cancel writes nothing";
    }
}

TEST_F(AutostartDialogTest, TickingWritesThePathInQuotes) {
    OptionsRun run = ClickAndConfirm(1);
    EXPECT_EQ(run.result, IDOK);
    EXPECT_EQ(RunValue(), std::string(kQuotedModule));
    EXPECT_TRUE(run.messages.empty());
}

TEST_F(AutostartDialogTest, UntickingDeletesOurValue) {
    SetRunValue(kModule);
    ClickAndConfirm(1);
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(AutostartDialogTest, AnotherProgramsValueLeftAloneIsKept) {
    SetRunValue(kOtherProgram);
    RegistryRecorder recorder;
    recorder.Install();
    ClickAndConfirm(0);
    EXPECT_EQ(RunValue(), std::string(kOtherProgram));
    EXPECT_EQ(recorder.creates + recorder.sets + recorder.deletes, 0);
}

TEST_F(AutostartDialogTest, OneClickOnAnotherProgramsValueDeletesIt) {
    SetRunValue(kOtherProgram);
    ClickAndConfirm(1);
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(AutostartDialogTest, TwoClicksOnAnotherProgramsValueMakeItOurs) {
    SetRunValue(kOtherProgram);
    ClickAndConfirm(2);
    EXPECT_EQ(RunValue(), std::string(kQuotedModule));
}

TEST_F(AutostartDialogTest, TheValueIsReadWithReadAccessOnly) {
    SetRunValue(kModule);
    RegistryRecorder recorder;
    recorder.Install();
    EXPECT_EQ(StateAtOpen(), BST_CHECKED);
    EXPECT_EQ(recorder.openAccess, static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(recorder.creates, 0);
}

TEST_F(AutostartDialogTest, AUserWhoMayNotWriteTheKeyStillSeesItsState) {
    SetRunValue(kModule);
    System().regCreateKeyEx = DenyCreate;
    EXPECT_EQ(StateAtOpen(), BST_CHECKED);
}

TEST_F(AutostartDialogTest, AKeyThatCannotBeReadOpensUncheckedAndOkLeavesItAlone) {
    SetRunValue(kOtherProgram);
    System().regOpenKeyEx = DenyOpen;
    EXPECT_EQ(StateAtOpen(), BST_UNCHECKED);
    OptionsRun run = ClickAndConfirm(0);
    EXPECT_EQ(RunValue(), std::string(kOtherProgram));
    EXPECT_TRUE(run.messages.empty());
}

// Without the rights to the machine-wide key the box's new state cannot
// take effect: the user is told, and the options are saved all the same.
TEST_F(AutostartDialogTest, AFailedChangeIsReportedAndTheOptionsAreStillSaved) {
    struct Denial {
        const char* label;
        std::optional<std::string> value;
        void (*deny)();
    };
    const Denial cases[] = {
        {"key", std::nullopt, [] { System().regCreateKeyEx = DenyCreate; }},
        {"write", std::nullopt, [] { System().regSetValueEx = DenySet; }},
        {"delete", std::string(kModule), [] { System().regDeleteValue = DenyDelete; }},
    };
    for (const Denial& c : cases) {
        SCOPED_TRACE(c.label);
        System() = saved;
        DeleteRunValue();
        if (c.value)
            SetRunValue(*c.value);
        store.GetOptions()->opt5 = 0;
        c.deny();
        OptionsRun run = RunOptions(dialog, store, [&](HWND window) {
            Click(window, IDC_OPT_AUTOSTART);
            Click(window, IDC_OPT_SWAP_BUTTONS);
            Click(window, IDOK);
        });
        EXPECT_EQ(run.result, IDOK);
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_EQ(run.messages[0].text, kNotChanged);
        EXPECT_EQ(RunValue(), c.value);
        EXPECT_EQ(store.GetOptions()->opt5, 1);
        EXPECT_EQ(IniFlag(5), 1);
    }
}

TEST_F(AutostartDialogTest, AValueAlreadyGoneCountsAsDeleted) {
    SetRunValue(kModule);
    OptionsRun run = RunOptions(dialog, store, [&](HWND window) {
        DeleteRunValue(); // removed by someone else while the dialog is open
        Click(window, IDC_OPT_AUTOSTART);
        Click(window, IDOK);
    });
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_TRUE(run.messages.empty());
}

} // namespace
