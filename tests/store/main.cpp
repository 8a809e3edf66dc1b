// The data layer's test program. A prompt function is installed first, so
// that nothing a test does can open a message box and wait for a user.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
void RecordPrompt(unsigned stringId) {
    HookedPrompts().push_back(stringId);
}
} // namespace

int main(int argc, char** argv) {
    SetPromptFunction(RecordPrompt);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
