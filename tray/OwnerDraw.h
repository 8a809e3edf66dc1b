// The owner-drawn menu items of both tray menus: an icon from the shell's
// system image list followed by the text, in the menu's colours. The item
// data is the item's MenuItemData, or null for the placeholder of an empty
// group, which shows "(なし)".
//
// Sizes are given at 96 DPI (a 16-pixel icon 2 pixels in, the text 20 pixels
// in, 20 pixels added to the text's width) and scaled to the DPI of the
// monitor the menu opens on.
#pragma once

#include <windows.h>

#include "ui/ImageList.h"

struct MenuItemMetrics {
    int iconSize;       // the icon's width and height
    int iconLeft;       // from the item's left edge to the icon
    int textIndent;     // from the item's left edge to the text
    int widthAllowance; // added to the text's width
};

MenuItemMetrics MenuItemMetricsForDpi(UINT dpi);

// Tells the owner drawing the DPI of the monitor a tray menu opens on, for
// as long as the menu is tracked: the measuring messages carry no monitor.
class TrackedMenuDpi {
public:
    explicit TrackedMenuDpi(UINT dpi);
    ~TrackedMenuDpi();
    TrackedMenuDpi(const TrackedMenuDpi&) = delete;
    TrackedMenuDpi& operator=(const TrackedMenuDpi&) = delete;

private:
    UINT previous_;
};

// The DPI menu items are measured and drawn at: that of the tray menu being
// tracked, otherwise that of the window given.
UINT MenuDpi(HWND window);

// Sets the item's width: its text in the menu font, measured on the
// window's device context, plus room for the icon. The height stays the
// system's standard item height unless the icon needs more.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure);
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure, UINT dpi);

// Draws the item with its icon from the image list.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images);
void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images, UINT dpi);
