// The program at the DPI of the Wine prefix it runs in: CTest runs this
// suite at 96 DPI and again in prefixes of their own at 144 and 192 DPI
// (run-at-dpi.sh sets LogPixels before the process starts and names the
// DPI in BRINDLEWAY_EXPECTED_DPI). Sizes are given at 96 DPI and must follow
// the DPI: the owner-drawn menu items, the icons, the dialogs' texts and
// what a change of DPI resizes.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "support/IconWaiting.h"
#include "support/PixelCanvas.h"
#include "support/SettingsWindowFixture.h"
#include "tray/OwnerDraw.h"
#include "tray/TrayIcon.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/IconResolver.h"
#include "ui/ImageList.h"
#include "ui/ShellIcons.h"
#include "ui/SystemCalls.h"

namespace {

UINT ExpectedDpi() {
    const char* value = std::getenv("BRINDLEWAY_EXPECTED_DPI");
    return value ? static_cast<UINT>(std::atoi(value)) : kBaseDpi;
}

// The menu font as the system makes it for the system's DPI.
Font MenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    return Font(CreateFontIndirectA(&metrics.lfMenuFont));
}

RECT TextExtent(HWND window, HFONT font, const char* text) {
    WindowDC dc(window);
    SelectedObject selected(dc.Get(), font);
    RECT rect{};
    DrawTextA(dc.Get(), text, -1, &rect, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
    return rect;
}

int TextWidth(HWND window, HFONT font, const char* text) {
    return TextExtent(window, font, text).right;
}

int TextHeight(HWND window, HFONT font, const char* text) {
    return TextExtent(window, font, text).bottom;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return {0, 0};
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

using Canvas = PixelCanvas;

TEST(DpiPrefix, TheProgramRunsAtThePrefixDpi) {
    EXPECT_EQ(ExpectedDpi(), SystemDpi());
    POINT origin{0, 0};
    EXPECT_EQ(ExpectedDpi(), DpiAtPoint(origin));
    int smallIcon = 0;
    int unused = 0;
    IconResolver icons;
    ImageList_GetIconSize(icons.List(), &smallIcon, &unused);
    EXPECT_EQ(ScaleForDpi(16, ExpectedDpi()), smallIcon) << "the views' icons";
}

struct MetricsRow {
    UINT dpi;
    MenuItemMetrics metrics;
};

// At 96 DPI the sizes are the ones the menu has always had.
TEST(MenuItemMetrics, ScaleWithTheDpi) {
    const MetricsRow rows[] = {
        {96, {16, 2, 20, 20}},
        {120, {20, 3, 25, 25}},
        {144, {24, 3, 30, 30}},
        {192, {32, 4, 40, 40}},
    };
    for (const MetricsRow& row : rows) {
        SCOPED_TRACE(row.dpi);
        MenuItemMetrics have = MenuItemMetricsForDpi(row.dpi);
        EXPECT_EQ(row.metrics.iconSize, have.iconSize);
        EXPECT_EQ(row.metrics.iconLeft, have.iconLeft);
        EXPECT_EQ(row.metrics.textIndent, have.textIndent);
        EXPECT_EQ(row.metrics.widthAllowance, have.widthAllowance);
    }
}

class DpiWindowTest : public SettingsWindowTest {
protected:
    UINT Dpi() const { return ExpectedDpi(); }
};

// The window measures its menu items at its DPI: the text in the menu font
// plus the scaled allowance, and at least as high as the scaled icon.
TEST_F(DpiWindowTest, MenuItemsAreMeasuredAtTheDpi) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData group{"グループ Group", w.FolderIconIndex()};
    Font font = MenuFont();
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemHeight = 1;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&group);
    SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(TextWidth(Handle(), font.Get(), group.text.c_str()) + ScaleForDpi(20, Dpi()),
              static_cast<int>(measure.itemWidth));
    EXPECT_EQ(static_cast<UINT>(ScaleForDpi(16, Dpi())), measure.itemHeight);

    // A preset height that holds the icon is kept.
    measure.itemHeight = 100;
    SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(100u, measure.itemHeight);
}

