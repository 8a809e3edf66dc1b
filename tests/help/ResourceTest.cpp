// Guards the program's resources against drift: every dialog is created from
// this executable's own resources (the same objects Brindleway.exe links) and
// its controls are compared with the tables below, in template order; the
// menu bar, the accelerators, the prompts, the icon, the version block and the
// manifest are read back through the same calls the program uses.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Version.h"
#include "resource.h"

namespace {

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// The style bits a control's entry speaks about; bits outside the mask are
// the control's own business (the list view, for one, adds its own).
constexpr DWORD kCommonBits = WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_GROUP | WS_BORDER;
constexpr DWORD kButtonBits = kCommonBits | BS_TYPEMASK | BS_ICON | BS_BITMAP;
constexpr DWORD kEditBits = kCommonBits | ES_AUTOHSCROLL | ES_READONLY | ES_MULTILINE | ES_PASSWORD;
constexpr DWORD kComboBits = kCommonBits | 0x3 | CBS_SORT | WS_VSCROLL;
constexpr DWORD kStaticBits = kCommonBits | SS_TYPEMASK | SS_NOTIFY | SS_CENTERIMAGE | SS_SUNKEN;
constexpr DWORD kTreeBits = kCommonBits | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                            TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_EDITLABELS;
constexpr DWORD kListBits = kCommonBits | LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                            LVS_NOSORTHEADER | LVS_SORTASCENDING | LVS_SORTDESCENDING |
                            LVS_EDITLABELS;

enum class Size { Exact, DroppedHeight, IconSized };

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    DWORD mask;
    int x, y, cx, cy;
    DWORD helpId = 0;
    Size size = Size::Exact;
};

struct ExpectedDialog {
    int id;
    const char* caption;
    DWORD style;   // compared under kDialogBits
    DWORD exStyle; // these bits must be set
    int cx, cy;
    int pointSize;
    bool extended;
    std::vector<ExpectedControl> controls;
};

constexpr DWORD kDialogBits = WS_VISIBLE | WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU |
                              WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME |
                              DS_CONTEXTHELP;

constexpr DWORD V = WS_VISIBLE;
constexpr DWORD T = WS_TABSTOP;

const ExpectedDialog kSettings{
    IDD_SETTINGS,
    "Brindleway",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
    WS_EX_APPWINDOW,
    335,
    226,
    9,
    true,
    {
        {IDC_GROUP_TREE, "SysTreeView32", "Tree1",
         V | T | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS | TVS_SHOWSELALWAYS, kTreeBits, 0, 15,
         95, 170},
        {IDC_ITEM_LIST, "SysListView32", "List1",
         V | T | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
         kListBits, 95, 15, 220, 170},
        {IDC_ADD, "Button", "追加(&I)...", V | T | BS_PUSHBUTTON, kButtonBits, 0, 185, 50, 14},
        {IDC_EDIT, "Button", "編集(&E)...", V | T | BS_PUSHBUTTON, kButtonBits, 55, 185, 50, 14},
        {IDC_DELETE, "Button", "削除(&D)", V | T | BS_PUSHBUTTON, kButtonBits, 110, 185, 50, 14},
        {IDC_UP, "Button", "↑", V | T | BS_PUSHBUTTON, kButtonBits, 316, 15, 17, 25},
        {IDC_DOWN, "Button", "↓", V | T | BS_PUSHBUTTON, kButtonBits, 316, 45, 17, 25},
        {IDOK, "Button", "OK", V | T | BS_DEFPUSHBUTTON, kButtonBits, 160, 205, 50, 14},
        {IDCANCEL, "Button", "キャンセル", V | T | BS_PUSHBUTTON, kButtonBits, 220, 205, 50, 14},
        {IDC_APPLY, "Button", "適用(&A)", V | T | BS_PUSHBUTTON, kButtonBits, 280, 205, 50, 14},
        {IDC_VERSION_ICON, "Button", "Version", T | BS_PUSHBUTTON | BS_ICON, kButtonBits, 300, 0,
         15, 15},
        {IDC_OPTIONS, "Button", "詳細設定(&S)...", T | BS_PUSHBUTTON, kButtonBits, 230, 0, 50, 14},
    }};

