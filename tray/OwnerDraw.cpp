#include "tray/OwnerDraw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "tray/MenuItemPool.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"

namespace {

constexpr int kIconSize = 16;
constexpr int kIconLeft = 2;
constexpr int kTextIndent = 20;
constexpr int kWidthAllowance = 20;
// The placeholder of an empty group.
const char kEmptyGroupText[] = "(なし)";

// The structure as it was before Vista's extra field, which every system
// accepts.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);

// 0: no tray menu is being tracked.
UINT trackedDpi = 0;

const MenuItemData* ItemData(ULONG_PTR data) {
    return reinterpret_cast<const MenuItemData*>(data);
}

const char* ItemText(const MenuItemData* data) {
    return data ? data->text.c_str() : kEmptyGroupText;
}

int ItemTextLength(const MenuItemData* data) {
    return data ? static_cast<int>(data->text.size()) : lstrlenA(kEmptyGroupText);
}

// The system's menu font, kept from one item to the next: a menu is
// measured item by item each time it opens. It is made for the DPI the menu
// opens at (the system's font is made for the system's DPI, so a monitor
// with another DPI gets it at that monitor's size), and made again when the
// system's menu font or that DPI has changed since.
Font menuFont;
LOGFONTA menuFontSource{};

HFONT MenuFont(UINT dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
    UINT systemDpi = SystemDpi();
    if (dpi != systemDpi)
        metrics.lfMenuFont.lfHeight =
            MulDiv(metrics.lfMenuFont.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    if (!menuFont ||
        std::memcmp(&menuFontSource, &metrics.lfMenuFont, sizeof menuFontSource) != 0) {
        menuFont.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
        menuFontSource = metrics.lfMenuFont;
    }
    return menuFont.Get();
}

// The shell's icons come at the size it makes them for the system's DPI.
// When that is the size asked for they are drawn as they are; otherwise (a
// monitor with another DPI) the icon is drawn at the size asked for.
void DrawItemIcon(const ImageListRef& images, int index, HDC dc, int x, int y, int size) {
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images.Handle(), &width, &height);
    if (width == size && height == size) {
        images.Draw(index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    HICON icon = ImageList_GetIcon(images.Handle(), index, ILD_TRANSPARENT);
    if (!icon)
        return;
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

} // namespace

MenuItemMetrics MenuItemMetricsForDpi(UINT dpi) {
    return {ScaleForDpi(kIconSize, dpi), ScaleForDpi(kIconLeft, dpi), ScaleForDpi(kTextIndent, dpi),
            ScaleForDpi(kWidthAllowance, dpi)};
}

TrackedMenuDpi::TrackedMenuDpi(UINT dpi) : previous_(trackedDpi) {
    trackedDpi = dpi;
}

TrackedMenuDpi::~TrackedMenuDpi() {
    trackedDpi = previous_;
}

UINT MenuDpi(HWND window) {
    return trackedDpi ? trackedDpi : DpiForWindow(window);
}

void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure) {
    MeasureMenuItem(window, measure, MenuDpi(window));
}

// The text is measured as it is drawn, an "&" as a character of its own.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure, UINT dpi) {
    const MenuItemMetrics metrics = MenuItemMetricsForDpi(dpi);
    const MenuItemData* data = ItemData(measure->itemData);
    RECT rect{};
    {
        WindowDC dc(window);
        SelectedObject selected(dc.Get(), MenuFont(dpi));
        DrawTextA(dc.Get(), ItemText(data), ItemTextLength(data), &rect,
                  DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
    }
    measure->itemWidth = static_cast<UINT>(rect.right + metrics.widthAllowance);
    measure->itemHeight = std::max(measure->itemHeight, static_cast<UINT>(metrics.iconSize));
}

// The device context is the menu window's: its DPI is the menu's.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images) {
    DrawMenuItem(draw, images, MenuDpi(WindowFromDC(draw->hDC)));
}

void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images, UINT dpi) {
    const MenuItemMetrics metrics = MenuItemMetricsForDpi(dpi);
    const MenuItemData* data = ItemData(draw->itemData);
    HDC dc = draw->hDC;
    RECT rect = draw->rcItem;
    bool selected = (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) != 0 &&
                    (draw->itemState & ODS_SELECTED) != 0;
    int background = selected ? COLOR_HIGHLIGHT : COLOR_MENU;
    int text = selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
    if (draw->itemState & ODS_GRAYED)
        text = COLOR_GRAYTEXT;

    SetBkColor(dc, GetSysColor(background));
    FillRect(dc, &rect, GetSysColorBrush(background));
    SetTextColor(dc, GetSysColor(text));

    if (data && data->iconIndex != -1) {
        int top = rect.top + (rect.bottom - rect.top - metrics.iconSize) / 2;
        DrawItemIcon(images, data->iconIndex, dc, rect.left + metrics.iconLeft, top,
                     metrics.iconSize);
    }
    rect.left += metrics.textIndent;
    DrawTextA(dc, ItemText(data), ItemTextLength(data), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