// The icon is drawn at the scaled size, the scaled margin in, and the text
// starts at the scaled indent.
TEST_F(DpiWindowTest, IconsAreDrawnAtTheDpiSize) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData group{"", w.FolderIconIndex()};
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    const MenuItemMetrics metrics{ScaleForDpi(16, Dpi()), ScaleForDpi(2, Dpi()), 0, 0};
    const int height = metrics.iconSize + 8;
    Canvas canvas(200, height);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hDC = canvas.Dc();
    draw.rcItem = {0, 0, 200, height};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&group);
    SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));

    RECT icon = canvas.Extent({0, 0, 200, height}, GetSysColor(COLOR_MENU));
    SCOPED_TRACE(testing::Message() << "icon " << icon.left << "," << icon.top << " - "
                                    << icon.right << "," << icon.bottom);
    EXPECT_GE(icon.left, metrics.iconLeft);
    EXPECT_LE(icon.right, metrics.iconLeft + metrics.iconSize);
    EXPECT_GE(icon.top, 4);
    EXPECT_LE(icon.bottom, 4 + metrics.iconSize);
    // The folder fills most of its square: more than the next smaller size.
    EXPECT_GT(icon.right - icon.left, metrics.iconSize * 3 / 4);
}

// The icon of a location ("file,index", as the resolver keeps it) taken at
// a size, drawn on the menu's colour at another size as a menu draws icons:
// from an image list of the size taken, scaled when the sizes differ.
std::vector<DWORD> LocationIconPixels(const std::string& key, int iconSize, int drawnSize) {
    size_t comma = key.rfind(',');
    IconSource source;
    source.kind = IconSource::Kind::Location;
    source.file = key.substr(0, comma);
    source.index = std::atoi(key.c_str() + comma + 1);
    Icon icon = IconFromSource(source, iconSize);
    ImageList list(ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 1, 1));
    ImageList_ReplaceIcon(list.Handle(), -1, icon.Get());
    Canvas canvas(drawnSize, drawnSize);
    RECT all{0, 0, drawnSize, drawnSize};
    FillRect(canvas.Dc(), &all, GetSysColorBrush(COLOR_MENU));
    if (iconSize == drawnSize) {
        ImageList_Draw(list.Handle(), 0, canvas.Dc(), 0, 0, ILD_TRANSPARENT);
    } else {
        Icon copy(ImageList_GetIcon(list.Handle(), 0, ILD_TRANSPARENT));
        DrawIconEx(canvas.Dc(), 0, 0, copy.Get(), drawnSize, drawnSize, 0, nullptr, DI_NORMAL);
    }
    return canvas.Bits();
}

// The same item on a monitor of twice the DPI: the icon is drawn at twice
// its size, the text further in; once the icon made for that size has come
// from its file, that is what is drawn, not the small one stretched.
TEST_F(DpiWindowTest, AMenuOnAMonitorOfAnotherDpiDrawsAtThatDpi) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData group{"", w.FolderIconIndex()};
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    const UINT dpi = Dpi() * 2;
    const MenuItemMetrics metrics{ScaleForDpi(16, dpi), ScaleForDpi(2, dpi), 0, 0};
    const int height = metrics.iconSize + 8;
    auto draw = [&] {
        Canvas canvas(300, height);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemAction = ODA_DRAWENTIRE;
        item.hDC = canvas.Dc();
        item.rcItem = {0, 0, 300, height};
        item.itemData = reinterpret_cast<ULONG_PTR>(&group);
        TrackedMenuDpi tracked(dpi);
        SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        RECT icon = canvas.Extent({0, 0, 300, height}, GetSysColor(COLOR_MENU));
        EXPECT_LE(icon.right, metrics.iconLeft + metrics.iconSize);
        EXPECT_GT(icon.right - icon.left, metrics.iconSize * 3 / 4);
        std::vector<DWORD> square;
        for (int y = 4; y < 4 + metrics.iconSize; ++y)
            for (int x = metrics.iconLeft; x < metrics.iconLeft + metrics.iconSize; ++x)
                square.push_back(canvas.Bits()[static_cast<size_t>(y) * 300 + x] & 0xFFFFFF);
        return square;
    };
    draw();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    std::vector<DWORD> drawn = draw();

    const std::string source = w.Icons().SourceOf(w.FolderIconIndex());
    ASSERT_NE(std::string::npos, source.rfind(','));
    std::vector<DWORD> madeForSize = LocationIconPixels(source, metrics.iconSize, metrics.iconSize);
    std::vector<DWORD> stretched =
        LocationIconPixels(source, ScaleForDpi(16, Dpi()), metrics.iconSize);
    for (DWORD* pixels : {madeForSize.data(), stretched.data()})
        for (size_t i = 0; i < madeForSize.size(); ++i)
            pixels[i] &= 0xFFFFFF;
    ASSERT_NE(madeForSize, stretched) << "the sizes' images differ";
    EXPECT_EQ(madeForSize, drawn);
}

