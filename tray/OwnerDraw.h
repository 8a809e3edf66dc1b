// The owner-drawn menu items of both tray menus: an icon followed by the
// text, in the menu's colours. The item data is the item's MenuItemData, or
// null for the placeholder of an empty group, which shows "(なし)".
//
// Sizes are given at 96 DPI (a 16-pixel icon 2 pixels in, the text 20 pixels
// in, 20 pixels added to the text's width) and scaled to the DPI of the
// monitor the menu opens on; the text is measured and drawn in the menu font
// made for that DPI, and the icon drawn from images of its size.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/IconImages.h"

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

// Sets the item's size: its width the text in the menu font, measured on
// the window's device context, plus room for the icon; its height at least
// the text's and the icon's.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure);
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure, UINT dpi);

// Draws the image at the size in pixels; an image of another size (one not
// made for this size yet) is scaled to it. False when nothing was drawn.
bool DrawImage(const IconImages::Image& image, HDC dc, int x, int y, int size);

// Draws the item with its icon from the images.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, IconImages& images);
void DrawMenuItem(const DRAWITEMSTRUCT* draw, IconImages& images, UINT dpi);

// For a menu about to open (WM_INITMENUPOPUP) at the DPI given. Windows
// measures a menu's owner-drawn items at its first showing and keeps the
// sizes; when the menu was measured at another DPI or in another menu font,
// its items are set anew, which makes Windows measure them again. (Wine
// measures at every opening.)
void PrepareMenuForDpi(HMENU menu, UINT dpi);
// The menus are rebuilt: what was remembered of the old ones goes.
void ForgetMeasuredMenus();

// Forgets what the drawing kept from earlier items: the icons' paints and
// the texts' widths. Colours, fonts, the DPI or the icons may have changed.
void ForgetMenuPaintsAndWidths();
// How many icon paints are kept (for tests).
size_t KeptIconPaints();

// The thread's tray menus that are open draw themselves again.
void RepaintOpenMenus();
