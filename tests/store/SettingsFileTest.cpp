// The settings file: the option flags and the window position, read and
// written through the build's profile functions.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<ItemStore>(&platform);
        store->SetDirectory(dir.Path());
    }

    std::string Ini() const { return dir.File("Brindleway.ini"); }

    std::vector<int32_t> ReadFlags() {
        const Options& o = *store->GetOptions();
        return {o.opt1, o.opt2, o.opt3, o.opt4, o.opt5, o.opt6, o.opt7, o.opt8};
    }

    TempDir dir;
    TestPlatform platform;
    std::unique_ptr<ItemStore> store;
};

using Flags = std::vector<int32_t>;

const char kExample[] =
    "[Detail]\r\nopt1=0\r\nopt2=1\r\nopt3=0\r\nopt4=0\r\nopt5=1\r\nopt6=0\r\nopt7=0\r\nopt8=0\r\n"
    "[Info]\r\nX=120\r\nY=80\r\n";

TEST_F(SettingsFileTest, MissingFileChangesNothing) {
    store->GetOptions()->opt3 = 1;
    EXPECT_EQ(0, store->ReadOptions());
    EXPECT_EQ((Flags{0, 0, 1, 0, 0, 0, 0, 0}), ReadFlags());
    int x = 5, y = 5;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(-1, x);
    EXPECT_EQ(-1, y);
    EXPECT_FALSE(Exists(Ini()));
}

TEST_F(SettingsFileTest, OnlyInfoSectionReadsAllFlagsAsZero) {
    WriteText(Ini(), "[Info]\r\nX=10\r\nY=20\r\n");
    store->GetOptions()->opt1 = 1;
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{0, 0, 0, 0, 0, 0, 0, 0}), ReadFlags());
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(10, x);
    EXPECT_EQ(20, y);
}

TEST_F(SettingsFileTest, MissingKeysReadAsDefaults) {
    WriteText(Ini(), "[Detail]\r\nopt2=1\r\n[Info]\r\nY=3\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{0, 1, 0, 0, 0, 0, 0, 0}), ReadFlags());
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(-1, x);
    EXPECT_EQ(3, y);
}

TEST_F(SettingsFileTest, FlagStoredAsTwoCountsAsOn) {
    WriteText(Ini(), "[Detail]\r\nopt4=2\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ(2, store->GetOptions()->opt4);
    EXPECT_NE(0, store->GetOptions()->opt4);
}

TEST_F(SettingsFileTest, NegativePositionReadsBack) {
    WriteText(Ini(), "[Info]\r\nX=-32000\r\nY=-1\r\n");
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(-32000, x);
    EXPECT_EQ(-1, y);
}

// The file's bytes are read once for all the options and once for the
// position, not once for each key: the program reads them as it starts.
TEST_F(SettingsFileTest, ExampleFileReadsBack) {
    WriteText(Ini(), kExample);
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{0, 1, 0, 0, 1, 0, 0, 0}), ReadFlags());
    EXPECT_EQ(1, platform.byteReads);
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(120, x);
    EXPECT_EQ(80, y);
    EXPECT_EQ(2, platform.byteReads);
}

TEST_F(SettingsFileTest, WriteOptionsWithOnlyOpt5CreatesTheFile) {
    store->GetOptions()->opt5 = 1;
    EXPECT_EQ(1, store->WriteOptions());
    EXPECT_EQ("[Detail]\r\nopt1=0\r\nopt2=0\r\nopt3=0\r\nopt4=0\r\nopt5=1\r\nopt6=0\r\nopt7="
              "0\r\nopt8=0\r\n",
              ReadText(Ini()));
}