const ExpectedDialog kItemEditor{
    IDD_ITEM_EDITOR,
    "追加",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    263,
    100,
    9,
    false,
    {
        {IDC_EDITOR_NAME, "Edit", "", V | T | WS_BORDER | ES_AUTOHSCROLL, kEditBits, 10, 15, 185,
         12},
        {IDC_EDITOR_PATH, "Edit", "", V | T | WS_BORDER | ES_AUTOHSCROLL, kEditBits, 10, 55, 185,
         12},
        {IDC_EDITOR_BROWSE, "Button", "参照(&B)...", V | T | BS_PUSHBUTTON, kButtonBits, 200, 54,
         50, 13},
        {IDC_EDITOR_SCHEME, "ComboBox", "", T | CBS_DROPDOWNLIST | WS_VSCROLL, kComboBits, 10, 55,
         40, 65, 0, Size::DroppedHeight},
        {IDC_EDITOR_URL, "Edit", "", T | WS_BORDER | ES_AUTOHSCROLL, kEditBits, 50, 55, 200, 12},
        {IDOK, "Button", "OK", V | BS_DEFPUSHBUTTON, kButtonBits, 140, 80, 50, 14},
        {IDCANCEL, "Button", "ｷｬﾝｾﾙ", V | BS_PUSHBUTTON, kButtonBits, 200, 80, 50, 14},
        {-1, "Static", "名前", V | SS_LEFT, kStaticBits, 10, 5, 15, 8},
        {IDC_EDITOR_PATH_LABEL, "Static", "ファイル名", V | SS_LEFT, kStaticBits, 10, 45, 31, 8},
        {IDC_EDITOR_KIND, "ComboBox", "", V | T | CBS_DROPDOWNLIST | WS_VSCROLL, kComboBits, 200,
         15, 50, 100, 0, Size::DroppedHeight},
    }};

const ExpectedDialog kOptions{
    IDD_OPTIONS,
    "オプション",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    234,
    260,
    9,
    true,
    {
        {IDC_OPT_AUTOSTART, "Button", "コンピュータ起動時にプログラムを自動起動する",
         V | T | BS_3STATE, kButtonBits, 20, 20, 195, 8, 0x808903F2},
        {IDC_OPT_SHOW_AT_START, "Button", "プログラム起動時に設定画面を表示する",
         V | T | BS_AUTOCHECKBOX, kButtonBits, 20, 35, 195, 8},
        {IDC_OPT_HIDE_MINIMIZED, "Button", "設定画面を最小化したときタスクバーに表示しない",
         V | T | BS_AUTOCHECKBOX, kButtonBits, 20, 70, 195, 8, 0x808903F7},
        {IDC_OPT_CLOSE_EXITS, "Button", "設定画面を×ボタンで終了するときプログラムを終了する",
         V | T | BS_AUTOCHECKBOX, kButtonBits, 20, 85, 195, 8},
        {IDC_OPT_NO_GROUPS, "Button", "プログラムリストにグループを表示させない",
         V | T | BS_AUTOCHECKBOX, kButtonBits, 20, 100, 195, 9},
        {IDC_OPT_SWAP_BUTTONS, "Button", "マウスの左右を入れ替える", V | T | BS_AUTOCHECKBOX,
         kButtonBits, 20, 134, 195, 8, 0x808903F5},
        {IDC_OPT_MY_COMPUTER, "Button",
         "システムメニューにマイコンピュータへのショートカットを追加する", V | T | BS_AUTOCHECKBOX,
         kButtonBits, 20, 150, 200, 8},
        {IDC_OPT_MY_DOCUMENTS, "Button",
         "システムメニューにマイドキュメントへのショートカットを追加する", V | T | BS_AUTOCHECKBOX,
         kButtonBits, 20, 165, 200, 8},
        {IDC_OPT_MY_NETWORK, "Button",
         "システムメニューにマイネットワークへのショートカットを追加する", V | T | BS_AUTOCHECKBOX,
         kButtonBits, 20, 180, 200, 8},
        {IDC_OPT_REMOVE_BROKEN, "Button", "リンクの切れているメニューを削除する",
         V | T | BS_PUSHBUTTON, kButtonBits, 10, 205, 130, 15},
        {IDC_OPT_RESTORE_DEFAULTS, "Button", "デフォルトに戻す", V | T | BS_PUSHBUTTON, kButtonBits,
         150, 205, 75, 14},
        {IDOK, "Button", "OK", V | T | BS_DEFPUSHBUTTON, kButtonBits, 120, 235, 50, 14},
        {IDCANCEL, "Button", "キャンセル", V | T | BS_PUSHBUTTON, kButtonBits, 175, 235, 50, 14},
        {-1, "Button", "コンピュータ/プログラムの起動", V | BS_GROUPBOX, kButtonBits, 10, 5, 215,
         45},
        {-1, "Button", "設定画面", V | BS_GROUPBOX, kButtonBits, 10, 55, 215, 60},
        {-1, "Button", "ランチャーメニュー", V | BS_GROUPBOX, kButtonBits, 10, 120, 215, 80},
        {-1, "Static", "", V | SS_BLACKFRAME | SS_SUNKEN, kStaticBits, 2, 225, 228, 1},
    }};

