// The posix stand-in's own rules: the profile cases where Wine and Windows
// differ (kept out of the suite that also runs under Wine), and what the
// stand-in does in place of a message box.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestSupport.h"
#include "platform/ProfileText.h"
#include "platform/posix/PosixPlatform.h"

namespace {

using profile_text::ReadInt;
using profile_text::WriteString;

TEST(ProfileTextTest, KeyBeforeAnySectionBelongsToNone) {
    EXPECT_EQ(-1, ReadInt("X=5\r\n[Info]\r\nY=1\r\n", "Info", "X", -1));
    EXPECT_EQ(-1, ReadInt("X=5\r\n", "", "X", -1));
}

TEST(ProfileTextTest, BracketWithoutCloseStillNamesASection) {
    EXPECT_EQ(4, ReadInt("[Info\r\nX=4\r\n", "Info", "X", -1));
    EXPECT_EQ(4, ReadInt("[Info] trailing words\r\nX=4\r\n", "Info", "X", -1));
}

TEST(ProfileTextTest, Utf8ByteOrderMarkIsOrdinaryBytes) {
    // The first line is then no section header: its keys belong to none.
    EXPECT_EQ(-1, ReadInt("\xEF\xBB\xBF[Info]\r\nX=4\r\n", "Info", "X", -1));
    EXPECT_EQ(4, ReadInt("\xEF\xBB\xBF\r\n[Info]\r\nX=4\r\n", "Info", "X", -1));
}

TEST(ProfileTextTest, BlanksInsideBracketsAndAroundEquals) {
    EXPECT_EQ(3, ReadInt("  [ Info ]  \r\n\tx\t=\t3\t\r\n", "info", "X", -1));
    EXPECT_EQ(3, ReadInt("[Info]\nX=3", "Info", " X ", -1));
}

TEST(ProfileTextTest, CommentsOnlyAtTheStartOfALine) {
    EXPECT_EQ(-1, ReadInt("[Info]\r\n;X=3\r\n", "Info", "X", -1));
    EXPECT_EQ(-1, ReadInt("[Info]\r\n  ; X=3\r\n", "Info", "X", -1));
    EXPECT_EQ(3, ReadInt("[Info]\r\nX=3 ; comment\r\n", "Info", "X", -1));
    EXPECT_EQ(3, ReadInt("[Info]\r\nX;=3\r\nX=3\r\n", "Info", "X", -1));
}

TEST(ProfileTextTest, FirstOfDuplicateSectionsWins) {
    const std::string text = "[Info]\r\nX=1\r\n[info]\r\nX=2\r\nY=2\r\n";
    EXPECT_EQ(1, ReadInt(text, "Info", "X", -1));
    EXPECT_EQ(-1, ReadInt(text, "Info", "Y", -1));
    EXPECT_EQ("[Info]\r\nX=1\r\nY=9\r\n[info]\r\nX=2\r\nY=2\r\n",
              WriteString(text, "INFO", "Y", "9"));
}

TEST(ProfileTextTest, IntegersWrapModulo2To32) {
    EXPECT_EQ(1, ReadInt("[S]\r\nk=4294967297\r\n", "S", "k", 0));
    EXPECT_EQ(-2147483647 - 1, ReadInt("[S]\r\nk=2147483648\r\n", "S", "k", 0));
    EXPECT_EQ(-1, ReadInt("[S]\r\nk=4294967295\r\n", "S", "k", 0));
    EXPECT_EQ(0, ReadInt("[S]\r\nk=-\r\n", "S", "k", 9));
    EXPECT_EQ(0, ReadInt("[S]\r\nk=0x10\r\n", "S", "k", 9));
    EXPECT_EQ(5, ReadInt("[S]\r\nk=\"5\"\r\n", "S", "k", 9));
    EXPECT_EQ(9, ReadInt("[S]\r\nk=\"\"\r\n", "S", "k", 9));
    EXPECT_EQ(9, ReadInt("[S]\r\nk\r\n", "S", "k", 9));
}

TEST(ProfileTextTest, ShiftJisSecondBytesCompareExactly) {
    // 0x83 0x41 is one character; its second byte is not the letter A.
    EXPECT_EQ(1, ReadInt("[\x83\x41]\r\nk=1\r\n", "\x83\x41", "k", 0));
    EXPECT_EQ(0, ReadInt("[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k", 0));
    EXPECT_EQ(1, ReadInt("[AB]\r\nk=1\r\n", "ab", "k", 0));
}

TEST(ProfileTextTest, NewFileHasNoBlankLines) {
    std::string text = WriteString("", "Detail", "opt1", "0");
    text = WriteString(text, "Detail", "opt2", "1");
    text = WriteString(text, "Info", "X", "-5");
    EXPECT_EQ("[Detail]\r\nopt1=0\r\nopt2=1\r\n[Info]\r\nX=-5\r\n", text);
}

TEST(ProfileTextTest, HandFormattedFileIsEditedInPlace) {
    const std::string text = "; Brindleway settings\r\n"
                             "\r\n"
                             "[Detail]\r\n"
                             "  opt1 = 1   \r\n"
                             "opt2=0\r\n"
                             "\r\n"
                             "; the window\r\n"
                             "[Info]\r\n"
                             "X=1\r\n";
    EXPECT_EQ("; Brindleway settings\r\n\r\n[Detail]\r\n  opt1 =0\r\nopt2=0\r\n\r\n; the "
              "window\r\n[Info]\r\nX=1\r\n",
              WriteString(text, "detail", "OPT1", "0"));
    EXPECT_EQ("; Brindleway settings\r\n\r\n[Detail]\r\n  opt1 = 1   \r\nopt2=0\r\nopt3=1\r\n\r\n; "
              "the window\r\n"
              "[Info]\r\nX=1\r\n",
              WriteString(text, "Detail", "opt3", "1"));
    EXPECT_EQ(text + "[Other]\r\nk=v\r\n", WriteString(text, "Other", "k", "v"));
}

TEST(ProfileTextTest, LastLineWithoutLineBreak) {
    EXPECT_EQ("[Info]\r\nX=1\r\nY=2\r\n", WriteString("[Info]\r\nX=1", "Info", "Y", "2"));
    EXPECT_EQ("[Info]\nX=1\r\n[D]\r\nk=v\r\n", WriteString("[Info]\nX=1", "D", "k", "v"));
    EXPECT_EQ("[Info]\r\nX=2", WriteString("[Info]\r\nX=1", "Info", "X", "2"));
    EXPECT_EQ("[Info]\r\nY=2\r\n", WriteString("[Info]", "Info", "Y", "2"));
    EXPECT_EQ("[Info]\nX=2\n", WriteString("[Info]\nX=1\n", "Info", "X", "2"));
}

TEST(ProfileTextTest, KeyWithoutValueGetsOne) {
    EXPECT_EQ("[S]\r\nk=5\r\n", WriteString("[S]\r\nk\r\n", "S", "k", "5"));
}

TEST(PosixPlatformTest, ProfileWriteFailuresAreReported) {
    TempDir dir;
    Platform& platform = DefaultPlatform();
    EXPECT_FALSE(platform.ProfileWriteString(dir.File("none") + "/a.ini", "S", "k", "v"));
    MakeDirectory(dir.File("folder.ini"));
    EXPECT_FALSE(platform.ProfileWriteString(dir.File("folder.ini"), "S", "k", "v"));
    EXPECT_FALSE(platform.ProfileWriteString(dir.File("a.ini"), "S", "k", nullptr));
    EXPECT_TRUE(platform.ProfileWriteString(dir.File("a.ini"), "S", "k", "v"));
    EXPECT_EQ("[S]\r\nk=v\r\n", ReadText(dir.File("a.ini")));
}

TEST(PosixPlatformTest, PromptsAreRecorded) {
    auto& platform = static_cast<PosixPlatform&>(DefaultPlatform());
    platform.ClearShownPrompts();
    HookedPrompts().clear();
    platform.ShowPrompt(5002);
    EXPECT_EQ(std::vector<unsigned>{5002}, platform.ShownPrompts());
    EXPECT_EQ(std::vector<unsigned>{5002}, HookedPrompts());

    PromptFunction installed = GetPromptFunction();
    SetPromptFunction(nullptr);
    platform.ShowPrompt(5001);
    SetPromptFunction(installed);
    EXPECT_EQ((std::vector<unsigned>{5002, 5001}), platform.ShownPrompts());
    EXPECT_EQ(std::vector<unsigned>{5002}, HookedPrompts());
}

TEST(PosixPlatformTest, ReadOnlyTargetIsNotReplacedEvenForRoot) {
    TempDir dir;
    WriteText(dir.File("new"), "new");
    WriteText(dir.File("old"), "old");
    chmod(dir.File("old").c_str(), 0444);
    EXPECT_FALSE(DefaultPlatform().ReplaceFileAtomically(dir.File("new"), dir.File("old")));
    EXPECT_EQ("old", ReadText(dir.File("old")));
    EXPECT_TRUE(Exists(dir.File("new")));
}

} // namespace