TEST_F(SettingsFileTest, SectionsStandInTheOrderFirstWritten) {
    store->GetOptions()->opt2 = 1;
    store->GetOptions()->opt5 = 1;
    EXPECT_EQ(1, store->WriteOptions());
    EXPECT_EQ(1, store->WriteWindowPos(120, 80));
    EXPECT_EQ(kExample, ReadText(Ini()));

    TempDir other;
    ItemStore second(&platform);
    second.SetDirectory(other.Path());
    EXPECT_EQ(1, second.WriteWindowPos(-8, 16));
    EXPECT_EQ(1, second.WriteOptions());
    EXPECT_EQ("[Info]\r\nX=-8\r\nY=16\r\n"
              "[Detail]\r\nopt1=0\r\nopt2=0\r\nopt3=0\r\nopt4=0\r\nopt5=0\r\nopt6=0\r\nopt7="
              "0\r\nopt8=0\r\n",
              ReadText(other.File("Brindleway.ini")));
}

TEST_F(SettingsFileTest, RewritingReplacesValuesWhereTheyStand) {
    WriteText(Ini(), kExample);
    *store->GetOptions() = Options{1, 0, 1, 0, 0, 0, 0, 7};
    EXPECT_EQ(1, store->WriteOptions());
    EXPECT_EQ(1, store->WriteWindowPos(-5, 300));
    EXPECT_EQ("[Detail]\r\nopt1=1\r\nopt2=0\r\nopt3=1\r\nopt4=0\r\nopt5=0\r\nopt6=0\r\nopt7="
              "0\r\nopt8=7\r\n"
              "[Info]\r\nX=-5\r\nY=300\r\n",
              ReadText(Ini()));

    ItemStore reader(&platform);
    reader.SetDirectory(dir.Path());
    EXPECT_EQ(1, reader.ReadOptions());
    EXPECT_EQ(7, reader.GetOptions()->opt8);
    int x = 0, y = 0;
    reader.ReadWindowPos(&x, &y);
    EXPECT_EQ(-5, x);
    EXPECT_EQ(300, y);
}

