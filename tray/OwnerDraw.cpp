#include "tray/OwnerDraw.h"

#include <cstddef>
#include <cstring>

#include "tray/MenuItemPool.h"
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
// measured item by item each time it opens. It is made again when the
// system's menu font has changed since.
Font menuFont;
LOGFONTA menuFontSource{};

HFONT MenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
    if (!menuFont ||
        std::memcmp(&menuFontSource, &metrics.lfMenuFont, sizeof menuFontSource) != 0) {
        menuFont.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
        menuFontSource = metrics.lfMenuFont;
    }
    return menuFont.Get();
}

} // namespace

// The text is measured as it is drawn, an "&" as a character of its own.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure) {
    const MenuItemData* data = ItemData(measure->itemData);
    RECT rect{};
    {
        WindowDC dc(window);
        SelectedObject selected(dc.Get(), MenuFont());
        DrawTextA(dc.Get(), ItemText(data), ItemTextLength(data), &rect,
                  DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
    }
    measure->itemWidth = static_cast<UINT>(rect.right + kWidthAllowance);
}

void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images) {
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
        int top = rect.top + (rect.bottom - rect.top - kIconSize) / 2;
        images.Draw(data->iconIndex, dc, rect.left + kIconLeft, top, ILD_TRANSPARENT);
    }
    rect.left += kTextIndent;
    DrawTextA(dc, ItemText(data), ItemTextLength(data), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
