#include "tray/OwnerDraw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <tuple>

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
// The menu font was made for the tracked menu as it opened.
bool trackedFontChecked = false;

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
// Each font made gets a stamp of its own, which the measured widths of the
// items keep.
Font menuFont;
LOGFONTA menuFontSource{};
unsigned menuFontStamp = 0;

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
        ++menuFontStamp;
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

// The bits per pixel of what a device context draws on: a memory context's
// bitmap, otherwise its device.
int TargetBitsPerPixel(HDC dc) {
    if (GetObjectType(dc) == OBJ_MEMDC) {
        BITMAP bitmap{};
        if (GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap) == sizeof bitmap)
            return bitmap.bmBitsPixel;
        return 0;
    }
    return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
}

// An icon drawn from the image list is blended onto the item's background
// anew on every paint, which costs far more than the rest of the item. Each
// icon is drawn once per background colour and size onto that colour in a
// bitmap of its own, and later paints copy those pixels: the same pixels,
// as the item under the icon is that one colour. Only for 32-bit targets,
// the bitmaps' own format; the kept bitmaps go when the image list changes.
class IconPaints {
public:
    ~IconPaints() { Clear(); }

    void Draw(const ImageListRef& images, int index, HDC dc, int x, int y, int size,
              int background) {
        if (TargetBitsPerPixel(dc) != 32) {
            DrawItemIcon(images, index, dc, x, y, size);
            return;
        }
        if (images.Handle() != list_) {
            Clear();
            list_ = images.Handle();
        }
        if (!dc_)
            dc_ = CreateCompatibleDC(nullptr);
        Key key{index, size, GetSysColor(background)};
        auto found = bitmaps_.find(key);
        if (found == bitmaps_.end()) {
            HBITMAP bitmap = Paint(images, index, size, background);
            if (!bitmap) {
                DrawItemIcon(images, index, dc, x, y, size);
                return;
            }
            found = bitmaps_.emplace(key, bitmap).first;
        }
        SelectedObject selected(dc_, found->second);
        BitBlt(dc, x, y, size, size, dc_, 0, 0, SRCCOPY);
    }

private:
    using Key = std::tuple<int, int, COLORREF>;

    HBITMAP Paint(const ImageListRef& images, int index, int size, int background) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = -size;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap)
            return nullptr;
        SelectedObject selected(dc_, bitmap);
        RECT all{0, 0, size, size};
        FillRect(dc_, &all, GetSysColorBrush(background));
        DrawItemIcon(images, index, dc_, 0, 0, size);
        return bitmap;
    }

    void Clear() {
        for (auto& [key, bitmap] : bitmaps_)
            DeleteObject(bitmap);
        bitmaps_.clear();
        if (dc_)
            DeleteDC(dc_);
        dc_ = nullptr;
    }

    HIMAGELIST list_ = nullptr;
    HDC dc_ = nullptr;
    std::map<Key, HBITMAP> bitmaps_;
};

IconPaints iconPaints;

} // namespace

MenuItemMetrics MenuItemMetricsForDpi(UINT dpi) {
    return {ScaleForDpi(kIconSize, dpi), ScaleForDpi(kIconLeft, dpi), ScaleForDpi(kTextIndent, dpi),
            ScaleForDpi(kWidthAllowance, dpi)};
}

// The menu font is looked at once as the menu opens; its items are then
// measured in that font without asking the system again for each.
TrackedMenuDpi::TrackedMenuDpi(UINT dpi) : previous_(trackedDpi) {
    trackedDpi = dpi;
    MenuFont(dpi);
    trackedFontChecked = true;
}

TrackedMenuDpi::~TrackedMenuDpi() {
    trackedDpi = previous_;
    trackedFontChecked = previous_ != 0;
}

UINT MenuDpi(HWND window) {
    return trackedDpi ? trackedDpi : DpiForWindow(window);
}

void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure) {
    MeasureMenuItem(window, measure, MenuDpi(window));
}

// The text is measured as it is drawn, an "&" as a character of its own. A
// record keeps its text's width for as long as the menu font stays the one
// it was measured in: the window's device context is asked only for texts
// not measured yet in that font.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure, UINT dpi) {
    const MenuItemMetrics metrics = MenuItemMetricsForDpi(dpi);
    auto* data = reinterpret_cast<MenuItemData*>(measure->itemData);
    HFONT font = trackedFontChecked && dpi == trackedDpi ? menuFont.Get() : MenuFont(dpi);
    int textWidth = 0;
    if (data && data->textWidthFont == menuFontStamp) {
        textWidth = data->textWidth;
    } else {
        RECT rect{};
        WindowDC dc(window);
        SelectedObject selected(dc.Get(), font);
        DrawTextA(dc.Get(), ItemText(data), ItemTextLength(data), &rect,
                  DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
        textWidth = rect.right;
        if (data) {
            data->textWidth = textWidth;
            data->textWidthFont = menuFontStamp;
        }
    }
    measure->itemWidth = static_cast<UINT>(textWidth + metrics.widthAllowance);
    measure->itemHeight = std::max(measure->itemHeight, static_cast<UINT>(metrics.iconSize));
}

// The device context is the menu window's: its DPI is the menu's. The
// window is looked up only when no tray menu is being tracked.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, const ImageListRef& images) {
    DrawMenuItem(draw, images, trackedDpi ? trackedDpi : DpiForWindow(WindowFromDC(draw->hDC)));
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
        iconPaints.Draw(images, data->iconIndex, dc, rect.left + metrics.iconLeft, top,
                        metrics.iconSize, background);
    }
    rect.left += metrics.textIndent;
    DrawTextA(dc, ItemText(data), ItemTextLength(data), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
