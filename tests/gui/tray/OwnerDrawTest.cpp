// Measuring and drawing the owner-drawn menu items, and the settings
// window's routing of the menus' measure and draw messages to them.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "TraySupport.h"
#include "support/IconFiles.h"
#include "support/IconWaiting.h"
#include "support/PixelCanvas.h"
#include "support/SettingsWindowFixture.h"
#include "tray/OwnerDraw.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"
#include "ui/Icon.h"
#include "ui/ImageList.h"

namespace {

Font MenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    return Font(CreateFontIndirectA(&metrics.lfMenuFont));
}

RECT TextExtent(HWND window, const char* text, UINT flags) {
    Font font = MenuFont();
    WindowDC dc(window);
    SelectedObject selected(dc.Get(), font.Get());
    RECT rect{};
    DrawTextA(dc.Get(), text, -1, &rect, DT_CALCRECT | DT_NOCLIP | flags);
    return rect;
}

int TextWidth(HWND window, const char* text, UINT flags) {
    return TextExtent(window, text, flags).right;
}

// The menu font outlives the canvas it is selected into: a base class
// constructed first and destroyed last.
struct MenuFontHolder {
    Font menuFont = MenuFont();
};

// A canvas with the menu font selected as the system selects it for a menu.
class Canvas : private MenuFontHolder, public PixelCanvas {
public:
    Canvas(int width, int height) : PixelCanvas(width, height, menuFont.Get()) {}
};

MEASUREITEMSTRUCT MeasureRequest(const MenuItemData* data) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemHeight = 19;
    measure.itemData = reinterpret_cast<ULONG_PTR>(data);
    return measure;
}

DRAWITEMSTRUCT DrawRequest(Canvas& canvas, const MenuItemData* data, UINT state, RECT item,
                           UINT action) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemAction = action;
    draw.itemState = state;
    draw.hDC = canvas.Dc();
    draw.rcItem = item;
    draw.itemData = reinterpret_cast<ULONG_PTR>(data);
    return draw;
}

// A list of two icons unlike each other, at the menu's icon size.
ImageList TwoIcons() {
    ImageList list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    for (LPCSTR id : {IDI_APPLICATION, IDI_WARNING}) {
        HICON icon = static_cast<HICON>(CopyImage(LoadIconA(nullptr, id), IMAGE_ICON, 16, 16, 0));
        ImageList_ReplaceIcon(list.Handle(), -1, icon);
        DestroyIcon(icon);
    }
    return list;
}

// The owner drawing on its own: a hidden window's device context for
// measuring, a list of its own for the icons.
class OwnerDrawTest : public testing::Test {
protected:
    HWND Handle() const { return owner.Handle(); }
    // The width; the height goes to measuredHeight.
    UINT Measure(const MenuItemData* data) {
        MEASUREITEMSTRUCT measure = MeasureRequest(data);
        MeasureMenuItem(Handle(), &measure);
        measuredHeight = measure.itemHeight;
        return measure.itemWidth;
    }
    void Draw(Canvas& canvas, const MenuItemData* data, UINT state, RECT item,
              UINT action = ODA_DRAWENTIRE) {
        DRAWITEMSTRUCT draw = DrawRequest(canvas, data, state, item, action);
        DrawMenuItem(&draw, images);
    }

    HiddenWindow owner;
    ImageList list = TwoIcons();
    ListImages images{list.Handle()};
    UINT measuredHeight = 0;
};

TEST_F(OwnerDrawTest, WidthIsTheTextInTheMenuFontPlusTwenty) {
    MenuItemData entry{"メモ帳 Notepad", 3};
    EXPECT_EQ(TextWidth(Handle(), entry.text.c_str(), 0) + 20, static_cast<int>(Measure(&entry)));
    // The system's height, which holds the text and the icon, stays.
    EXPECT_EQ(19u, measuredHeight);
    // The placeholder of an empty group.
    EXPECT_EQ(TextWidth(Handle(), "(なし)", 0) + 20, static_cast<int>(Measure(nullptr)));
    EXPECT_EQ(19u, measuredHeight);
}

TEST_F(OwnerDrawTest, AnAmpersandIsMeasuredAsACharacter) {
    MenuItemData entry{"A&&&&B", -1};
    int shown = TextWidth(Handle(), "A&&&&B", DT_NOPREFIX);
    ASSERT_GT(shown, TextWidth(Handle(), "A&&&&B", 0));
    EXPECT_EQ(shown + 20, static_cast<int>(Measure(&entry)));
}