// Reads the first item's rectangle of a menu once it is shown and idle, then
// closes it.
class ItemRectReader {
public:
    ItemRectReader(HWND window, HMENU menu) : window_(window), menu_(menu) {
        active_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~ItemRectReader() {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    ItemRectReader(const ItemRectReader&) = delete;
    ItemRectReader& operator=(const ItemRectReader&) = delete;

    RECT item{};
    bool read = false;
    // What the window answered when the menu measured its item.
    UINT measuredWidth = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        ItemRectReader& self = *active_;
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && !self.read) {
            self.read = GetMenuItemRect(hwnd, self.menu_, 0, &self.item) != 0;
            EndMenu();
        }
        LRESULT result = CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
        if (msg == WM_MEASUREITEM)
            self.measuredWidth = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemWidth;
        return result;
    }

    static inline ItemRectReader* active_ = nullptr;
    HWND window_;
    HMENU menu_;
    WNDPROC previous_ = nullptr;
};

// The tray menu as the user opens it: its first item, a group with the
// folder icon, is measured as its text plus the scaled allowance, and the
// menu shows it at least that wide and as high as the scaled icon.
TEST_F(DpiWindowTest, TheTrackedLauncherMenuHasScaledItems) {
    WriteDataFile(folder.Path(), {{"道具", KIND_GROUP, kParentTopLevel}});
    WriteOptions();
    SettingsWindow& w = Open();
    ASSERT_EQ(1, GetMenuItemCount(w.LauncherMenuHandle()));
    ItemRectReader reader(Handle(), w.LauncherMenuHandle());
    SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    ASSERT_TRUE(reader.read);
    const RECT item = reader.item;
    Font font = MenuFont();
    const int width = TextWidth(Handle(), font.Get(), "道具") + ScaleForDpi(20, Dpi());
    EXPECT_EQ(width, static_cast<int>(reader.measuredWidth));
    EXPECT_GE(item.right - item.left, width);
    EXPECT_GE(item.bottom - item.top, ScaleForDpi(16, Dpi()));
}

// The menu font as a menu on a monitor of that DPI uses it.
Font MenuFontAtDpi(UINT dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    metrics.lfMenuFont.lfHeight =
        MulDiv(metrics.lfMenuFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return Font(CreateFontIndirectA(&metrics.lfMenuFont));
}

std::vector<std::pair<HMENU, UINT>>* itemsSet = nullptr;

BOOL WINAPI RecordSetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (itemsSet)
        itemsSet->emplace_back(menu, item);
    return SetMenuItemInfoA(menu, item, byPosition, info);
}