const ExpectedDialog kAbout{
    IDD_ABOUT,
    "バージョン情報",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0,
    174,
    100,
    10,
    false,
    {
        {IDOK, "Button", "OK", V | BS_DEFPUSHBUTTON, kButtonBits, 120, 80, 50, 14},
        {-1, "Static", "", V | SS_ICON, kStaticBits, 5, 10, 20, 20, 0, Size::IconSized},
        {IDC_ABOUT_VERSION, "Static", "Version 0.00 (0.0.0.0)", V | WS_GROUP | SS_CENTER,
         kStaticBits, 39, 35, 95, 8},
        {-1, "Static", "Brindleway", V | WS_GROUP | SS_CENTER, kStaticBits, 61, 15, 50, 8},
        {-1, "Static", "Copyright (C) 2026 Brindleway", V | WS_GROUP | SS_CENTER, kStaticBits, 29,
         55, 115, 8},
        {IDC_ABOUT_LINK, "Static", "https://brindleway.example.org/",
         V | WS_GROUP | SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, kStaticBits, 5, 65, 162, 8},
    }};

// A dialog template as stored in the module, read field by field: what the
// dialog manager changes when it creates the controls (a border becomes a
// client edge, a combo box's scroll bar moves to its list, Wine drops the
// help ids) is checked here, before any of that happens.
struct TemplateItem {
    DWORD style = 0, exStyle = 0, helpId = 0;
    int x = 0, y = 0, cx = 0, cy = 0, id = 0;
    std::string className; // a predefined class's name for its ordinal
    std::string text;      // in the ANSI code page
    int textOrdinal = -1;  // an icon static names its icon by number
};

struct TemplateData {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    int cx = 0, cy = 0;
    int menu = 0;
    std::string caption;
    int pointSize = 0, charset = -1;
    std::string face;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), p_(data) {}

    TemplateData Read() {
        TemplateData t;
        t.extended = Word(0) == 1 && Word(2) == 0xFFFF;
        if (t.extended) {
            p_ += 4;
            Dword(); // the dialog's own help id
            t.exStyle = Dword();
            t.style = Dword();
        } else {
            t.style = Dword();
            t.exStyle = Dword();
        }
        const int count = Next();
        p_ += 4; // x, y
        t.cx = Short();
        t.cy = Short();
        std::string ignored;
        NameOrOrdinal(&ignored, &t.menu);
        int classOrdinal = 0;
        NameOrOrdinal(&ignored, &classOrdinal);
        t.caption = String();
        if (t.style & DS_SETFONT) {
            t.pointSize = Next();
            if (t.extended) {
                Next();  // weight
                p_ += 1; // italic
                t.charset = *p_++;
            }
            t.face = String();
        }
        for (int i = 0; i < count; ++i)
            t.items.push_back(Item(t.extended));
        return t;
    }