// The font is kept from one item to the next; when the system's menu font
// changes, the next item is measured in the new one, and is as high as a
// line of it where the preset height is lower.
TEST_F(OwnerDrawTest, AChangedMenuFontMeasuresTheNextItem) {
    MenuItemData entry{"メモ帳 Notepad", 3};
    UINT before = Measure(&entry);
    NONCLIENTMETRICSA saved{};
    saved.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, saved.cbSize, &saved, 0));
    NONCLIENTMETRICSA larger = saved;
    larger.lfMenuFont.lfHeight = saved.lfMenuFont.lfHeight * 2 - 8;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, larger.cbSize, &larger, 0));
    RECT extent = TextExtent(Handle(), entry.text.c_str(), 0);
    UINT after = Measure(&entry);
    UINT afterHeight = measuredHeight;
    SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, saved.cbSize, &saved, 0);
    EXPECT_GT(after, before);
    EXPECT_EQ(extent.right + 20, static_cast<int>(after));
    ASSERT_GT(extent.bottom, 19) << "a line of the larger font is higher than the preset";
    EXPECT_EQ(static_cast<UINT>(extent.bottom), afterHeight);
    EXPECT_EQ(before, Measure(&entry)) << "back to the old font";
    EXPECT_EQ(19u, measuredHeight);
}

struct ColourCase {
    const char* title;
    UINT state;
    UINT action;
    int background;
    int text;
};

const ColourCase kColourCases[] = {
    {"normal", 0, ODA_DRAWENTIRE, COLOR_MENU, COLOR_MENUTEXT},
    {"selected", ODS_SELECTED, ODA_DRAWENTIRE, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    {"selected by moving onto it", ODS_SELECTED, ODA_SELECT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    {"focus change only", ODS_SELECTED, ODA_FOCUS, COLOR_MENU, COLOR_MENUTEXT},
    {"grayed", ODS_GRAYED, ODA_DRAWENTIRE, COLOR_MENU, COLOR_GRAYTEXT},
    {"grayed and selected", ODS_GRAYED | ODS_SELECTED, ODA_DRAWENTIRE, COLOR_HIGHLIGHT,
     COLOR_GRAYTEXT},
};

TEST_F(OwnerDrawTest, ColoursFollowTheItemState) {
    // The cases only tell something when the colours differ.
    ASSERT_NE(GetSysColor(COLOR_MENU), GetSysColor(COLOR_HIGHLIGHT));
    ASSERT_NE(GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_GRAYTEXT));
    ASSERT_NE(GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_GRAYTEXT));
    MenuItemData entry{"■■■■", -1};
    for (const ColourCase& test : kColourCases) {
        const MenuItemData* items[] = {&entry, nullptr};
        for (const MenuItemData* data : items) {
            SCOPED_TRACE(std::string(test.title) + (data ? " entry" : " placeholder"));
            Canvas canvas(160, 24);
            Draw(canvas, data, test.state, {0, 0, 160, 24}, test.action);
            COLORREF background = GetSysColor(test.background);
            // No icon: the margin before the text is all background.
            EXPECT_TRUE(canvas.All({0, 0, 20, 24}, background));
            EXPECT_TRUE(canvas.All({150, 0, 160, 24}, background));
            EXPECT_TRUE(canvas.Any({20, 0, 150, 24}, GetSysColor(test.text)));
        }
    }
}

TEST_F(OwnerDrawTest, IconSitsTwoPixelsInAndCentredVertically) {
    MenuItemData group{"G", 0};
    Canvas canvas(200, 60);
    RECT item{10, 20, 190, 44}; // 24 high: the icon goes 4 pixels down
    COLORREF background = GetSysColor(COLOR_MENU);
    Draw(canvas, &group, 0, item);
    EXPECT_TRUE(canvas.All({10, 20, 12, 44}, background)); // left margin
    EXPECT_TRUE(canvas.All({10, 20, 30, 24}, background)); // above the icon
    EXPECT_TRUE(canvas.All({10, 40, 30, 44}, background)); // below the icon
    EXPECT_TRUE(canvas.All({28, 20, 30, 44}, background)); // between icon and text
    bool iconDrawn = false;
    for (int y = 24; y < 40 && !iconDrawn; ++y)
        for (int x = 12; x < 28 && !iconDrawn; ++x)
            iconDrawn = canvas.Pixel(x, y) != background;
    EXPECT_TRUE(iconDrawn);
    // Nothing outside the item is touched.
    EXPECT_TRUE(canvas.All({0, 0, 200, 20}, RGB(0, 0, 0)));
}

