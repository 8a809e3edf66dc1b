#include "tray/SearchWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "store/EntrySearch.h"
#include "tray/LauncherMenu.h"
#include "tray/OwnerDraw.h"
#include "ui/Dpi.h"
#include "ui/EntryPath.h"
#include "ui/ShellIcons.h"
#include "ui/WideText.h"
#include "ui/Window.h"

namespace {

constexpr char kClassName[] = "BrindlewaySearch";
constexpr int kEditId = 1;
constexpr int kListId = 2;
// Sizes at 96 DPI.
constexpr int kWidth = 420;
constexpr int kMargin = 4;
constexpr int kEditPadding = 8;
constexpr int kIconSize = 16;
constexpr int kIconLeft = 6;
constexpr int kTextIndent = 28;
constexpr int kRowPadding = 8;
constexpr int kGroupGap = 16;
constexpr int kVisibleRows = 8;
// Between the names of nested groups; the second where the font has no ›.
constexpr wchar_t kGroupSeparator[] = L" \u203A ";
constexpr wchar_t kPlainGroupSeparator[] = L" > ";
constexpr char kNothingFound[] = "一致する項目はありません";

// The system's message font at the DPI given (the system's is made for the
// system's DPI).
HFONT MessageFont(UINT dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    ScaleSystemFontToDpi(&metrics.lfMessageFont, dpi);
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

int FontHeight(HWND window, HFONT font) {
    WindowDC dc(window);
    SelectedObject selected(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    return metrics.tmHeight;
}

// Whether the font draws the character itself rather than a box.
bool FontHasCharacter(HWND window, HFONT font, wchar_t character) {
    WindowDC dc(window);
    SelectedObject selected(dc.Get(), font);
    WORD glyph = 0;
    return GetGlyphIndicesW(dc.Get(), &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
           glyph != 0xFFFF;
}

std::wstring GroupsText(const std::vector<std::string>& groups, const wchar_t* separator) {
    std::wstring text;
    for (const std::string& group : groups) {
        if (!text.empty())
            text += separator;
        text += WideOf(group);
    }
    return text;
}

bool RegisterSearchClass() {
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DROPSHADOW;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kClassName;
    registered =
        RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

} // namespace

SearchWindow::~SearchWindow() {
    if (icons_)
        icons_->Forget(this);
    edit_.Unsubclass();
    list_.Unsubclass();
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
    if (hiddenOwner_ && IsWindow(hiddenOwner_))
        DestroyWindow(hiddenOwner_);
}

const char* SearchWindow::NothingFoundText() {
    return kNothingFound;
}

// Made once, at the first opening, and kept hidden between openings.
bool SearchWindow::CreateWindows() {
    if (!RegisterSearchClass())
        return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // Owned by a window that is never shown, it has no taskbar button on any
    // shell, and no owner that a minimised settings window would hide.
    hiddenOwner_ = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, instance, nullptr);
    hwnd_ =
        CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "Brindleway",
                        WS_POPUP | WS_BORDER, 0, 0, 1, 1, hiddenOwner_, nullptr, instance, nullptr);
    if (!hwnd_)
        return false;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
    HWND edit = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 1,
        1, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance, nullptr);
    HWND list = CreateWindowExA(
        0, "LISTBOX", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
        0, 0, 1, 1, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance,
        nullptr);
    if (!edit || !list) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    edit_.Subclass(edit);
    list_.Subclass(list);
    // Room for a long name; more is no name the table holds.
    SendMessageA(edit, EM_LIMITTEXT, kNameSize * 2, 0);
    return true;
}

bool SearchWindow::Open(HWND owner, std::span<const LaunchEntry> table, POINT at,
                        IconResolver* icons, const std::string& programFolder) {
    if (!hwnd_ && !CreateWindows())
        return false;
    owner_ = owner;
    table_.assign(table.begin(), table.end());
    if (icons_ && icons_ != icons)
        icons_->Forget(this);
    icons_ = icons;
    programFolder_ = programFolder;
    Layout(DpiAtPoint(at));
    SetWindowTextA(edit_.Handle(), "");
    Refill();
    Place(at);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(edit_.Handle());
    return true;
}

void SearchWindow::Close() {
    if (!IsOpen() || closing_)
        return;
    closing_ = true;
    ShowWindow(hwnd_, SW_HIDE);
    SetWindowTextA(edit_.Handle(), "");
    Refill();
    closing_ = false;
}

bool SearchWindow::IsOpen() const {
    return hwnd_ && IsWindowVisible(hwnd_);
}

std::vector<int> SearchWindow::ShownEntries() const {
    std::vector<int> shown;
    int count = hwnd_ ? static_cast<int>(SendMessageA(list_.Handle(), LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count && i < static_cast<int>(rows_.size()); ++i)
        shown.push_back(rows_[static_cast<size_t>(i)].entry);
    return shown;
}

// The edit box on top, the list under it, in the message font at the DPI.
void SearchWindow::Layout(UINT dpi) {
    dpi_ = dpi;
    font_.Reset(MessageFont(dpi));
    int fontHeight = FontHeight(hwnd_, font_.Get());
    separator_ = FontHasCharacter(hwnd_, font_.Get(), kGroupSeparator[1]) ? kGroupSeparator
                                                                          : kPlainGroupSeparator;
    int margin = ScaleForDpi(kMargin, dpi);
    int width = ScaleForDpi(kWidth, dpi);
    int editHeight = fontHeight + ScaleForDpi(kEditPadding, dpi);
    rowHeight_ = std::max(fontHeight, ScaleForDpi(kIconSize, dpi)) + ScaleForDpi(kRowPadding, dpi);
    int listTop = margin + editHeight + margin;
    int listHeight = rowHeight_ * kVisibleRows;
    SendMessageA(edit_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    SendMessageA(list_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    SendMessageA(list_.Handle(), LB_SETITEMHEIGHT, 0, rowHeight_);
    MoveWindow(edit_.Handle(), margin, margin, width - 2 * margin, editHeight, TRUE);
    MoveWindow(list_.Handle(), 0, listTop, width, listHeight, TRUE);
    RECT frame{0, 0, width, listTop + listHeight};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// At the point, kept inside the work area of its monitor.
void SearchWindow::Place(POINT at) {
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    int x = std::max(static_cast<int>(area.left),
                     std::min(static_cast<int>(at.x), static_cast<int>(area.right) - width));
    int y = std::max(static_cast<int>(area.top),
                     std::min(static_cast<int>(at.y), static_cast<int>(area.bottom) - height));
    SetWindowPos(hwnd_, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// Every keystroke filters the whole table again; the first row is chosen.
void SearchWindow::Refill() {
    std::string text = Window(edit_.Handle()).Text();
    ++generation_;
    rows_.clear();
    for (int index : FindEntries(table_, text)) {
        const LaunchEntry& entry = table_[static_cast<size_t>(index)];
        int key = static_cast<int>(rows_.size());
        int icon = -1;
        if (entry.kind == KIND_FILE && icons_) {
            icon = icons_->FileIcon(ExpandEntryPath(entry.path, programFolder_), this, generation_,
                                    key);
        } else if (entry.kind == KIND_URL) {
            icon = IconResolver::kUrlIcon;
        }
        rows_.push_back(
            {index, WideOf(entry.name), GroupsText(GroupPathOf(table_, index), separator_), icon});
    }
    if (rows_.empty() && !IsEmptyQuery(text))
        rows_.push_back({-1, WideOf(kNothingFound), L"", -1});
    HWND list = list_.Handle();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < rows_.size(); ++i)
        SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(i));
    if (!rows_.empty() && rows_[0].entry >= 0)
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void SearchWindow::RepaintIcons() {
    if (IsOpen())
        InvalidateRect(list_.Handle(), nullptr, FALSE);
}

void SearchWindow::ShowIcon(int key, int iconIndex) {
    if (key < 0 || key >= static_cast<int>(rows_.size()))
        return;
    rows_[static_cast<size_t>(key)].icon = iconIndex;
    RECT rect{};
    if (SendMessageA(list_.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(key),
                     reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(list_.Handle(), &rect, FALSE);
}

void SearchWindow::MoveSelection(int step) {
    if (rows_.empty() || rows_[0].entry < 0)
        return;
    int count = static_cast<int>(rows_.size());
    int current = static_cast<int>(SendMessageA(list_.Handle(), LB_GETCURSEL, 0, 0));
    int next = std::clamp(current + step, 0, count - 1);
    SendMessageA(list_.Handle(), LB_SETCURSEL, static_cast<WPARAM>(next), 0);
}

// The window closes first: what starts then comes to the front, and the
// owner's message box about it, if any, is not covered.
void SearchWindow::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) ||
        rows_[static_cast<size_t>(row)].entry < 0)
        return;
    const LaunchEntry& entry = table_[static_cast<size_t>(rows_[static_cast<size_t>(row)].entry)];
    UINT command = LaunchCommandBase + static_cast<UINT>(entry.id);
    HWND owner = owner_;
    Close();
    SendMessageA(owner, WM_COMMAND, command, 0);
}

void SearchWindow::DrawRow(const DRAWITEMSTRUCT* draw) {
    if (draw->itemID == static_cast<UINT>(-1) || draw->itemData >= rows_.size())
        return;
    const Row& row = rows_[draw->itemData];
    HDC dc = draw->hDC;
    RECT rect = draw->rcItem;
    bool selected = (draw->itemState & ODS_SELECTED) != 0 && row.entry >= 0;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, font_.Get());
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    int margin = ScaleForDpi(kMargin, dpi_);
    RECT text = rect;
    text.left += ScaleForDpi(kTextIndent, dpi_);
    text.right -= margin;
    if (row.entry < 0) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, row.name.c_str(), static_cast<int>(row.name.size()), &text, format);
        return;
    }
    if (row.icon >= 0 && icons_) {
        int size = ScaleForDpi(kIconSize, dpi_);
        DrawImage(icons_->ImageAt(row.icon, size), dc, rect.left + ScaleForDpi(kIconLeft, dpi_),
                  rect.top + (rect.bottom - rect.top - size) / 2, size);
    }
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT measured = text;
    DrawTextW(dc, row.name.c_str(), static_cast<int>(row.name.size()), &measured,
              format | DT_CALCRECT);
    DrawTextW(dc, row.name.c_str(), static_cast<int>(row.name.size()), &text, format);
    if (row.groups.empty())
        return;
    text.left = std::min(measured.right, text.right) + ScaleForDpi(kGroupGap, dpi_);
    if (text.left >= text.right)
        return;
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, row.groups.c_str(), static_cast<int>(row.groups.size()), &text, format);
}

LRESULT SearchWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && IsOpen())
            Refill();
        return 0;
    case WM_DRAWITEM:
        DrawRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
            static_cast<UINT>(std::max(rowHeight_, 1));
        return TRUE;
    // A click elsewhere closes it, as it closes a menu.
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            Close();
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        Layout(HIWORD(wParam));
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    // Alt let go after the hotkey (its other key taken by the system) would
    // enter menu mode, with no menu to show, and swallow the next keys.
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK SearchWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SearchWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->OnMessage(msg, wParam, lParam);
}