private:
    TemplateItem Item(bool extended) {
        Align();
        TemplateItem item;
        if (extended) {
            item.helpId = Dword();
            item.exStyle = Dword();
            item.style = Dword();
        } else {
            item.style = Dword();
            item.exStyle = Dword();
        }
        item.x = Short();
        item.y = Short();
        item.cx = Short();
        item.cy = Short();
        item.id = extended ? static_cast<int>(Dword()) : static_cast<short>(Next());
        int ordinal = 0;
        NameOrOrdinal(&item.className, &ordinal);
        static const char* const kPredefined[] = {"Button",  "Edit",      "Static",
                                                  "ListBox", "ScrollBar", "ComboBox"};
        if (ordinal >= 0x80 && ordinal <= 0x85)
            item.className = kPredefined[ordinal - 0x80];
        NameOrOrdinal(&item.text, &item.textOrdinal);
        p_ += Next(); // creation data
        return item;
    }

    int Word(int at) const { return p_[at] | (p_[at + 1] << 8); }
    int Next() {
        const int value = Word(0);
        p_ += 2;
        return value;
    }
    int Short() { return static_cast<short>(Next()); }
    DWORD Dword() {
        const DWORD low = static_cast<DWORD>(Next());
        return low | (static_cast<DWORD>(Next()) << 16);
    }
    void Align() {
        while ((p_ - base_) % 4)
            ++p_;
    }
    std::string String() {
        std::wstring wide;
        for (int c = Next(); c; c = Next())
            wide.push_back(static_cast<wchar_t>(c));
        char buffer[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
        return buffer;
    }
    void NameOrOrdinal(std::string* name, int* ordinal) {
        if (Word(0) == 0xFFFF) {
            p_ += 2;
            *ordinal = Next();
        } else if (Word(0) == 0) {
            p_ += 2;
        } else {
            *name = String();
        }
    }

    const BYTE* base_;
    const BYTE* p_;
};

TemplateData LoadTemplate(int id) {
    const HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(id), RT_DIALOG);
    if (!found)
        return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), found)));
    return TemplateReader(data).Read();
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog created hidden from this module's resources, destroyed at the end
// of the scope.
class TemplateDialog {
public:
    explicit TemplateDialog(int id)
        : hwnd_(CreateDialogParamA(Module(), MAKEINTRESOURCEA(id), nullptr, QuietDialogProc, 0)) {}
    ~TemplateDialog() {
        if (hwnd_)
            DestroyWindow(hwnd_);
    }
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_;
};

