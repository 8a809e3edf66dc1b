#include <gtest/gtest.h>

#include <string>

#include "dialogs/ShiftJisText.h"

namespace {

struct FitCase {
    std::string text;
    size_t maxBytes;
    size_t fitting;
};

class FittingLengthTest : public testing::TestWithParam<FitCase> {};

TEST_P(FittingLengthTest, NeverSplitsADoubleByteCharacter) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FittingLength(c.text, c.maxBytes), c.fitting);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FittingLengthTest,
    testing::Values(FitCase{"", 5, 0}, FitCase{"abc", 5, 3}, FitCase{"abc", 2, 2},
                    FitCase{"abc", 0, 0}, FitCase{"あい", 4, 4}, // exactly full
                    FitCase{"あい", 3, 2},                       // second character would be split
                    FitCase{"aあ", 2, 1},                        // lead byte at the end of the room
                    FitCase{"表示", 1, 0},                       // trail byte 0x5C looks like '\'
                    FitCase{"ｱｲｳ", 2, 2},        // half-width katakana: single bytes
                    FitCase{"a\x82", 10, 1},     // lone lead byte at the end
                    FitCase{"\xEA\xA4z", 2, 2},  // lead bytes from the upper range
                    FitCase{"\xFC\x40", 2, 2})); // the last lead byte

TEST(CopyFitting, CopiesWhatFitsAndTerminates) {
    char field[5];
    EXPECT_TRUE(CopyFitting(field, sizeof field, "abcd"));
    EXPECT_STREQ(field, "abcd");
    EXPECT_FALSE(CopyFitting(field, sizeof field, "abcあ"));
    EXPECT_STREQ(field, "abc");
    EXPECT_FALSE(CopyFitting(field, sizeof field, "abcdef"));
    EXPECT_STREQ(field, "abcd");
}

} // namespace