// The icon drawn is the record's own image of the list, not just any, on
// the item's background: that of a selected item once it is selected, an
// item drawn before in the other state or with another icon
// notwithstanding.
TEST_F(OwnerDrawTest, IconIsTheRecordsImage) {
    ASSERT_NE(GetSysColor(COLOR_MENU), GetSysColor(COLOR_HIGHLIGHT));
    RECT item{0, 0, 160, 22};
    auto reference = [&](int index, int background, int text) {
        Canvas canvas(160, 22);
        SetBkColor(canvas.Dc(), GetSysColor(background));
        FillRect(canvas.Dc(), &item, GetSysColorBrush(background));
        SetTextColor(canvas.Dc(), GetSysColor(text));
        ImageList_Draw(list.Handle(), index, canvas.Dc(), 2, 3, ILD_TRANSPARENT);
        RECT textRect = item;
        textRect.left += 20;
        DrawTextA(canvas.Dc(), "G", -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return canvas.Bits();
    };
    int folder = 0;
    int url = 1;
    for (int round = 0; round < 2; ++round) {
        for (int index : {folder, url}) {
            for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
                SCOPED_TRACE(testing::Message() << "round " << round << ", icon " << index
                                                << (state ? ", selected" : ""));
                ASSERT_NE(-1, index);
                int background = state ? COLOR_HIGHLIGHT : COLOR_MENU;
                int text = state ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
                int other = index == folder ? url : folder;
                ASSERT_NE(reference(index, background, text), reference(other, background, text));
                MenuItemData entry{"G", index};
                Canvas drawn(160, 22);
                Draw(drawn, &entry, state, item);
                EXPECT_EQ(reference(index, background, text), drawn.Bits());
            }
        }
    }
}

TEST_F(OwnerDrawTest, AmpersandIsDrawnAsItself) {
    MenuItemData entry{"A&B&&C", -1};
    RECT item{0, 0, 160, 22};
    auto reference = [&](UINT flags) {
        Canvas canvas(160, 22);
        SetBkColor(canvas.Dc(), GetSysColor(COLOR_MENU));
        FillRect(canvas.Dc(), &item, GetSysColorBrush(COLOR_MENU));
        SetTextColor(canvas.Dc(), GetSysColor(COLOR_MENUTEXT));
        RECT text = item;
        text.left += 20;
        DrawTextA(canvas.Dc(), entry.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | flags);
        return canvas.Bits();
    };
    Canvas drawn(160, 22);
    Draw(drawn, &entry, 0, item);
    EXPECT_EQ(reference(DT_NOPREFIX), drawn.Bits());
    EXPECT_NE(reference(0), drawn.Bits());
}

// The images of a list whose icons come one by one, as the resolver's do:
// the image of an icon that has not come cannot be drawn yet.
class ComingImages : public IconImages {
public:
    explicit ComingImages(HIMAGELIST list) : list_(list) {}
    Image ImageAt(int icon, int) override { return {list_, icon, true}; }
    unsigned Stamp() const override { return stamp_; }

private:
    HIMAGELIST list_;
    unsigned stamp_ = NewImageStamp();
};