std::string WindowText(HWND hwnd) {
    char buffer[512] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

std::string ClassName(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// A template rectangle in pixels: the dialog manager converts position and
// size separately, so the right edge is x + cx each rounded on its own.
RECT Pixels(HWND dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Hex(DWORD value) {
    char buffer[16];
    wsprintfA(buffer, "0x%08lX", value);
    return buffer;
}

bool IsIconStatic(const ExpectedControl& expected) {
    return std::strcmp(expected.className, "Static") == 0 &&
           (expected.style & SS_TYPEMASK) == SS_ICON;
}

void CheckTemplateItem(const TemplateItem& item, const ExpectedControl& expected) {
    EXPECT_EQ(expected.id, item.id);
    EXPECT_EQ(0, lstrcmpiA(expected.className, item.className.c_str()))
        << "class " << item.className;
    if (IsIconStatic(expected)) {
        EXPECT_EQ(IDI_BRINDLEWAY, item.textOrdinal);
    } else {
        EXPECT_EQ(expected.text, item.text);
    }
    EXPECT_EQ(Hex(WS_CHILD | expected.style), Hex(item.style & (WS_CHILD | expected.mask)))
        << "template style " << Hex(item.style);
    EXPECT_EQ(0u, item.exStyle);
    EXPECT_EQ(expected.helpId, item.helpId);
    EXPECT_EQ(expected.x, item.x);
    EXPECT_EQ(expected.y, item.y);
    EXPECT_EQ(expected.cx, item.cx);
    EXPECT_EQ(expected.cy, item.cy);
}

void CheckControl(HWND dialog, HWND control, const ExpectedControl& expected) {
    EXPECT_EQ(expected.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(control))));
    EXPECT_EQ(0, lstrcmpiA(expected.className, ClassName(control).c_str()))
        << "class " << ClassName(control);
    if (IsIconStatic(expected)) {
        EXPECT_NE(0, SendMessageA(control, STM_GETICON, 0, 0));
    } else {
        EXPECT_EQ(expected.text, WindowText(control));
    }

    // The created controls move the border to a client edge and a combo
    // box's scroll bar to its list (shown only when the list needs it): those
    // two bits are checked in the template only, the border here as well.
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
    const DWORD moved = WS_BORDER | WS_VSCROLL;
    EXPECT_EQ(Hex(expected.style & ~moved), Hex(style & expected.mask & ~moved))
        << "style " << Hex(style);
    EXPECT_EQ((expected.style & WS_BORDER) != 0,
              (style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0);
    // Wine's dialog manager does not hand the template's help ids to the
    // controls; Windows does.
    if (!RunningUnderWine()) {
        EXPECT_EQ(expected.helpId, GetWindowContextHelpId(control));
    }

    const RECT want = Pixels(dialog, expected.x, expected.y, expected.cx, expected.cy);
    const RECT have = ClientRectOf(dialog, control);
    EXPECT_EQ(want.left, have.left);
    EXPECT_EQ(want.top, have.top);
    switch (expected.size) {
    case Size::Exact:
        EXPECT_EQ(want.right, have.right);
        EXPECT_EQ(want.bottom, have.bottom);
        break;
    case Size::DroppedHeight: {
        // A drop-down list's template height is that of the opened list.
        EXPECT_EQ(want.right, have.right);
        RECT dropped{};
        SendMessageA(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        const int droppedHeight = dropped.bottom - dropped.top;
        if (RunningUnderWine()) {
            // Wine answers with the list alone, less a few pixels of frame,
            // where Windows spans selection field and list.
            EXPECT_NEAR(want.bottom - want.top, droppedHeight + (have.bottom - have.top), 6);
        } else {
            EXPECT_EQ(want.bottom - want.top, droppedHeight);
        }
        break;
    }
    case Size::IconSized:
        // An icon static takes the size of its icon.
        EXPECT_EQ(GetSystemMetrics(SM_CXICON), have.right - have.left);
        EXPECT_EQ(GetSystemMetrics(SM_CYICON), have.bottom - have.top);
        break;
    }
}

void CheckDialog(const ExpectedDialog& expected) {
    SCOPED_TRACE(testing::Message() << "dialog " << expected.id);

    const TemplateData t = LoadTemplate(expected.id);
    EXPECT_EQ(expected.extended, t.extended);
    EXPECT_EQ(Hex(expected.style | DS_SETFONT), Hex(t.style & (kDialogBits | DS_SETFONT)));
    EXPECT_EQ(expected.exStyle, t.exStyle);
    EXPECT_EQ(expected.cx, t.cx);
    EXPECT_EQ(expected.cy, t.cy);
    EXPECT_EQ(expected.id == IDD_SETTINGS ? IDR_SETTINGS_MENU : 0, t.menu);
    EXPECT_EQ(expected.caption, t.caption);
    EXPECT_EQ(expected.pointSize, t.pointSize);
    EXPECT_EQ("ＭＳ Ｐゴシック", t.face);
    if (expected.extended) {
        EXPECT_EQ(SHIFTJIS_CHARSET, t.charset);
    }
    ASSERT_EQ(expected.controls.size(), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "template item #" << i);
        CheckTemplateItem(t.items[i], expected.controls[i]);
    }

    TemplateDialog dialog(expected.id);
    const HWND hwnd = dialog.get();
    ASSERT_NE(nullptr, hwnd) << "error " << GetLastError();
    EXPECT_EQ(expected.caption, WindowText(hwnd));
    const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    EXPECT_EQ(Hex(expected.style), Hex(style & kDialogBits)) << "style " << Hex(style);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(expected.exStyle, exStyle & expected.exStyle) << "ex style " << Hex(exStyle);
    EXPECT_FALSE(IsWindowVisible(hwnd));

    RECT client;
    GetClientRect(hwnd, &client);
    const RECT size = Pixels(hwnd, 0, 0, expected.cx, expected.cy);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);

    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTA lf{};
    ASSERT_EQ(static_cast<int>(sizeof lf), GetObjectA(font, sizeof lf, &lf));
    EXPECT_STREQ("ＭＳ Ｐゴシック", lf.lfFaceName);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(-MulDiv(expected.pointSize, dpi, 72), lf.lfHeight);

    // The controls in template order, which is also the tab order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(expected.controls.size(), children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(testing::Message()
                     << "control #" << i << " (id " << expected.controls[i].id << ")");
        CheckControl(hwnd, children[i], expected.controls[i]);
    }
}
class Resources : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
};

TEST_F(Resources, RunsInTheShiftJisCodePage) {
    // Every text comparison below relies on it; without ja_JP.UTF-8 Wine
    // would fall back to 1252.
    ASSERT_EQ(932u, GetACP());
    // The compiler writes the expected texts as Shift-JIS too.
    EXPECT_STREQ("\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93", "オプション");
}

