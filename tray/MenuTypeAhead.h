// Type-ahead in the launcher menu. Its items are owner-drawn, so the system
// finds no mnemonic in them and asks the menu's owner (WM_MENUCHAR) what a
// typed character chooses: the items whose text begins with it, letters in
// either case and full-width Latin letters and digits like their ASCII
// forms.
#pragma once

#include <windows.h>

// Whether the menu is the root menu or a submenu of it at any depth.
bool IsMenuWithin(HMENU root, HMENU menu);

// The answer for a character (one byte, or a double-byte character with its
// lead byte in the high byte) typed in a menu whose owner-drawn items point
// to MenuItemData records: nothing when no item begins with it (the system
// beeps); the item, to run at once, when only one does (a submenu opens);
// otherwise the next such item after the highlighted one, wrapping round,
// to be highlighted. Separators, grayed items and the placeholder of an
// empty group are passed over.
LRESULT MenuCharAnswer(HMENU menu, unsigned character);

class MenuTypeAhead {
public:
    // A menu that opens starts afresh, and one that has closed leaves
    // nothing behind: a lead byte left from an earlier one is forgotten, and
    // so is an item still to be highlighted.
    void Reset();

    // The answer to WM_MENUCHAR (the typed character in the low word of
    // wParam, the menu in lParam). An ANSI window may be given a double-byte
    // character in one message or byte by byte; a lead byte waits for the
    // byte after it, so that a trail byte in the ASCII range (ア is 83 41) is
    // never taken for a letter.
    LRESULT OnMenuChar(WPARAM wParam, HMENU menu);

    // Whether the last answer chose an item to highlight; the owner then
    // posts itself a message whose handling calls EnsureHighlighted, which
    // runs once the menu has acted on the answer.
    bool AwaitsHighlight() const { return highlightMenu_ != nullptr; }

    // Highlights the chosen item when the menu did not: some systems (Wine)
    // run an item on a typed character but ignore the answer that only
    // selects one. The menu's own highlight then moves there, so that Enter
    // runs the item and the arrow keys go on from it. Where the menu acted
    // on the answer, nothing is done.
    void EnsureHighlighted(HWND owner);

private:
    unsigned char pendingLead_ = 0;
    HMENU pendingMenu_ = nullptr;
    HMENU highlightMenu_ = nullptr;
    int highlightPosition_ = -1;
};
