// The owner-drawn menu items of both tray menus: a 16 by 16 icon from the
// shell's system image list followed by the text, in the menu's colours.
// The item data is the item's MenuItemData, or null for the placeholder of
// an empty group, which shows "(なし)".
#pragma once

#include <windows.h>

#include "ui/ImageList.h"

// Sets the item's width: its text in the menu font, measured on the
// window's device context, plus room for the icon. The height stays the
// system's standard item height.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure);

// Draws the item with its icon from the image list.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images);