TEST_F(Resources, SettingsWindowTemplate) {
    CheckDialog(kSettings);
}
TEST_F(Resources, ItemEditorTemplate) {
    CheckDialog(kItemEditor);
}
TEST_F(Resources, OptionsTemplate) {
    CheckDialog(kOptions);
}
TEST_F(Resources, AboutTemplate) {
    CheckDialog(kAbout);
}

TEST_F(Resources, SettingsWindowCarriesMenu138) {
    TemplateDialog dialog(IDD_SETTINGS);
    ASSERT_NE(nullptr, dialog.get());
    const HMENU bar = GetMenu(dialog.get());
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(3, GetMenuItemCount(bar));
    const HMENU tools = GetSubMenu(bar, 1);
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ(static_cast<UINT>(ID_TOOLS_ADD), GetMenuItemID(tools, 0));
}

// One row per menu item; a null text is a separator.
struct MenuRow {
    int id;
    const char* text;
};

struct PopupSpec {
    const char* text;
    bool rightJustified;
    std::vector<MenuRow> items;
};

const std::vector<PopupSpec> kMenuBar{
    {"設定(&S)",
     false,
     {{ID_SETTINGS_OK, "設定を反映して閉じる(&O)"},
      {ID_SETTINGS_CANCEL, "設定を反映せずに閉じる(&C)"},
      {0, nullptr},
      {ID_SETTINGS_EXIT, "アプリケーションの終了(&X)"}}},
    {"ツール(&Ｔ)",
     false,
     {{ID_TOOLS_ADD, "項目の追加(&I)...\tCtrl+I"},
      {ID_TOOLS_EDIT, "項目の編集(&E)...\tCtrl+E"},
      {ID_TOOLS_DELETE, "項目の削除(&D)...\tCtrl+D"},
      {0, nullptr},
      {ID_TOOLS_UP, "項目の上移動（&U)\tCtrl+↑"},
      {ID_TOOLS_DOWN, "項目の下移動(&W)\tCtrl+↓"},
      {0, nullptr},
      {ID_TOOLS_OPTIONS, "オプション(&O)..."}}},
    {"ヘルプ(&H)",
     true,
     {{ID_HELP_CONTENTS, "目次(&C)"},
      {ID_HELP_SEARCH, "検索(&S)"},
      {ID_HELP_INDEX, "キーワード(&I)"},
      {0, nullptr},
      {ID_HELP_ABOUT, "バージョン情報(&A)"}}},
};

std::string MenuText(HMENU menu, int position) {
    char buffer[256] = {};
    GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
    return buffer;
}

UINT MenuType(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
    return info.fType;
}

TEST_F(Resources, MenuBar138) {
    const HMENU bar = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_SETTINGS_MENU));
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(static_cast<int>(kMenuBar.size()), GetMenuItemCount(bar));
    for (size_t p = 0; p < kMenuBar.size(); ++p) {
        const PopupSpec& popupSpec = kMenuBar[p];
        SCOPED_TRACE(popupSpec.text);
        const int pos = static_cast<int>(p);
        EXPECT_EQ(popupSpec.text, MenuText(bar, pos));
        EXPECT_EQ(popupSpec.rightJustified, (MenuType(bar, pos) & MFT_RIGHTJUSTIFY) != 0);
        const HMENU popup = GetSubMenu(bar, pos);
        ASSERT_NE(nullptr, popup);
        ASSERT_EQ(static_cast<int>(popupSpec.items.size()), GetMenuItemCount(popup));
        for (size_t i = 0; i < popupSpec.items.size(); ++i) {
            const MenuRow& row = popupSpec.items[i];
            const int at = static_cast<int>(i);
            SCOPED_TRACE(testing::Message() << "item " << i);
            if (!row.text) {
                EXPECT_NE(0u, MenuType(popup, at) & MFT_SEPARATOR);
                continue;
            }
            EXPECT_EQ(0u, MenuType(popup, at) & MFT_SEPARATOR);
            EXPECT_EQ(static_cast<UINT>(row.id), GetMenuItemID(popup, at));
            EXPECT_EQ(row.text, MenuText(popup, at));
            // Everything starts enabled; the window grays what it must.
            EXPECT_EQ(0u, GetMenuState(popup, at, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
        }
    }
    DestroyMenu(bar);
}

TEST_F(Resources, Accelerators140) {
    const HACCEL table = LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(nullptr, table);
    ACCEL entries[16];
    const int count = CopyAcceleratorTableA(table, entries, 16);
    const struct {
        WORD key;
        WORD cmd;
    } want[] = {{'I', ID_TOOLS_ADD},
                {'E', ID_TOOLS_EDIT},
                {'D', ID_TOOLS_DELETE},
                {VK_UP, ID_TOOLS_UP},
                {VK_DOWN, ID_TOOLS_DOWN}};
    ASSERT_EQ(5, count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << "accelerator " << i);
        // 0x80 marks the table's last entry in the resource; it is no key flag.
        EXPECT_EQ(FVIRTKEY | FCONTROL | FNOINVERT, entries[i].fVirt & 0x7F);
        EXPECT_EQ(want[i].key, entries[i].key);
        EXPECT_EQ(want[i].cmd, entries[i].cmd);
    }
    DestroyAcceleratorTable(table);
}