// One menu, built once, opened on this monitor, again, then on a monitor of
// twice the DPI and back. Windows measures a menu's owner-drawn items at
// its first showing and keeps the sizes, so an opening at another DPI must
// set the items anew to have them measured again; Wine measures at every
// opening, so under Wine what shows the fault is whether the program sets
// the items anew (recorded here) exactly when the DPI changed. The items
// are measured at each opening's DPI, as the user sees them under Wine.
TEST_F(DpiWindowTest, OneBuiltMenuOpenedAtTwoDpisIsMeasuredAgainAtTheOther) {
    WriteDataFile(folder.Path(), {{"道具", KIND_GROUP, kParentTopLevel},
                                  {"メモ", KIND_URL, kParentTopLevel, "https://example.org/"}});
    WriteOptions();
    SettingsWindow& w = Open();
    HMENU menu = w.LauncherMenuHandle();
    std::vector<std::pair<HMENU, UINT>> set;
    itemsSet = &set;
    auto saved = System().setMenuItemInfo;
    System().setMenuItemInfo = RecordSetMenuItemInfo;
    auto open = [&](UINT dpi) {
        set.clear();
        ItemRectReader reader(Handle(), menu);
        TrackedMenuDpi tracked(dpi);
        TrackPopupMenu(menu, 0, 100, 100, 0, Handle(), nullptr);
        EXPECT_TRUE(reader.read);
        return reader.measuredWidth;
    };
    auto expected = [&](UINT dpi) {
        Font font = MenuFontAtDpi(dpi);
        return static_cast<UINT>(TextWidth(Handle(), font.Get(), "メモ") + ScaleForDpi(20, dpi));
    };
    const std::vector<std::pair<HMENU, UINT>> bothItems{{menu, 0}, {menu, 1}};
    UINT here = open(Dpi());
    std::vector<std::pair<HMENU, UINT>> first = set;
    UINT again = open(Dpi());
    std::vector<std::pair<HMENU, UINT>> second = set;
    UINT there = open(Dpi() * 2);
    std::vector<std::pair<HMENU, UINT>> onTheOther = set;
    UINT back = open(Dpi());
    std::vector<std::pair<HMENU, UINT>> onReturn = set;
    System().setMenuItemInfo = saved;
    itemsSet = nullptr;

    EXPECT_TRUE(first.empty()) << "a first opening is measured anyway";
    EXPECT_TRUE(second.empty()) << "the same DPI keeps the sizes";
    EXPECT_EQ(bothItems, onTheOther);
    EXPECT_EQ(bothItems, onReturn);
    EXPECT_EQ(expected(Dpi()), here);
    EXPECT_EQ(expected(Dpi()), again);
    EXPECT_EQ(expected(Dpi() * 2), there);
    EXPECT_EQ(expected(Dpi()), back);
}

// On a monitor of twice the DPI the menu's device context comes with the
// system's menu font, made for the system's DPI; the item's text is drawn
// in the font it was measured in, that of the monitor's DPI, and the item
// is as high as a line of it.
TEST_F(DpiWindowTest, AMenuOnAMonitorOfAnotherDpiDrawsItsTextInItsFont) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData entry{"メモ帳", -1};
    const UINT dpi = Dpi() * 2;
    Font systemFont = MenuFont();
    Font dpiFont = MenuFontAtDpi(dpi);
    const int indent = ScaleForDpi(20, dpi);
    const int height = 3 * ScaleForDpi(16, dpi);
    auto text = [&](HFONT font) {
        Canvas canvas(300, height);
        RECT all{0, 0, 300, height};
        FillRect(canvas.Dc(), &all, GetSysColorBrush(COLOR_MENU));
        SetBkColor(canvas.Dc(), GetSysColor(COLOR_MENU));
        SetTextColor(canvas.Dc(), GetSysColor(COLOR_MENUTEXT));
        SelectedObject selected(canvas.Dc(), font);
        RECT rect{indent, 0, 300, height};
        DrawTextA(canvas.Dc(), entry.text.c_str(), -1, &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return canvas.Bits();
    };
    std::vector<DWORD> inDpiFont = text(dpiFont.Get());
    ASSERT_NE(inDpiFont, text(systemFont.Get()));

    Canvas canvas(300, height);
    SelectedObject menuDc(canvas.Dc(), systemFont.Get());
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hDC = canvas.Dc();
    draw.rcItem = {0, 0, 300, height};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&entry);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    // The system's height for its own font, which is too low for the text
    // at twice the DPI.
    measure.itemHeight = static_cast<UINT>(TextHeight(Handle(), systemFont.Get(), "メモ帳"));
    measure.itemData = reinterpret_cast<ULONG_PTR>(&entry);
    {
        TrackedMenuDpi tracked(dpi);
        SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    }
    EXPECT_EQ(inDpiFont, canvas.Bits());
    EXPECT_GE(static_cast<int>(measure.itemHeight), TextHeight(Handle(), dpiFont.Get(), "メモ帳"));
    (void)w;
}

