#include "ui/HelpPage.h"

#include "ui/HtmlHelp.h"

namespace {

bool IsMenuUnder(HMENU root, HMENU menu) {
    if (!root || !menu)
        return false;
    if (root == menu)
        return true;
    int count = GetMenuItemCount(root);
    for (int i = 0; i < count; ++i)
        if (IsMenuUnder(GetSubMenu(root, i), menu))
            return true;
    return false;
}

} // namespace

HWND ShowHelpPage(const std::string& helpFile, const char* page) {
    std::string topic = helpFile + "::/" + page;
    return CallHtmlHelp(nullptr, topic.c_str(), HH_DISPLAY_TOPIC, 0);
}

bool IsOwnHelpRequest(HWND window, const HELPINFO* info) {
    if (!info || !window)
        return false;
    if (info->iContextType == HELPINFO_MENUITEM)
        return IsMenuUnder(GetMenu(window), static_cast<HMENU>(info->hItemHandle));
    auto item = static_cast<HWND>(info->hItemHandle);
    return item == window || IsChild(window, item);
}
