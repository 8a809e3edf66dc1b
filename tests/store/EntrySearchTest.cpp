// The search window's matching: what a typed text finds in a name, and the
// order of the entries found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "store/EntrySearch.h"

namespace {

struct MatchCase {
    const char* text;
    const char* query;
    bool found;
};

const MatchCase kMatchCases[] = {
    // Latin letters: case and width folded, anywhere in the text.
    {"Firefox", "fox", true},
    {"Firefox", "FIRE", true},
    {"Firefox", "ｆｉｒｅ", true},
    {"Ｆｉｒｅｆｏｘ", "Fox", true},
    {"Firefox", " fire ", true},
    {"Firefox", "", false},
    {"Firefox", " \x81\x40", false}, // blanks alone, the ideographic one too
    {"Firefox", "foxy", false},
    // Kana: hiragana, katakana and half-width katakana alike.
    {"メモ帳", "めも", true},
    {"めもちょう", "メモ", true},
    {"ﾒﾓ帳", "メモ", true},
    {"ｶﾞｲﾄﾞ", "ガイド", true},
    {"ガイド", "ｶﾞｲﾄﾞ", true},
    {"ｶﾞｲﾄﾞ", "カイ", false},
    {"パン", "ﾊﾟﾝ", true},
    // Romaji: Hepburn and the common spellings, a query ending inside a kana.
    {"メモ帳", "memo", true},
    {"メモ帳", "MEMO", true},
    {"カメラ", "kamera", true},
    {"カメラ", "kam", true},
    {"カメラ", "kamere", false},
    {"システム", "shisutemu", true},
    {"システム", "sisutemu", true},
    {"ツール", "tsu-ru", true},
    {"ツール", "tuuru", true},
    {"ツール", "turu", false},
    {"フォルダ", "foruda", true},
    {"フォルダ", "huxoruda", true},
    {"チャット", "chatto", true},
    {"チャット", "tyatto", true},
    {"マッチ", "matchi", true},
    {"マップ", "mappu", true},
    {"マップ", "map", true},
    {"マップ", "mapu", false},
    {"ジャンプ", "janpu", true},
    {"ジャンプ", "zyampu", false},
    {"ジャンプ", "zyanpu", true},
    {"コーヒー", "ko-hi-", true},
    {"コーヒー", "koohii", true},
    {"ふじ", "fuji", true},
    {"ふじ", "huzi", true},
    {"ティー", "tii", true},
    {"ちず", "tizu", true},
    // Kanji only as typed.
    {"画像編集", "画像", true},
    {"画像編集", "gazou", false},
    {"日本語入力", "ニホン", false},
    // Trail bytes are no ASCII: ソ and 表 end in 0x5C, ポ in 0x7C.
    {"ソフト", "\\", false},
    {"表計算", "\\", false},
    {"ポスト", "|", false},
    {"ソ", "\x5C", false},
    {"a\\b", "\\", true},
    {"a|b", "|", true},
    // ア is 83 41: a query "A" does not find it by its trail byte.
    {"アプリ", "A", true}, // by its romaji
    {"アプリ", "Q", false},
    {"ソフト", "soft", false},
    {"ソフト", "sofuto", true},
};

TEST(EntrySearchTest, TypedTextFindsNamesAsTheUserReadsThem) {
    for (const MatchCase& c : kMatchCases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.query);
        EXPECT_EQ(c.found, TextMatches(c.text, c.query));
    }
}

// Names first, then paths; shorter names first, then table order; groups
// never, however their names match.
TEST(EntrySearchTest, EntriesFoundInTheirOrder) {
    const std::vector<LaunchEntry> table = {
        MakeEntry("ツール", KIND_GROUP, -1, "", 0),
        MakeEntry("画像", KIND_GROUP, 0, "", 1),
        MakeEntry("メモ", KIND_GROUP, 1, "", 2),
        MakeEntry("メモ帳", KIND_FILE, 2, "C:\\Windows\\notepad.exe", 3),
        MakeEntry("Memo", KIND_URL, -1, "https://example.org/", 4),
        MakeEntry("テキスト", KIND_FILE, -1, "C:\\Memo\\a.txt", 5),
        MakeEntry("めもり", KIND_FILE, -1, "C:\\m.exe", 6),
        MakeEntry("Ｍｅｍｏ", KIND_FILE, 0, "C:\\x.exe", 7),
        MakeEntry("Calc", KIND_FILE, -1, "C:\\calc.exe", 8),
    };
    EXPECT_EQ((std::vector<int>{3, 6, 4, 7, 5}), FindEntries(table, "memo"));
    EXPECT_EQ((std::vector<int>{3, 6}), FindEntries(table, "めも"));
    EXPECT_EQ((std::vector<int>{3}), FindEntries(table, "notepad"));
    EXPECT_EQ((std::vector<int>{}), FindEntries(table, "ツール"));
    EXPECT_EQ((std::vector<int>{}), FindEntries(table, ""));
    EXPECT_EQ((std::vector<int>{}), FindEntries(table, "zzz"));
}

TEST(EntrySearchTest, GroupPathOuterFirst) {
    const std::vector<LaunchEntry> table = {
        MakeEntry("ツール", KIND_GROUP, -1, "", 0),
        MakeEntry("画像", KIND_GROUP, 0, "", 1),
        MakeEntry("メモ", KIND_GROUP, 1, "", 2),
        MakeEntry("メモ帳", KIND_FILE, 2, "C:\\notepad.exe", 3),
        MakeEntry("Calc", KIND_FILE, -1, "C:\\calc.exe", 4),
        MakeEntry("Lost", KIND_FILE, 9, "C:\\lost.exe", 5), // its group is gone
    };
    EXPECT_EQ((std::vector<std::string>{"ツール", "画像", "メモ"}), GroupPathOf(table, 3));
    EXPECT_EQ((std::vector<std::string>{}), GroupPathOf(table, 4));
    EXPECT_EQ((std::vector<std::string>{}), GroupPathOf(table, 5));
}

} // namespace
