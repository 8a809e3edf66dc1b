#include "tray/OwnerDraw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "tray/MenuItemPool.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/SystemCalls.h"

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
// items keep; the height of a line in it is kept once measured.
Font menuFont;
LOGFONTA menuFontSource{};
unsigned menuFontStamp = 0;
int menuFontLineHeight = 0;

HFONT MenuFont(UINT dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
    ScaleSystemFontToDpi(&metrics.lfMenuFont, dpi);
    if (!menuFont ||
        std::memcmp(&menuFontSource, &metrics.lfMenuFont, sizeof menuFontSource) != 0) {
        menuFont.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
        menuFontSource = metrics.lfMenuFont;
        ++menuFontStamp;
        menuFontLineHeight = 0;
    }
    return menuFont.Get();
}

// The font of the tracked menu as it opened, or the menu font for the DPI.
HFONT FontForDpi(UINT dpi) {
    return trackedFontChecked && dpi == trackedDpi && menuFont ? menuFont.Get() : MenuFont(dpi);
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

} // namespace

bool DrawImage(const IconImages::Image& image, HDC dc, int x, int y, int size) {
    if (!image.list || image.index < 0)
        return false;
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(image.list, &width, &height);
    if (width == size && height == size)
        return ImageList_Draw(image.list, image.index, dc, x, y, ILD_TRANSPARENT) != 0;
    HICON icon = ImageList_GetIcon(image.list, image.index, ILD_TRANSPARENT);
    if (!icon)
        return false;
    bool drawn = DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL) != 0;
    DestroyIcon(icon);
    return drawn;
}

namespace {

// An icon drawn from an image list is blended onto the item's background
// anew on every paint, which costs far more than the rest of the item. Each
// icon is drawn once per background colour and size onto that colour, and
// later paints copy those pixels: the same pixels, as the item under the
// icon is that one colour. The paints of one colour and size lie one under
// another in a bitmap of their own, which grows as they come (one bitmap
// each would cost a page of memory per paint). Only for 32-bit targets,
// the bitmaps' own format, and only for an image that will not change and
// whose drawing succeeded: a failed draw is not kept, so the next paint
// draws again. The paints go when the images change.
class IconPaints {
public:
    ~IconPaints() { Clear(); }

    void Draw(IconImages& images, int icon, HDC dc, int x, int y, int size, int background) {
        IconImages::Image image = images.ImageAt(icon, size);
        if (!image.exact || TargetBitsPerPixel(dc) != 32) {
            DrawImage(image, dc, x, y, size);
            return;
        }
        if (images.Stamp() != stamp_) {
            Clear();
            stamp_ = images.Stamp();
        }
        if (!dc_)
            dc_ = CreateCompatibleDC(nullptr);
        COLORREF colour = GetSysColor(background);
        Key key{image.list, image.index, size, colour};
        auto found = paints_.find(key);
        if (found == paints_.end()) {
            Sheet* sheet = SheetFor(size, colour);
            int slot = sheet ? sheet->used : -1;
            if (!sheet || !Paint(*sheet, image, slot, background)) {
                DrawImage(image, dc, x, y, size);
                return;
            }
            ++sheet->used;
            found = paints_.emplace(key, Place{sheet, slot}).first;
        }
        SelectedObject selected(dc_, found->second.sheet->bitmap);
        BitBlt(dc, x, y, size, size, dc_, 0, found->second.slot * size, SRCCOPY);
    }

    void Clear() {
        paints_.clear();
        for (Sheet& sheet : sheets_)
            DeleteObject(sheet.bitmap);
        sheets_.clear();
        if (dc_)
            DeleteDC(dc_);
        dc_ = nullptr;
    }

    size_t Count() const { return paints_.size(); }

private:
    struct Sheet {
        int size;
        COLORREF colour;
        HBITMAP bitmap;
        int capacity;
        int used;
    };
    struct Place {
        Sheet* sheet;
        int slot;
    };
    using Key = std::tuple<HIMAGELIST, int, int, COLORREF>;

    HBITMAP NewBitmap(int size, int count) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = -size * count;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        return CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    // The sheet of that size and colour with room for one more paint; a
    // full one is made twice as long, its paints copied over.
    Sheet* SheetFor(int size, COLORREF colour) {
        auto sheet = std::find_if(sheets_.begin(), sheets_.end(), [&](const Sheet& s) {
            return s.size == size && s.colour == colour;
        });
        if (sheet == sheets_.end()) {
            HBITMAP bitmap = NewBitmap(size, kFirstCapacity);
            if (!bitmap)
                return nullptr;
            // The places point into the vector: it must not move them.
            if (sheets_.size() == sheets_.capacity())
                return nullptr;
            sheets_.push_back({size, colour, bitmap, kFirstCapacity, 0});
            return &sheets_.back();
        }
        if (sheet->used < sheet->capacity)
            return &*sheet;
        HBITMAP larger = NewBitmap(size, sheet->capacity * 2);
        if (!larger)
            return nullptr;
        HDC from = CreateCompatibleDC(nullptr);
        HGDIOBJ previousFrom = SelectObject(from, sheet->bitmap);
        HGDIOBJ previous = SelectObject(dc_, larger);
        BitBlt(dc_, 0, 0, size, size * sheet->used, from, 0, 0, SRCCOPY);
        SelectObject(dc_, previous);
        SelectObject(from, previousFrom);
        DeleteDC(from);
        DeleteObject(sheet->bitmap);
        sheet->bitmap = larger;
        sheet->capacity *= 2;
        return &*sheet;
    }

