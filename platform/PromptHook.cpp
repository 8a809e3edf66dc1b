// The prompt hook the GUI layer installs; shared by both platforms.
#include "platform/Platform.h"

namespace {
PromptFunction installedPrompt = nullptr;
}

void SetPromptFunction(PromptFunction function) {
    installedPrompt = function;
}

PromptFunction GetPromptFunction() {
    return installedPrompt;
}
