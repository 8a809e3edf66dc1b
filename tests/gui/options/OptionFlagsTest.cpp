// The eight flag boxes of the options dialog, the defaults, and what OK
// stores: the flags, the settings file and the working table's order.
#include <gtest/gtest.h>

#include "OptionsTestSupport.h"
#include "platform/Platform.h"
#include "resource.h"

namespace {

struct FlagBox {
    int controlId;
    int32_t Options::*flag;
    int number; // the key "optN" in the settings file
};

const FlagBox kBoxes[] = {
    {1017, &Options::opt1, 1}, {1015, &Options::opt2, 2}, {1016, &Options::opt3, 3},
    {1018, &Options::opt4, 4}, {1013, &Options::opt5, 5}, {1021, &Options::opt6, 6},
    {1022, &Options::opt7, 7}, {1023, &Options::opt8, 8},
};

constexpr const char* kModule = "C:\\Program Files\\Brindleway\\Brindleway.exe";

class OptionFlagsTest : public OptionsTestBase {
protected:
    void SetUp() override {
        OptionsTestBase::SetUp();
        dialog.SetModulePath(kModule);
    }
    OptionsDialog dialog;
};

TEST_F(OptionFlagsTest, EachBoxSetsItsOwnFlagAndOnlyThat) {
    for (const FlagBox& ticked : kBoxes) {
        SCOPED_TRACE(ticked.number);
        *store.GetOptions() = Options{};
        OptionsDialog run;
        run.SetModulePath(kModule);
        RunOptions(run, store, [&](HWND window) {
            Click(window, ticked.controlId);
            Click(window, IDOK);
        });
        for (const FlagBox& box : kBoxes) {
            int expected = box.controlId == ticked.controlId ? 1 : 0;
            EXPECT_EQ(store.GetOptions()->*box.flag, expected) << "opt" << box.number;
            EXPECT_EQ(IniFlag(box.number), expected) << "opt" << box.number;
        }
    }
}

TEST_F(OptionFlagsTest, OpensWithTheBoxesOfTheFlagsThatAreOn) {
    Options& options = *store.GetOptions();
    options = Options{1, 0, 2, 0, 1, 0, 1, 0}; // 2 counts as on
    std::vector<int> states;
    RunOptions(dialog, store, [&](HWND window) {
        for (const FlagBox& box : kBoxes)
            states.push_back(CheckState(window, box.controlId));
        Click(window, IDOK);
    });
    const int expected[] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED,
                            BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED};
    EXPECT_EQ(states, std::vector<int>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(options.opt3, 1) << "the program writes 1 for on";
    EXPECT_EQ(IniFlag(3), 1);
}

TEST_F(OptionFlagsTest, CancelKeepsTheFlagsAndWritesNoSettingsFile) {
    RunOptions(dialog, store, [&](HWND window) {
        for (const FlagBox& box : kBoxes)
            Click(window, box.controlId);
        Click(window, IDCANCEL);
    });
    for (const FlagBox& box : kBoxes)
        EXPECT_EQ(store.GetOptions()->*box.flag, 0);
    EXPECT_EQ(GetFileAttributesA(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// With the Run value ours already, the defaults leave the registry as it is
// and clear every flag.
TEST_F(OptionFlagsTest, DefaultsThenOkWritesNothingToTheRegistryAndClearsAllFlags) {
    const char* ours = "c:\\program files\\brindleway\\BRINDLEWAY.EXE";
    SetRunValue(ours);
    *store.GetOptions() = Options{1, 1, 1, 1, 1, 1, 1, 1};
    RegistryRecorder recorder;
    recorder.Install();
    std::vector<int> states;
    RunOptions(dialog, store, [&](HWND window) {
        Click(window, IDC_OPT_RESTORE_DEFAULTS);
        states.push_back(CheckState(window, IDC_OPT_AUTOSTART));
        for (const FlagBox& box : kBoxes)
            states.push_back(CheckState(window, box.controlId));
        Click(window, IDOK);
    });
    std::vector<int> expected(9, BST_UNCHECKED);
    expected[0] = BST_CHECKED;
    EXPECT_EQ(states, expected);
    EXPECT_EQ(recorder.creates + recorder.sets + recorder.deletes, 0);
    EXPECT_EQ(RunValue(), std::string(ours));
    for (const FlagBox& box : kBoxes) {
        EXPECT_EQ(store.GetOptions()->*box.flag, 0) << "opt" << box.number;
        EXPECT_EQ(IniFlag(box.number), 0) << "opt" << box.number;
    }
}

TEST_F(OptionFlagsTest, DefaultsThenOkTurnsAutostartOn) {
    RunOptions(dialog, store, [&](HWND window) {
        Click(window, IDC_OPT_RESTORE_DEFAULTS);
        Click(window, IDOK);
    });
    EXPECT_EQ(RunValue(), "\"" + std::string(kModule) + "\"");
}

TEST_F(OptionFlagsTest, DefaultsThenCancelChangesNothing) {
    *store.GetOptions() = Options{1, 1, 1, 1, 1, 1, 1, 1};
    RunOptions(dialog, store, [&](HWND window) {
        Click(window, IDC_OPT_RESTORE_DEFAULTS);
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(RunValue(), std::nullopt);
    for (const FlagBox& box : kBoxes)
        EXPECT_EQ(store.GetOptions()->*box.flag, 1);
}

// "No groups in the item list" puts each level's file entries first; OK
// re-sorts the working table at once.
TEST_F(OptionFlagsTest, OkSortsTheWorkingTableForTheNewFlags) {
    store.InsertData(MakeEntry("Group", "", KIND_GROUP), -1); // id 0
    store.InsertData(MakeEntry("Site", "http://example.com/", KIND_URL, 0), -1);
    store.InsertData(MakeEntry("Inner", "C:\\inner.exe", KIND_FILE, 0), -1);
    store.InsertData(MakeEntry("Top", "C:\\top.exe", KIND_FILE), -1);
    ASSERT_EQ(WorkingNames(store), (std::vector<std::string>{"Group", "Site", "Inner", "Top"}));
    RunOptions(dialog, store, [&](HWND window) {
        Click(window, IDC_OPT_NO_GROUPS);
        Click(window, IDOK);
    });
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Top", "Group", "Inner", "Site"}));
    EXPECT_EQ(store.GetCommittedNum(), 0) << "only the working table is sorted";
}

// A settings file that cannot be written: the options still hold for this
// run, and the user is told they will not be there next time.
class ProfileWriteFails : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    bool ProfileWriteString(const std::string&, const char*, const char*, const char*) override {
        return false;
    }
};

TEST_F(OptionFlagsTest, ASettingsFileThatCannotBeWrittenIsReported) {
    ProfileWriteFails platform(DefaultPlatform());
    ItemStore failing(&platform);
    failing.SetDirectory(folder.Path());
    OptionsRun run = RunOptions(dialog, failing, [&](HWND window) {
        Click(window, IDC_OPT_MY_COMPUTER);
        Click(window, IDOK);
    });
    EXPECT_EQ(run.result, IDOK);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, "オプションを設定ファイルに保存できませんでした。\n"
                                    "変更した設定はプログラムを終了するまで有効です。");
    EXPECT_EQ(failing.GetOptions()->opt6, 1);
}

} // namespace