TEST_F(Resources, PromptStrings) {
    char buffer[256];
    ASSERT_LT(0, LoadStringA(Module(), IDS_CONFIRM_REMOVE_BROKEN, buffer, sizeof buffer));
    EXPECT_STREQ("この動作を行うともとには戻せません。\nよろしいですか。", buffer);
    ASSERT_LT(0, LoadStringA(Module(), IDS_TABLE_FULL, buffer, sizeof buffer));
    EXPECT_STREQ("これ以上追加することはできません。", buffer);
    // The exact bytes, independent of how this file was compiled.
    EXPECT_STREQ("\x82\xb1\x82\xea\x88\xc8\x8f\xe3\x92\xc7\x89\xc1\x82\xb7\x82\xe9\x82\xb1"
                 "\x82\xc6\x82\xcd\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42",
                 buffer);
}

// The alpha of every pixel of an icon's colour bitmap as the system decoded
// it, top row first; empty when it could not be read.
std::vector<BYTE> BitmapAlpha(HBITMAP colour, int size) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<BYTE> bgra(static_cast<size_t>(size) * size * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, colour, 0, size, bgra.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != size)
        return {};
    std::vector<BYTE> alpha;
    for (size_t i = 3; i < bgra.size(); i += 4)
        alpha.push_back(bgra[i]);
    return alpha;
}