    bool Paint(Sheet& sheet, const IconImages::Image& image, int slot, int background) {
        SelectedObject selected(dc_, sheet.bitmap);
        RECT area{0, slot * sheet.size, sheet.size, (slot + 1) * sheet.size};
        FillRect(dc_, &area, GetSysColorBrush(background));
        return DrawImage(image, dc_, 0, area.top, sheet.size);
    }

    static constexpr int kFirstCapacity = 16;
    // Colours and sizes seldom change; more than this many sheets are not
    // kept (their paints are drawn each time).
    static constexpr size_t kMaxSheets = 8;

    std::vector<Sheet> sheets_ = [] {
        std::vector<Sheet> sheets;
        sheets.reserve(kMaxSheets);
        return sheets;
    }();
    std::map<Key, Place> paints_;
    unsigned stamp_ = 0;
    HDC dc_ = nullptr;
};

IconPaints iconPaints;

// The DPI each menu was last opened at, and the stamp of the font it was
// measured in then.
std::map<HMENU, std::pair<UINT, unsigned>> menuDpis;

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
// not measured yet in that font. The item is as high as the system makes it
// and at least as high as a line of the text and the icon: at a DPI other
// than the system's, the system's height is made for another font.
void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT* measure, UINT dpi) {
    const MenuItemMetrics metrics = MenuItemMetricsForDpi(dpi);
    auto* data = reinterpret_cast<MenuItemData*>(measure->itemData);
    HFONT font = FontForDpi(dpi);
    int textWidth = 0;
    if (data && data->textWidthFont == menuFontStamp && menuFontLineHeight > 0) {
        textWidth = data->textWidth;
    } else {
        RECT rect{};
        WindowDC dc(window);
        SelectedObject selected(dc.Get(), font);
        DrawTextA(dc.Get(), ItemText(data), ItemTextLength(data), &rect,
                  DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
        textWidth = rect.right;
        menuFontLineHeight = rect.bottom;
        if (data) {
            data->textWidth = textWidth;
            data->textWidthFont = menuFontStamp;
        }
    }
    measure->itemWidth = static_cast<UINT>(textWidth + metrics.widthAllowance);
    measure->itemHeight = std::max({measure->itemHeight, static_cast<UINT>(menuFontLineHeight),
                                    static_cast<UINT>(metrics.iconSize)});
}

// The device context is the menu window's: its DPI is the menu's. The
// window is looked up only when no tray menu is being tracked.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, IconImages& images) {
    DrawMenuItem(draw, images, trackedDpi ? trackedDpi : DpiForWindow(WindowFromDC(draw->hDC)));
}

// The text is drawn in the font it was measured in, whatever font the menu
// put into the device context.
void DrawMenuItem(const DRAWITEMSTRUCT* draw, IconImages& images, UINT dpi) {
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
    SelectedObject font(dc, FontForDpi(dpi));
    DrawTextA(dc, ItemText(data), ItemTextLength(data), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void PrepareMenuForDpi(HMENU menu, UINT dpi) {
    FontForDpi(dpi);
    std::pair<UINT, unsigned> measure{dpi, menuFontStamp};
    auto [known, added] = menuDpis.try_emplace(menu, measure);
    if (added || known->second == measure)
        return;
    known->second = measure;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item) &&
            (item.fType & MFT_OWNERDRAW))
            System().setMenuItemInfo(menu, static_cast<UINT>(i), TRUE, &item);
    }
}

void ForgetMeasuredMenus() {
    menuDpis.clear();
}

// A new font gets a new stamp, which no record's width has.
void ForgetMenuPaintsAndWidths() {
    iconPaints.Clear();
    menuFont.Reset();
    menuFontLineHeight = 0;
}

size_t KeptIconPaints() {
    return iconPaints.Count();
}

namespace {

BOOL CALLBACK RepaintOpenMenu(HWND hwnd, LPARAM) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(hwnd))
        InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

} // namespace

void RepaintOpenMenus() {
    EnumThreadWindows(GetCurrentThreadId(), RepaintOpenMenu, 0);
}