// The menu keeps its items' widths from one opening to the next; when the
// system's menu font changes in between (no broadcast announces it here),
// the next opening measures and shows the items in the new font, and in the
// old one again once it is back.
TEST_F(DpiWindowTest, ALaterOpeningFollowsAChangedMenuFont) {
    WriteDataFile(folder.Path(), {{"道具箱", KIND_GROUP, kParentTopLevel}});
    WriteOptions();
    SettingsWindow& w = Open();
    auto open = [&] {
        ItemRectReader reader(Handle(), w.LauncherMenuHandle());
        SendMessageA(Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
        EXPECT_TRUE(reader.read);
        return std::make_pair(reader.measuredWidth, reader.item);
    };
    auto expected = [&] {
        Font font = MenuFont();
        return TextWidth(Handle(), font.Get(), "道具箱") + ScaleForDpi(20, Dpi());
    };
    const auto [before, beforeItem] = open();
    EXPECT_EQ(expected(), static_cast<int>(before));
    EXPECT_EQ(before, open().first) << "the kept width";

    NONCLIENTMETRICSA saved{};
    saved.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, saved.cbSize, &saved, 0));
    NONCLIENTMETRICSA larger = saved;
    larger.lfMenuFont.lfHeight = saved.lfMenuFont.lfHeight * 2 - 8;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, larger.cbSize, &larger, 0));
    const int widened = expected();
    const auto [after, afterItem] = open();
    SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, saved.cbSize, &saved, 0);
    EXPECT_GT(widened, static_cast<int>(before));
    EXPECT_EQ(widened, static_cast<int>(after));
    EXPECT_GE(afterItem.right - afterItem.left, widened);
    EXPECT_EQ(before, open().first) << "back to the old font";
}

// The window's icons at the sizes of its DPI, the tray's at the system's
// small-icon size, each the image drawn for that size.
TEST_F(DpiWindowTest, IconsComeAtTheSizesTheDpiAsksFor) {
    WriteOptions();
    Open();
    auto big = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_GETICON, ICON_BIG, 0));
    auto small = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_GETICON, ICON_SMALL, 0));
    const int bigSize = ScaleForDpi(32, Dpi());
    const int smallSize = ScaleForDpi(16, Dpi());
    EXPECT_EQ(bigSize, IconSize(big).cx);
    EXPECT_EQ(bigSize, IconSize(big).cy);
    EXPECT_EQ(smallSize, IconSize(small).cx);
    EXPECT_EQ(smallSize, IconSize(small).cy);
    EXPECT_EQ(big, reinterpret_cast<HICON>(SendMessageA(Handle(), WM_QUERYDRAGICON, 0, 0)));
    ASSERT_EQ(1u, shell.Of("NIM_ADD").size());
    SIZE tray = IconSize(shell.Of("NIM_ADD")[0].icon.hIcon);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), tray.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), tray.cy);
}