// A draw that failed (here: the icon had not come into the list yet) is
// not kept in place of the icon: once the icon is there, the item shows it.
TEST_F(OwnerDrawTest, APaintWhoseDrawFailedIsNotKept) {
    ImageList coming(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    Icon first(
        static_cast<HICON>(CopyImage(LoadIconA(nullptr, IDI_APPLICATION), IMAGE_ICON, 16, 16, 0)));
    ImageList_ReplaceIcon(coming.Handle(), -1, first.Get());
    ComingImages images(coming.Handle());
    MenuItemData entry{"E", 1};
    RECT item{0, 0, 160, 22};
    COLORREF background = GetSysColor(COLOR_MENU);
    {
        Canvas canvas(160, 22);
        DRAWITEMSTRUCT draw = DrawRequest(canvas, &entry, 0, item, ODA_DRAWENTIRE);
        DrawMenuItem(&draw, images);
        EXPECT_TRUE(canvas.All({0, 0, 20, 22}, background)) << "no icon to draw yet";
    }
    Icon second(
        static_cast<HICON>(CopyImage(LoadIconA(nullptr, IDI_WARNING), IMAGE_ICON, 16, 16, 0)));
    ASSERT_EQ(1, ImageList_ReplaceIcon(coming.Handle(), -1, second.Get()));

    Canvas reference(160, 22);
    FillRect(reference.Dc(), &item, GetSysColorBrush(COLOR_MENU));
    ImageList_Draw(coming.Handle(), 1, reference.Dc(), 2, 3, ILD_TRANSPARENT);
    Canvas canvas(160, 22);
    DRAWITEMSTRUCT draw = DrawRequest(canvas, &entry, 0, item, ODA_DRAWENTIRE);
    DrawMenuItem(&draw, images);
    RECT icon{0, 0, 20, 22};
    for (int y = icon.top; y < icon.bottom; ++y)
        for (int x = icon.left; x < icon.right; ++x)
            ASSERT_EQ(reference.Pixel(x, y), canvas.Pixel(x, y)) << x << "," << y;
}

using OwnerDrawWindowTest = SettingsWindowTest;

// The paints of the icons and the widths of the texts are made for the
// colours, fonts and DPI of their moment: when those change they are
// forgotten, and the items are drawn and measured anew.
TEST_F(OwnerDrawWindowTest, PaintsAndWidthsGoWhenColoursFontsOrTheDpiChange) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData group{"グループ", w.FolderIconIndex()};
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    const UINT dpi = DpiForWindow(Handle());
    RECT suggested = w.WindowRect();
    struct Change {
        const char* title;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } changes[] = {
        {"colours", WM_SYSCOLORCHANGE, 0, 0},
        {"fonts and metrics", WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0},
        {"the DPI", WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
         reinterpret_cast<LPARAM>(&suggested)},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.title);
        Canvas canvas(160, 22);
        DRAWITEMSTRUCT draw = DrawRequest(canvas, &group, 0, {0, 0, 160, 22}, ODA_DRAWENTIRE);
        SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        MEASUREITEMSTRUCT measure = MeasureRequest(&group);
        SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        ASSERT_LT(0u, KeptIconPaints());
        unsigned measuredIn = group.textWidthFont;
        ASSERT_NE(0u, measuredIn);

        SendMessageA(Handle(), change.msg, change.wParam, change.lParam);
        EXPECT_EQ(0u, KeptIconPaints());
        SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        EXPECT_NE(measuredIn, group.textWidthFont) << "measured again";
    }
    SendMessageA(Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

// The window measures and draws menu items as the owner drawing does, with
// its own system image list; other owner-drawn controls are not its to
// measure.
TEST_F(OwnerDrawWindowTest, MenuItemsAreMeasuredAndDrawnForTheWindow) {
    WriteOptions();
    SettingsWindow& w = Open();
    MenuItemData group{"グループ", w.FolderIconIndex()};
    ASSERT_TRUE(WaitForIcons(w.Icons()));

    MEASUREITEMSTRUCT expected = MeasureRequest(&group);
    MeasureMenuItem(Handle(), &expected);
    MEASUREITEMSTRUCT measured = MeasureRequest(&group);
    EXPECT_EQ(TRUE, SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measured)));
    EXPECT_EQ(expected.itemWidth, measured.itemWidth);
    EXPECT_GT(measured.itemWidth, 20u);

    RECT item{0, 0, 160, 22};
    Canvas reference(160, 22);
    DRAWITEMSTRUCT referenceDraw = DrawRequest(reference, &group, 0, item, ODA_DRAWENTIRE);
    DrawMenuItem(&referenceDraw, w.Icons());
    Canvas drawn(160, 22);
    DRAWITEMSTRUCT draw = DrawRequest(drawn, &group, 0, item, ODA_DRAWENTIRE);
    EXPECT_EQ(TRUE, SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(reference.Bits(), drawn.Bits());

    MEASUREITEMSTRUCT other{};
    other.CtlType = ODT_LISTBOX;
    other.itemWidth = 7;
    SendMessageA(Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(7u, other.itemWidth);
}

const MenuItemData* FirstItemData(HMENU menu) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoA(menu, 0, TRUE, &info))
        return nullptr;
    return reinterpret_cast<const MenuItemData*>(info.dwItemData);
}