// The keys that act on the list are taken before the edit box sees them.
LRESULT SearchWindow::Edit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN) {
        switch (wParam) {
        case VK_DOWN:
            owner_->MoveSelection(1);
            return 0;
        case VK_UP:
            owner_->MoveSelection(-1);
            return 0;
        case VK_NEXT:
            owner_->MoveSelection(kVisibleRows);
            return 0;
        case VK_PRIOR:
            owner_->MoveSelection(-kVisibleRows);
            return 0;
        case VK_RETURN:
            owner_->Choose(
                static_cast<int>(SendMessageA(owner_->list_.Handle(), LB_GETCURSEL, 0, 0)));
            return 0;
        case VK_ESCAPE:
            owner_->Close();
            return 0;
        default:
            break;
        }
    }
    // Enter (with Ctrl: a line feed) and Esc leave no character to beep at.
    if (msg == WM_CHAR && (wParam == '\r' || wParam == '\n' || wParam == VK_ESCAPE))
        return 0;
    return DefaultProc(msg, wParam, lParam);
}

// A click on a row chooses it, as a click on a menu item does.
LRESULT SearchWindow::ListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = DefaultProc(msg, wParam, lParam);
    if (msg == WM_LBUTTONUP) {
        LRESULT hit = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, lParam);
        SetFocus(owner_->edit_.Handle());
        if (HIWORD(hit) == 0)
            owner_->Choose(LOWORD(hit));
    }
    return result;
}
