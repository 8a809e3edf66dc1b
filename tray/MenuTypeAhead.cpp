#include "tray/MenuTypeAhead.h"

#include "platform/AnsiText.h"
#include "tray/MenuItemPool.h"

namespace {

// What a character is found by: case and width folded away.
unsigned SearchKey(unsigned character) {
    return FoldCase(FoldWidth(character));
}

// The search key of the item's first character, or 0 for an item that
// typing does not reach.
unsigned ItemKey(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info))
        return 0;
    if ((info.fType & MFT_SEPARATOR) || !(info.fType & MFT_OWNERDRAW) ||
        (info.fState & MFS_DISABLED))
        return 0;
    const auto* data = reinterpret_cast<const MenuItemData*>(info.dwItemData);
    if (!data)
        return 0;
    const auto* text = reinterpret_cast<const unsigned char*>(data->text.c_str());
    return SearchKey(ReadCharacter(text));
}

int HighlightedItem(HMENU menu, int count) {
    for (int i = 0; i < count; ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
            return i;
    }
    return -1;
}

} // namespace

bool IsMenuWithin(HMENU root, HMENU menu) {
    if (!root || !menu)
        return false;
    if (root == menu)
        return true;
    int count = GetMenuItemCount(root);
    for (int i = 0; i < count; ++i) {
        HMENU submenu = GetSubMenu(root, i);
        if (submenu && IsMenuWithin(submenu, menu))
            return true;
    }
    return false;
}

// The search starts after the highlighted item (at the top when none is)
// and comes round to it last.
LRESULT MenuCharAnswer(HMENU menu, unsigned character) {
    unsigned key = SearchKey(character);
    if (key < ' ' || key == 0x7F)
        return MAKELRESULT(0, MNC_IGNORE);
    int count = GetMenuItemCount(menu);
    int highlighted = HighlightedItem(menu, count);
    int found = -1;
    int matches = 0;
    for (int step = 1; step <= count; ++step) {
        int position = (highlighted + step) % count;
        if (ItemKey(menu, position) != key)
            continue;
        if (matches++ == 0)
            found = position;
    }
    if (matches == 0)
        return MAKELRESULT(0, MNC_IGNORE);
    return MAKELRESULT(found, matches == 1 ? MNC_EXECUTE : MNC_SELECT);
}

void MenuTypeAhead::Reset() {
    pendingLead_ = 0;
    pendingMenu_ = nullptr;
    highlightMenu_ = nullptr;
    highlightPosition_ = -1;
}

// A lead byte alone chooses nothing yet; the byte that follows it in the
// same menu completes the character.
LRESULT MenuTypeAhead::OnMenuChar(WPARAM wParam, HMENU menu) {
    unsigned typed = LOWORD(wParam);
    unsigned character = typed;
    if (typed > 0xFF) {
        if (!IsLeadByte(static_cast<unsigned char>(typed >> 8)))
            character = 0;
    } else if (pendingLead_ && pendingMenu_ == menu) {
        character = typed ? (static_cast<unsigned>(pendingLead_) << 8) | typed : 0;
    } else if (IsLeadByte(static_cast<unsigned char>(typed))) {
        pendingLead_ = static_cast<unsigned char>(typed);
        pendingMenu_ = menu;
        return MAKELRESULT(0, MNC_IGNORE);
    }
    Reset();
    LRESULT answer = MenuCharAnswer(menu, character);
    if (HIWORD(answer) == MNC_SELECT) {
        highlightMenu_ = menu;
        highlightPosition_ = LOWORD(answer);
    }
    return answer;
}

// HiliteMenuItem on a menu being tracked moves the tracking's highlight in
// Wine, with the item that was highlighted before turned off; elsewhere it
// would only mark the item, which is why it is kept for the case where the
// menu ignored the answer.
void MenuTypeAhead::EnsureHighlighted(HWND owner) {
    HMENU menu = highlightMenu_;
    int position = highlightPosition_;
    highlightMenu_ = nullptr;
    highlightPosition_ = -1;
    if (!menu || !IsMenu(menu))
        return;
    if (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE)
        return;
    HiliteMenuItem(owner, menu, static_cast<UINT>(position), MF_BYPOSITION | MF_HILITE);
}
