#include "app/HelpRouting.h"

#include "ui/HtmlHelp.h"

namespace {
constexpr DWORD kPromptContextBits = 0x30000;
}

void RouteHelpRequest(const char* helpFile, DWORD data, UINT command) {
    if (command != HELP_CONTEXT || (data & kPromptContextBits) != kPromptContextBits)
        return;
    CallHtmlHelp(nullptr, helpFile, HH_HELP_CONTEXT, data & 0xFFFF);
}