// An image of its own for each size the system asks for at 100, 125, 150
// and 200 %: small icons 16, 20, 24, 32; large ones 32, 40, 48, 64. Those
// loaded at 100 and 125 % are bitmaps, the 48 and 64 px ones PNGs.
TEST_F(Resources, IconHas32BitImagesForEveryDpi) {
    const HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(IDI_BRINDLEWAY), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(Module(), group)));
    ASSERT_NE(nullptr, directory);
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        SCOPED_TRACE(testing::Message() << "size " << size);
        const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        const HRSRC image = FindResourceA(Module(), MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(nullptr, image);
        const auto* stored = static_cast<const BYTE*>(LockResource(LoadResource(Module(), image)));
        ASSERT_NE(nullptr, stored);
        ASSERT_LE(24u, SizeofResource(Module(), image));
        if (size >= 48) {
            // A PNG whose header says RGBA, 8 bits a channel, of the size.
            ASSERT_EQ(0, std::memcmp(stored, "\x89PNG\r\n\x1a\n", 8));
            ASSERT_EQ(0, std::memcmp(stored + 12, "IHDR", 4));
            auto bigEndian = [&](int at) {
                return stored[at] << 24 | stored[at + 1] << 16 | stored[at + 2] << 8 |
                       stored[at + 3];
            };
            EXPECT_EQ(size, bigEndian(16));
            EXPECT_EQ(size, bigEndian(20));
            EXPECT_EQ(8, stored[24]);
            EXPECT_EQ(6, stored[25]);
        } else {
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(stored);
            EXPECT_EQ(size, header->biWidth);
            EXPECT_EQ(2 * size, header->biHeight);
            EXPECT_EQ(32, header->biBitCount);
            // The AND mask agrees with the alpha channel.
            const auto* pixels = reinterpret_cast<const BYTE*>(header + 1);
            const BYTE* mask = pixels + size * size * 4;
            const int maskStride = ((size + 31) / 32) * 4;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const BYTE alpha = pixels[(y * size + x) * 4 + 3];
                    const bool masked = (mask[y * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
                    EXPECT_EQ(alpha < 128, masked) << "pixel " << x << "," << y;
                }
            }
        }

        // As the system loads it: of the size, with transparent corners, an
        // opaque middle and soft edges in between.
        const HICON icon = static_cast<HICON>(
            LoadImageA(Module(), MAKEINTRESOURCEA(IDI_BRINDLEWAY), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(size, bm.bmWidth);
        EXPECT_EQ(size, bm.bmHeight);
        const std::vector<BYTE> alpha = BitmapAlpha(info.hbmColor, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
        ASSERT_EQ(static_cast<size_t>(size) * size, alpha.size());
        EXPECT_EQ(0, alpha[0]) << "corner";
        EXPECT_EQ(255, alpha[(size / 2) * size + size / 2]) << "middle";
        EXPECT_LT(
            0, std::count_if(alpha.begin(), alpha.end(), [](BYTE a) { return a > 0 && a < 255; }))
            << "no anti-aliased edge";
    }
}

std::string VersionString(const std::vector<BYTE>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\041104B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "(missing)";
    }
    return value;
}

TEST_F(Resources, VersionBlock) {
    char path[MAX_PATH];
    ASSERT_LT(0u, GetModuleFileNameA(nullptr, path, MAX_PATH));
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_LT(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD majorMinor = MAKELONG(BRINDLEWAY_VERSION_MINOR, BRINDLEWAY_VERSION_MAJOR);
    EXPECT_EQ(majorMinor, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(majorMinor, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    EXPECT_EQ("Brindleway", VersionString(block, "ProductName"));
    const std::string fourParts = std::to_string(BRINDLEWAY_VERSION_MAJOR) + "." +
                                  std::to_string(BRINDLEWAY_VERSION_MINOR) + ".0.0";
    EXPECT_EQ(fourParts, VersionString(block, "FileVersion"));
    EXPECT_EQ(fourParts, VersionString(block, "ProductVersion"));
    EXPECT_EQ("Brindleway.exe", VersionString(block, "OriginalFilename"));
    EXPECT_EQ("Brindleway タスクトレイ ランチャー", VersionString(block, "FileDescription"));
}

TEST_F(Resources, ManifestAsksForCommonControls6) {
    const HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(nullptr, found);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
    const std::string manifest(data, SizeofResource(Module(), found));
    for (const char* part : {
             "name=\"Microsoft.Windows.Common-Controls\"",
             "version=\"6.0.0.0\"",
             "publicKeyToken=\"6595b64144ccf1df\"",
             "level=\"asInvoker\"",
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<",
         }) {
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
    }
    // The program and the assembly it asks for are of this build's
    // architecture: a loader ignores a manifest of another one.
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "x86";
    const std::string archAttribute = "processorArchitecture=\"" + arch + "\"";
    const size_t first = manifest.find(archAttribute);
    ASSERT_NE(std::string::npos, first) << archAttribute;
    EXPECT_NE(std::string::npos, manifest.find(archAttribute, first + 1)) << archAttribute;
    EXPECT_EQ(std::string::npos, manifest.find("@")) << "a placeholder was left";

    // The loader honoured it: the common controls this process runs with
    // come from the side-by-side assembly of version 6 for its architecture,
    // not the system folder. (Wine's copy there answers DllGetVersion with
    // 5.81, so the path it is.)
    const HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    char path[MAX_PATH] = {};
    ASSERT_LT(0u, GetModuleFileNameA(comctl, path, MAX_PATH));
    CharLowerA(path);
    const std::string assembly = arch + "_microsoft.windows.common-controls_6595b64144ccf1df_6.";
    EXPECT_NE(nullptr, std::strstr(path, assembly.c_str())) << path;
}

std::wstring WindowsSetting(const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, space, name, value, 128, &written))
        return L"(none)";
    return value;
}

// The loader read the DPI awareness from the manifest: per monitor (v2)
// where the system knows it, the system's DPI before. A loader reads no
// setting from a manifest of another architecture. (The thread's awareness
// itself proves nothing under Wine 8: it answers "per monitor", version 1,
// with or without a manifest.)
TEST_F(Resources, ManifestDeclaresDpiAwareness) {
    EXPECT_EQ(
        L"PerMonitorV2, System",
        WindowsSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
    EXPECT_EQ(L"true", WindowsSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                      L"dpiAware"));
}

} // namespace
