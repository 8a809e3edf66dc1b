// The build's platform functions, as the store relies on them.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "platform/AnsiText.h"
#include "res/resource.h"

namespace {

TEST(PlatformTest, ProgramNameAndDirectory) {
    Platform& platform = DefaultPlatform();
    EXPECT_EQ("brindleway_store_tests", platform.ProgramName());
    std::string directory = platform.ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(kPathSeparator, directory.back());
    EXPECT_TRUE(platform.FileExists(directory));
    std::string program = directory + kPathSeparator + "brindleway_store_tests";
    EXPECT_TRUE(platform.FileExists(program) || platform.FileExists(program + ".exe"));
}

TEST(PlatformTest, StoreFilesLieInTheProgramsFolderByDefault) {
    ItemStore store;
    std::string folder = DefaultPlatform().ProgramDirectory() + kPathSeparator;
    EXPECT_EQ(folder + "Brindleway.bwz", store.DataFilePath());
    EXPECT_EQ(folder + "~Brindleway.tmp", store.TempFilePath());
    EXPECT_EQ(folder + "Brindleway.ini", store.SettingsFilePath());
}

// Paths are joined character by character: 表, 能 and ソ end in the byte
// 0x5C, which is no backslash there. Both builds take code page 932.
TEST(PlatformTest, PathsJoinAfterTheLastCharacterNotTheLastByte) {
    struct Case {
        std::string directory;
        bool endsWithSeparator;
    };
    const Case cases[] = {
        {"C:\\\x8b\x40\x94\x5c", false},         // C:\機能
        {"C:\\\x95\x5c", false},                 // C:\表
        {"C:\\\x83\x5c\x83\x74\x83\x67", false}, // C:\ソフト
        {"C:\\\x83\x5c\\", true},                // C:\ソ\ .
        {"C:\\\x8b\x40\x94\x5c\\", true},        // C:\機能\ .
        {"/home/\x95\x5c/", true},
        {"C:\\tools", false},
        {"C:\\", true},
        {"\x5c", true},
        // A lead byte with nothing after it is a character of its own.
        {"C:\\\x95", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        EXPECT_EQ(c.endsWithSeparator, EndsWithSeparator(c.directory));
        std::string expected =
            c.directory + (c.endsWithSeparator ? "" : std::string(1, kPathSeparator)) + "a.ini";
        EXPECT_EQ(expected, JoinPath(c.directory, "a.ini"));
    }
    EXPECT_EQ("a.ini", JoinPath("", "a.ini"));
}

TEST(PlatformTest, LeadBytesOfCodePage932) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        ASSERT_EQ(lead, IsLeadByte(static_cast<unsigned char>(byte), kShiftJisCodePage)) << byte;
        ASSERT_EQ(lead, IsLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
    EXPECT_EQ(2u, LastCharacterStart("ab\x95\x5c"));
    EXPECT_EQ(4u, LastCharacterStart("ab\x95\x5c\x5c"));
    EXPECT_EQ(0u, LastCharacterStart(""));
}

// Characters are read whole: a trail byte in the ASCII range (ア is 83 41)
// is never a character of its own.
TEST(PlatformTest, CharactersAreReadWithTheirTrailBytes) {
    struct Case {
        const char* text;
        std::vector<unsigned> characters;
    };
    const Case cases[] = {
        {"aZ", {'a', 'Z'}},
        {"\x83\x41\x83\x76", {0x8341, 0x8376}}, // アプ
        {"x\x95\x5c", {'x', 0x955C}},           // x表
        {"\xb1z", {0xB1, 'z'}},                 // half-width ｱ, one byte
        {"a\x83", {'a'}},                       // a lead byte without its trail
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        auto* p = reinterpret_cast<const unsigned char*>(test.text);
        std::vector<unsigned> read;
        while (unsigned c = ReadCharacter(p, kShiftJisCodePage))
            read.push_back(c);
        EXPECT_EQ(test.characters, read);
        EXPECT_EQ(0u, ReadCharacter(p, kShiftJisCodePage));
    }
}

// Case folding as the run-time library's, width folding for the Latin
// letters and digits and the half-width katakana; both leave full-width
// kana, kanji and symbols alone.
TEST(PlatformTest, LettersFoldByCaseAndWidth) {
    struct Case {
        unsigned character;
        unsigned caseFolded;
        unsigned widthFolded;
    };
    const Case cases[] = {
        {'A', 'a', 'A'},          {'z', 'z', 'z'},          {'5', '5', '5'},
        {'@', '@', '@'},          {'[', '[', '['},          {0x8260, 0x8281, 'A'}, // Ａ
        {0x8279, 0x829A, 'Z'},    {0x8281, 0x8281, 'a'},    {0x829A, 0x829A, 'z'}, // Ｚ ａ ｚ
        {0x824F, 0x824F, '0'},    {0x8258, 0x8258, '9'},                           // ０ ９
        {0x8259, 0x8259, 0x8259}, {0x825F, 0x825F, 0x825F}, {0x8280, 0x8280, 0x8280},
        {0x829B, 0x829B, 0x829B}, {0x824E, 0x824E, 0x824E}, // just outside the rows
        {0x8341, 0x8341, 0x8341}, {0x955C, 0x955C, 0x955C}, {0xB1, 0xB1, 0x8341}, // ア 表 ｱ
        {0xA1, 0xA1, 0x8142},     {0xB0, 0xB0, 0x815B},     {0xDD, 0xDD, 0x8393}, // ｡ ｰ ﾝ
        {0xDF, 0xDF, 0x814B},     {0xA0, 0xA0, 0xA0},       {0xA6, 0xA6, 0x8392}, // ﾟ ｦ
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.character);
        EXPECT_EQ(test.caseFolded, FoldCase(test.character, kShiftJisCodePage));
        EXPECT_EQ(test.widthFolded, FoldWidth(test.character, kShiftJisCodePage));
        EXPECT_EQ(test.widthFolded, FoldWidth(test.character));
    }
    // Other code pages have no full-width rows here.
    EXPECT_EQ(0x8260u, FoldWidth(0x8260, 1252));
    EXPECT_EQ(0x8260u, FoldCase(0x8260, 1252));
}

// A dropped file's entry is named after the path's last element without its
// extension. 表, 能 and ソ end in the byte 0x5C, which must not split them.
TEST(PlatformTest, FileNameAndExtensionAreFoundCharacterByCharacter) {
    struct Case {
        std::string path;
        std::string fileName;
        std::string withoutExtension;
    };
    const Case cases[] = {
        {"C:\\dir\\report.txt", "report.txt", "report"},
        {"C:\\\x95\x5c\\\x83\x5c.doc", "\x83\x5c.doc", "\x83\x5c"}, // C:\表\ソ.doc
        {"C:\\a\x95\x5c", "a\x95\x5c", "a\x95\x5c"},                // C:\a表
        {"C:\\x/y.tar.gz", "y.tar.gz", "y.tar"},
        {"C:\\dir\\.profile", ".profile", ".profile"},
        {"C:\\dir\\name.", "name.", "name."},
        {"C:\\dir.d\\plain", "plain", "plain"},
        {"plain", "plain", "plain"},
        {"C:\\", "", ""},
        // 0x2E never follows a lead byte in Shift-JIS, but a 0x5C after one
        // is no separator: 能 (0x94 0x5C) keeps "x" in the name.
        {"C:\\x\x94\x5c.txt", "x\x94\x5c.txt", "x\x94\x5c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string_view path = c.path;
        std::string_view fileName = path.substr(FileNameStart(path));
        EXPECT_EQ(c.fileName, fileName);
        EXPECT_EQ(c.withoutExtension, WithoutExtension(fileName));
    }
}

TEST(PlatformTest, FullTableReachesTheInstalledPromptFunction) {
    HookedPrompts().clear();
    ItemStore store;
    TempDir dir;
    store.SetDirectory(dir.Path());
    EXPECT_EQ(0, store.InsertData(MakeEntry("x", KIND_FILE, -1), kMaxEntries));
    EXPECT_EQ(std::vector<unsigned>{IDS_TABLE_FULL}, HookedPrompts());
}

TEST(PlatformTest, FileExistsForFilesAndFolders) {
    TempDir dir;
    Platform& platform = DefaultPlatform();
    EXPECT_TRUE(platform.FileExists(dir.Path()));
    EXPECT_FALSE(platform.FileExists(dir.File("none")));
    EXPECT_FALSE(platform.FileExists(dir.File("none") + kPathSeparator + "deeper"));
    WriteText(dir.File("there"), "");
    EXPECT_TRUE(platform.FileExists(dir.File("there")));
}

TEST(PlatformTest, ReadFileBytes) {
    TempDir dir;
    Platform& platform = DefaultPlatform();
    Bytes bytes{1, 2, 3};
    EXPECT_EQ(ReadResult::NotFound, platform.ReadFileBytes(dir.File("none"), 10, &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadResult::NotFound,
              platform.ReadFileBytes(dir.File("none") + kPathSeparator + "x", 10, &bytes));

    Bytes content(5000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 7);
    WriteBytes(dir.File("file"), content);
    EXPECT_EQ(ReadResult::Ok, platform.ReadFileBytes(dir.File("file"), 10000, &bytes));
    EXPECT_EQ(content, bytes);
    EXPECT_EQ(ReadResult::Ok, platform.ReadFileBytes(dir.File("file"), 100, &bytes));
    EXPECT_EQ(Bytes(content.begin(), content.begin() + 100), bytes);
    WriteText(dir.File("empty"), "");
    EXPECT_EQ(ReadResult::Ok, platform.ReadFileBytes(dir.File("empty"), 100, &bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(PlatformTest, OutputFileIsCreatedOrEmptiedAndWrittenInPieces) {
    TempDir dir;
    Platform& platform = DefaultPlatform();
    WriteText(dir.File("out"), "previous content that is longer");
    std::unique_ptr<OutputFile> file = platform.CreateOutputFile(dir.File("out"));
    ASSERT_NE(nullptr, file);
    EXPECT_TRUE(file->Write("abc", 3));
    EXPECT_TRUE(file->Write("", 0));
    EXPECT_TRUE(file->Write("de", 2));
    EXPECT_TRUE(file->Flush());
    EXPECT_TRUE(file->Close());
    EXPECT_FALSE(file->Close());
    EXPECT_FALSE(file->Write("x", 1));
    EXPECT_EQ("abcde", ReadText(dir.File("out")));

    EXPECT_EQ(nullptr, platform.CreateOutputFile(dir.File("none") + kPathSeparator + "out"));
}

TEST(PlatformTest, ReplaceRemoveAndCopy) {
    TempDir dir;
    Platform& platform = DefaultPlatform();
    WriteText(dir.File("new"), "new");
    WriteText(dir.File("old"), "old");
    EXPECT_TRUE(platform.ReplaceFileAtomically(dir.File("new"), dir.File("old")));
    EXPECT_EQ("new", ReadText(dir.File("old")));
    EXPECT_FALSE(Exists(dir.File("new")));
    EXPECT_FALSE(platform.ReplaceFileAtomically(dir.File("new"), dir.File("old")));
    EXPECT_EQ("new", ReadText(dir.File("old")));

    WriteText(dir.File("fresh"), "fresh");
    EXPECT_TRUE(platform.ReplaceFileAtomically(dir.File("fresh"), dir.File("target")));
    EXPECT_EQ("fresh", ReadText(dir.File("target")));

    EXPECT_TRUE(platform.CopyToNewFile(dir.File("old"), dir.File("copy")));
    EXPECT_EQ("new", ReadText(dir.File("copy")));
    WriteText(dir.File("taken"), "taken");
    EXPECT_FALSE(platform.CopyToNewFile(dir.File("old"), dir.File("taken")));
    EXPECT_EQ("taken", ReadText(dir.File("taken")));
    EXPECT_FALSE(platform.CopyToNewFile(dir.File("none"), dir.File("copy2")));
    EXPECT_FALSE(Exists(dir.File("copy2")));

    EXPECT_TRUE(platform.RemoveFile(dir.File("copy")));
    EXPECT_FALSE(Exists(dir.File("copy")));
    EXPECT_FALSE(platform.RemoveFile(dir.File("copy")));
}

TEST(PlatformTest, ProfileReadsDefaultsForAMissingFile) {
    TempDir dir;
    EXPECT_EQ(-1, DefaultPlatform().ProfileReadInt(dir.File("none.ini"), "Info", "X", -1));
    EXPECT_EQ(17, DefaultPlatform().ProfileReadInt(dir.File("none.ini"), "Info", "X", 17));
}

} // namespace