// The launcher menu is built before the shell has answered for an entry's
// file: its item is drawn without an icon, and with the file's own icon once
// the answer has come.
TEST_F(OwnerDrawWindowTest, AFileIconIsDrawnOnceTheShellHasAnswered) {
    TempFolder files;
    // A folder: its own icon is not the icon of its type.
    std::string path = files.Path();
    WriteDataFile(folder.Path(), {{"slow", KIND_FILE, kParentTopLevel, path.c_str()}});
    WriteOptions();
    ShellGate gate(path);
    SettingsWindow& w = Open();
    const MenuItemData* data = FirstItemData(w.LauncherMenuHandle());
    ASSERT_NE(nullptr, data);
    RECT item{0, 0, 160, 22};
    COLORREF background = GetSysColor(COLOR_MENU);
    auto drawnWithoutIcon = [&] {
        Canvas canvas(160, 22);
        DRAWITEMSTRUCT draw = DrawRequest(canvas, data, 0, item, ODA_DRAWENTIRE);
        SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        return canvas.All({0, 0, 20, 22}, background);
    };
    EXPECT_EQ(-1, data->iconIndex);
    EXPECT_TRUE(drawnWithoutIcon());

    gate.Open();
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_EQ(ShellIconKey(path), w.Icons().SourceOf(data->iconIndex));
    EXPECT_FALSE(drawnWithoutIcon());
}

// Records the icon of every launcher item the window draws while a menu is
// open; lets the shell answer once the menu has been drawn, and closes the
// menu when an item has been drawn with an icon (or after a long while).
class OpenMenuDraws {
public:
    OpenMenuDraws(HWND window, ShellGate* gate) : window_(window), gate_(gate) {
        active_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~OpenMenuDraws() {
        KillTimer(nullptr, timer_);
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        active_ = nullptr;
    }
    OpenMenuDraws(const OpenMenuDraws&) = delete;
    OpenMenuDraws& operator=(const OpenMenuDraws&) = delete;

    std::vector<int> drawnIcons;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        OpenMenuDraws& self = *active_;
        LRESULT result = CallWindowProcA(self.previous_, hwnd, msg, wParam, lParam);
        if (msg == WM_DRAWITEM) {
            auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlType == ODT_MENU && draw->itemData)
                self.drawnIcons.push_back(
                    reinterpret_cast<const MenuItemData*>(draw->itemData)->iconIndex);
        }
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && !self.drawnIcons.empty())
            self.gate_->Open();
        return result;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        OpenMenuDraws& self = *active_;
        // Drawn once: the menu is on screen, the answer may come.
        if (!self.drawnIcons.empty())
            self.gate_->Open();
        bool iconDrawn = !self.drawnIcons.empty() && self.drawnIcons.back() != -1;
        if (iconDrawn || ++self.ticks_ > 1200)
            EndMenu();
    }

    static inline OpenMenuDraws* active_ = nullptr;
    HWND window_;
    ShellGate* gate_;
    WNDPROC previous_ = nullptr;
    UINT_PTR timer_ = 0;
    int ticks_ = 0;
};

// On the user's road: the menu is open when the shell's answer comes; the
// item is drawn again, with its icon, without the menu being closed.
TEST_F(OwnerDrawWindowTest, AnOpenMenuShowsTheIconWhenItComes) {
    TempFolder files;
    std::string path = files.Path();
    WriteDataFile(folder.Path(), {{"slow", KIND_FILE, kParentTopLevel, path.c_str()}});
    WriteOptions();
    ShellGate gate(path);
    SettingsWindow& w = Open();
    {
        OpenMenuDraws draws(Handle(), &gate);
        w.TrackLauncherMenu(100, 100);
        ASSERT_FALSE(draws.drawnIcons.empty());
        EXPECT_EQ(-1, draws.drawnIcons.front());
        gate.Open();
        ASSERT_TRUE(WaitForIcons(w.Icons()));
        EXPECT_EQ(ShellIconKey(path), w.Icons().SourceOf(draws.drawnIcons.back()));
    }
}

} // namespace