TEST_F(SettingsFileTest, NamesWithoutCaseAndBlanksAroundThem) {
    WriteText(Ini(), "[detail]\r\n  OPT1 = 1 \r\nOpt2=1\r\n[INFO]\r\nx =  -7\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{1, 1, 0, 0, 0, 0, 0, 0}), ReadFlags());
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(-7, x);
    EXPECT_EQ(-1, y);
}

TEST_F(SettingsFileTest, ValuesReadAsTheirLeadingDigits) {
    WriteText(Ini(), "[Detail]\r\nopt1=2abc\r\nopt2=abc\r\nopt3=\r\nopt4=-1\r\nopt5=+3\r\n"
                     "[Info]\r\nX=\r\nY=12 34\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{2, 0, 0, -1, 3, 0, 0, 0}), ReadFlags());
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(-1, x); // empty: the default
    EXPECT_EQ(12, y);
}

TEST_F(SettingsFileTest, FirstOfDuplicateKeysWinsAndCommentsAreNotKeys) {
    WriteText(Ini(), "[Detail]\r\nopt1=1\r\nopt1=0\r\n;opt2=1\r\nopt3=1\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{1, 0, 1, 0, 0, 0, 0, 0}), ReadFlags());
}

TEST_F(SettingsFileTest, AFailedWriteIsReported) {
    platform.failProfileWriteAt = 1;
    store->GetOptions()->opt8 = 1;
    EXPECT_EQ(0, store->WriteOptions());
    EXPECT_EQ(8, platform.profileWrites); // the others are still written
    EXPECT_EQ("[Detail]\r\nopt2=0\r\nopt3=0\r\nopt4=0\r\nopt5=0\r\nopt6=0\r\nopt7=0\r\nopt8=1\r\n",
              ReadText(Ini()));
    platform.profileWrites = 0;
    platform.failProfileWriteAt = 2;
    EXPECT_EQ(0, store->WriteWindowPos(1, 2));
}

TEST_F(SettingsFileTest, WritingIntoAMissingFolderFails) {
    store->SetDirectory(dir.File("missing"));
    EXPECT_EQ(0, store->WriteOptions());
    EXPECT_EQ(0, store->WriteWindowPos(1, 1));
    EXPECT_FALSE(Exists(dir.File("missing")));
}

// The hotkey's text: a missing key (or file) is told apart from a key
// written empty, which turns the hotkey off.
TEST_F(SettingsFileTest, HotkeyTextAsWrittenAndMissingToldApart) {
    std::string text = "stale";
    EXPECT_EQ(0, store->ReadHotkeyText(&text));
    EXPECT_EQ("", text);

    struct Case {
        const char* file;
        int found;
        const char* text;
    };
    const Case cases[] = {
        {"[Detail]\r\nopt1=1\r\n", 0, ""},
        {"[Hotkey]\r\nOther=Ctrl+A\r\n", 0, ""},
        {"[Hotkey]\r\nLauncher=\r\n", 1, ""},
        {"[Hotkey]\r\nLauncher=Ctrl+Alt+Space\r\n", 1, "Ctrl+Alt+Space"},
        {"[hotkey]\r\n  LAUNCHER =  Ctrl + Shift + F5  \r\n", 1, "Ctrl + Shift + F5"},
        {"[Info]\r\nX=1\r\n[Hotkey]\r\nLauncher=Win+X\r\nLauncher=Alt+A\r\n", 1, "Win+X"},
        {"[Hotkey]\r\nLauncher=\x82\x62\x82\x94\x82\x92\x82\x8c+A\r\n", 1,
         "\x82\x62\x82\x94\x82\x92\x82\x8c+A"},
        // Saved by a text editor as UTF-8 with a byte order mark.
        {"\xEF\xBB\xBF[Hotkey]\r\nLauncher=Ctrl+Alt+K\r\n", 1, "Ctrl+Alt+K"},
        {"\xEF\xBB\xBF[Hotkey]\r\nFind=Win+F\r\n", 0, ""},
    };
    for (const Case& c : cases) {
        WriteText(Ini(), c.file);
        text = "stale";
        EXPECT_EQ(c.found, store->ReadHotkeyText(&text)) << c.file;
        EXPECT_EQ(c.text, text) << c.file;
    }
}

// A settings file a text editor saved as UTF-8 with a byte order mark is
// read past the mark: the section on its first line is not lost. (Wine's
// profile reader skips the mark itself; Windows' takes it for part of the
// line, as the native stand-in does.)
TEST_F(SettingsFileTest, AByteOrderMarkHidesNoSection) {
    WriteText(Ini(), "\xEF\xBB\xBF[Detail]\r\nopt3=1\r\n[Hotkey]\r\nFind=Ctrl+Shift+F\r\n");
    EXPECT_EQ(1, store->ReadOptions());
    EXPECT_EQ((Flags{0, 0, 1, 0, 0, 0, 0, 0}), ReadFlags());
    std::string text;
    EXPECT_EQ(1, store->ReadHotkeyText(&text, "Find"));
    EXPECT_EQ("Ctrl+Shift+F", text);
    WriteText(Ini(), "\xEF\xBB\xBF[Info]\r\nX=7\r\nY=9\r\n");
    int x = 0, y = 0;
    store->ReadWindowPos(&x, &y);
    EXPECT_EQ(7, x);
    EXPECT_EQ(9, y);
}

// The program writes the options and the window position, never the hotkey:
// a value the user wrote stays as written.
TEST_F(SettingsFileTest, WritingOptionsAndPositionKeepsTheHotkeyAsWritten) {
    WriteText(Ini(), "[Hotkey]\r\nLauncher=ctrl + alt + f9\r\n");
    store->WriteOptions();
    store->WriteWindowPos(10, 20);
    std::string text;
    EXPECT_EQ(1, store->ReadHotkeyText(&text));
    EXPECT_EQ("ctrl + alt + f9", text);
}

} // namespace