// A move to a monitor of another DPI: the window takes the suggested
// rectangle, its icons are loaded at the new sizes and the list's columns
// keep their share; moving back restores them.
TEST_F(DpiWindowTest, AChangeOfDpiResizesTheWindowItsIconsAndColumns) {
    WriteOptions();
    SettingsWindow& w = Open();
    const HWND list = w.ItemList().Handle();
    const int name = ListView_GetColumnWidth(list, 0);
    const int place = ListView_GetColumnWidth(list, 1);
    EXPECT_EQ(ScaleForDpi(100, Dpi()), name);
    EXPECT_EQ(ScaleForDpi(250, Dpi()), place);
    const RECT before = w.WindowRect();

    const UINT twice = Dpi() * 2;
    RECT suggested{before.left + 10, before.top + 20,
                   before.left + 10 + 2 * (before.right - before.left),
                   before.top + 20 + 2 * (before.bottom - before.top)};
    SendMessageA(Handle(), WM_DPICHANGED, MAKEWPARAM(twice, twice),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT after = w.WindowRect();
    EXPECT_EQ(suggested.left, after.left);
    EXPECT_EQ(suggested.top, after.top);
    EXPECT_EQ(suggested.right, after.right);
    EXPECT_EQ(suggested.bottom, after.bottom);
    EXPECT_EQ(2 * name, ListView_GetColumnWidth(list, 0));
    EXPECT_EQ(2 * place, ListView_GetColumnWidth(list, 1));
    auto big = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_GETICON, ICON_BIG, 0));
    auto small = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(ScaleForDpi(64, Dpi()), IconSize(big).cx);
    EXPECT_EQ(ScaleForDpi(32, Dpi()), IconSize(small).cx);

    SendMessageA(Handle(), WM_DPICHANGED, MAKEWPARAM(Dpi(), Dpi()),
                 reinterpret_cast<LPARAM>(&before));
    after = w.WindowRect();
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(name, ListView_GetColumnWidth(list, 0));
    EXPECT_EQ(place, ListView_GetColumnWidth(list, 1));
    big = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(ScaleForDpi(32, Dpi()), IconSize(big).cx);
}

// Every dialog from its template at this DPI: each control's text, in the
// control's font, fits the control (a check box's text beside its box).
INT_PTR CALLBACK PlainDialog(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

struct TextFit {
    std::string text;
    int need;
    int have;
    int needHeight;
    int haveHeight;
};

BOOL CALLBACK CollectFit(HWND control, LPARAM param) {
    auto* fits = reinterpret_cast<std::vector<TextFit>*>(param);
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ||
        (lstrcmpiA(className, "Button") != 0 && lstrcmpiA(className, "Static") != 0))
        return TRUE;
    LONG style = GetWindowLongA(control, GWL_STYLE);
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    bool isStatic = lstrcmpiA(className, "Static") == 0;
    if (!text[0] || (isStatic && (style & SS_TYPEMASK) > SS_RIGHT &&
                     (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP))
        return TRUE;
    LONG type = style & BS_TYPEMASK;
    if (!isStatic && type == BS_GROUPBOX)
        return TRUE;
    auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect{};
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client{};
    GetClientRect(control, &client);
    int need = rect.right;
    bool checkBox = !isStatic &&
                    (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                     type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
    if (checkBox)
        need += GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
    else if (!isStatic)
        need += 2 * GetSystemMetrics(SM_CXEDGE);
    fits->push_back({text, need, client.right, rect.bottom, client.bottom});
    return TRUE;
}

TEST(DialogTexts, EveryControlHoldsItsText) {
    for (int id : {IDD_SETTINGS, IDD_ITEM_EDITOR, IDD_OPTIONS, IDD_ABOUT}) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                                         PlainDialog, 0);
        ASSERT_NE(nullptr, dialog);
        std::vector<TextFit> fits;
        EnumChildWindows(dialog, CollectFit, reinterpret_cast<LPARAM>(&fits));
        EXPECT_LT(0u, fits.size());
        for (const TextFit& fit : fits) {
            EXPECT_LE(fit.need, fit.have) << fit.text;
            EXPECT_LE(fit.needHeight, fit.haveHeight) << fit.text;
        }
        DestroyWindow(dialog);
    }
}

} // namespace