namespace {

// The colour of the stress test's icon number i: each unlike the others.
COLORREF StressColour(int i) {
    return RGB(40 + i, 255 - i, (i * 37) % 200 + 30);
}

// What the list shows on screen, read back from its window.
PixelCanvas* ListOnScreen(HWND list, PixelCanvas* canvas) {
    UpdateWindow(list);
    HDC screen = GetDC(list);
    RECT client{};
    GetClientRect(list, &client);
    BitBlt(canvas->Dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(list, screen);
    return canvas;
}

// The icon of each row as the list shows it: the middle pixel of the
// row's icon.
COLORREF RowIconPixel(const ListView& list, const PixelCanvas& shown, int row) {
    RECT icon{LVIR_ICON, 0, 0, 0};
    list.Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&icon));
    return shown.Pixel((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
}

} // namespace

// 200 distinct icons come from the workers while the launcher menu's items
// and the item list are painted again and again: every paint shows either
// no icon yet or the item's own icon, never another or a broken one, and
// once all have come every item and row shows its own. (The icons are added
// to the lists the window draws from on its own thread only.)
TEST_F(OwnerDrawWindowTest, IconsComingWhileMenuAndListArePaintedAreNeverWrong) {
    constexpr int kIcons = 200;
    RegisteredIconType type(".bwstress", "%1");
    TempFolder files;
    std::vector<EntryRow> entries;
    std::vector<std::string> paths;
    std::vector<std::string> names;
    for (int i = 0; i < kIcons; ++i) {
        paths.push_back(files.File(("icon" + std::to_string(i) + ".bwstress").c_str()));
        ASSERT_TRUE(WriteIconFile(paths.back(), StressColour(i)));
        names.push_back("icon " + std::to_string(i));
    }
    for (int i = 0; i < kIcons; ++i)
        entries.push_back({names[i].c_str(), KIND_FILE, kParentTopLevel, paths[i].c_str()});
    WriteDataFile(folder.Path(), entries);
    Options shown{};
    shown.opt1 = 1;
    WriteOptions(shown);
    SettingsWindow& w = Open();
    ASSERT_TRUE(w.IsVisible());
    ListView list = w.ItemList();
    ASSERT_EQ(kIcons, list.Count());
    HMENU menu = w.LauncherMenuHandle();
    ASSERT_EQ(kIcons, GetMenuItemCount(menu));
    RECT client{};
    GetClientRect(list.Handle(), &client);
    PixelCanvas listShown(client.right, client.bottom);
    COLORREF background = GetSysColor(COLOR_MENU);

    // One item drawn as the menu draws it: its icon's square is the menu's
    // colour (no icon yet) or the item's own colour, all of it.
    int wrong = 0;
    auto checkItem = [&](int i, bool mustHaveIcon) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        Canvas canvas(160, 22);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hDC = canvas.Dc();
        draw.rcItem = {0, 0, 160, 22};
        draw.itemData = info.dwItemData;
        SendMessageA(Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        RECT square{2, 3, 18, 19};
        bool none = canvas.All(square, background);
        bool own = canvas.All(square, StressColour(i));
        if (!(own || (none && !mustHaveIcon)))
            ++wrong;
    };
    int rounds = 0;
    while (!w.Icons().Idle() && rounds < 5000) {
        ++rounds;
        PumpMessages();
        for (int i = (rounds * 7) % kIcons, n = 0; n < 20; ++n, i = (i + 13) % kIcons)
            checkItem(i, false);
        InvalidateRect(list.Handle(), nullptr, FALSE);
        ListOnScreen(list.Handle(), &listShown);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    ASSERT_TRUE(WaitForIcons(w.Icons()));
    EXPECT_EQ(0, wrong) << "paints while the icons came, in " << rounds << " rounds";
    for (int i = 0; i < kIcons; ++i)
        checkItem(i, true);
    EXPECT_EQ(0, wrong) << "paints once all had come";

    InvalidateRect(list.Handle(), nullptr, TRUE);
    ListOnScreen(list.Handle(), &listShown);
    int top = static_cast<int>(list.Send(LVM_GETTOPINDEX));
    int visible = static_cast<int>(list.Send(LVM_GETCOUNTPERPAGE));
    ASSERT_LT(0, visible);
    for (int row = top; row < top + visible && row < kIcons; ++row)
        EXPECT_EQ(StressColour(row), RowIconPixel(list, listShown, row)) << "row " << row;
}
