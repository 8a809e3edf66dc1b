// The settings window's life: construction, initialisation, showing and
// hiding, committing, the options that change its behaviour, the menu bar
// and its destruction, which ends the program.
#include "settings/SettingsWindow.h"

#include <string>

#include "dialogs/AboutDialog.h"
#include "resource.h"
#include "tray/OwnerDraw.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/DroppedFiles.h"
#include "ui/HelpPage.h"
#include "ui/HtmlHelp.h"
#include "ui/MessageBox.h"

namespace {

// Posted at initialisation: the reports of a damaged data file and of a
// hotkey that cannot be used are shown once the window exists and the
// message loop runs.
constexpr UINT WM_REPORTLOAD = WM_APP + 2;

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

LPITEMIDLIST SpecialFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    SHGetSpecialFolderLocation(nullptr, csidl, &pidl);
    return pidl;
}

// The primary monitor's work area: what "the middle of the screen" means for
// a window that has no owner.
RECT WorkArea(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

} // namespace

SettingsWindow::SettingsWindow() : SettingsWindow(nullptr) {}

SettingsWindow::SettingsWindow(Platform* platform)
    : Dialog(IDD_SETTINGS), store(platform), icons(IDI_BRINDLEWAY) {
    trayImage = LoadTrayIcon(Module(), IDI_BRINDLEWAY);
    launcherMenu.UseIcons(&icons);
}

// The window goes first, while everything its destruction uses still exists.
SettingsWindow::~SettingsWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
    for (LPITEMIDLIST pidl : {myComputerPidl, myDocumentsPidl, myNetworkPidl})
        if (pidl)
            ILFree(pidl);
}

bool SettingsWindow::Create() {
    if (!CreateModeless(nullptr))
        return false;
    Application::Instance().SetMainWindow(hwnd_);
    return true;
}

BOOL SettingsWindow::OnInitDialog() {
    BindControls();
    SetWindowIcons(DpiForWindow(hwnd_));
    store.LoadData();
    store.SetCopyKeptNotice([this](const std::string& copy) { ReportCopyKept(copy); });
    store.SetBackupSkippedNotice([this](FileError why) { ReportBackupSkipped(why); });
    firstRun = store.ReadOptions() == 0;
    groupTree.SetItemStore(&store);
    PlaceWindow();
    SetUpViews();
    RebuildSystemMenu();
    RebuildLauncherMenu();
    trayIcon.Fill(hwnd_, trayImage.Get());
    trayIcon.Add();
    RegisterLauncherHotkey();
    if (store.GetOptions()->opt1 || firstRun)
        Show(SW_SHOW);
    GrayHelpCommands();
    AcceptDroppedFiles(hwnd_);
    Post(WM_REPORTLOAD);
    return TRUE;
}

// The group tree keeps the tree view's own behaviour and adds dragging.
void SettingsWindow::BindControls() {
    itemList = ListView(Item(IDC_ITEM_LIST).Handle());
    groupTree.Subclass(Item(IDC_GROUP_TREE).Handle());
}

// The saved position, or the middle of the screen when there is none, when
// it was saved while the window was minimised (a negative coordinate), or
// when the window would lie on no monitor there (one that has since gone).
void SettingsWindow::PlaceWindow() {
    int x = -1;
    int y = -1;
    store.ReadWindowPos(&x, &y);
    RECT rect = WindowRect();
    RECT saved{x, y, x + rect.right - rect.left, y + rect.bottom - rect.top};
    if (x >= 0 && y >= 0 && MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) {
        SetWindowPos(hwnd_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
        return;
    }
    RECT area = WorkArea(hwnd_);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SettingsWindow::SystemMenuShowsShellFolders() {
    const Options& options = *store.GetOptions();
    return options.opt6 || options.opt7 || options.opt8;
}

// The icons' list and the workers that fill it take time and memory, so
// they are made once, by the first view, menu or command that shows or
// opens what they give: a start with no entries, a hidden window and no
// shell folders in the system menu needs none of them. The icons every view
// shows have fixed places in the list, which fill in as they come.
void SettingsWindow::LoadShellIcons() {
    if (shellIconsLoaded)
        return;
    shellIconsLoaded = true;
    systemImageList.Attach(icons.List());
    groupTree.Tree().SetImageList(systemImageList.Handle(), TVSIL_NORMAL);
    itemList.SetImageList(systemImageList.Handle(), LVSIL_SMALL);

    programIconIndex = IconResolver::kProgramIcon;
    folderIconIndex = IconResolver::kFolderIcon;
    openFolderIconIndex = IconResolver::kOpenFolderIcon;
    myComputerIconIndex = IconResolver::kMyComputerIcon;
    myDocumentsIconIndex = IconResolver::kMyDocumentsIcon;
    myNetworkIconIndex = IconResolver::kMyNetworkIcon;
    icons.OnFixedIconCame([this] { OnFixedIconCame(); });

    myComputerPidl = SpecialFolder(CSIDL_DRIVES);
    myDocumentsPidl = SpecialFolder(CSIDL_PERSONAL);
    myNetworkPidl = SpecialFolder(CSIDL_NETWORK);
    RegisterShellNotifications();
}

void SettingsWindow::SetUpViews() {
    // The list would destroy its image lists with itself; the system image
    // list is the shell's and must outlive it.
    SetWindowLongPtrA(itemList.Handle(), GWL_STYLE,
                      GetWindowLongPtrA(itemList.Handle(), GWL_STYLE) | LVS_SHAREIMAGELISTS);
    itemList.InsertColumn(0, "名前", LVCFMT_LEFT, ScaleForDpi(100, windowDpi));
    itemList.InsertColumn(1, "場所", LVCFMT_LEFT, ScaleForDpi(250, windowDpi));
    itemList.SetExtendedStyle(itemList.ExtendedStyle() | LVS_EX_FULLROWSELECT);
}

// The help file's commands stay grayed for the whole run.
void SettingsWindow::GrayHelpCommands() {
    HMENU bar = GetMenu(hwnd_);
    for (UINT id : {ID_HELP_CONTENTS, ID_HELP_SEARCH, ID_HELP_INDEX})
        EnableMenuItem(bar, id, MF_BYCOMMAND | MF_GRAYED);
}

// A data file that could not be read, or whose checksum was wrong, is told
// once, with the name of the copy of it that was kept and, when there is
// one, of the backup, which holds the last table saved before.
void SettingsWindow::ReportLoadProblem() {
    const LoadReport& report = store.GetLoadReport();
    std::string text;
    bool unread = report.state == DataFileState::InUse || report.state == DataFileState::Unreadable;
    if (report.state == DataFileState::Damaged && report.salvagedCount > 0)
        text = "データファイルが壊れていたため、壊れていない " +
               std::to_string(report.salvagedCount) +
               " 件の項目だけを読み込みました。内容を確認してください。";
    else if (report.state == DataFileState::Damaged)
        text = "データファイルが壊れていたため、項目を読み込めませんでした。";
    else if (report.state == DataFileState::ChecksumMismatch)
        text = "データファイルが壊れています（チェックサムが一致しません）。\n"
               "読み込めた項目を表示しています。内容を確認してください。";
    else if (report.state == DataFileState::IdsRepaired)
        text = "データファイルの項目の番号に重複や範囲外のものがあったため、"
               "番号を付け直して読み込みました。内容を確認してください。";
    else if (report.state == DataFileState::InUse)
        text = "データファイルを他のプログラムが使用していたため、項目を読み込めませんでした。";
    else if (report.state == DataFileState::Unreadable)
        text = "データファイルを読み込めませんでした（アクセスが拒否されたか、読み取りに失敗しま"
               "した）。";
    else
        return;
    if (unread)
        text += "\n保存する前にもう一度読み込み、読み込めたときは上書きせずにその内容を読み込み"
                "ます。読み込めないときは、写しを残せるまで上書きしません:\n" +
                store.DataFilePath();
    if (!report.keptCopy.empty())
        text += "\n\n元のファイルは次の名前で残してあります:\n" + report.keptCopy;
    else if (!unread)
        text += "\n\n元のファイルの写しを作れなかったため、写しを作れるまで元のファイルは"
                "上書きしません。保存するときに写しを作り、その名前をお知らせします:\n" +
                store.DataFilePath();
    if (report.backupExists)
        text += "\n\nその前に保存した内容は次のファイルにあります（プログラムを終了してから、"
                "このファイルを Brindleway.bwz に名前を変えると戻せます）:\n" +
                store.BackupFilePath();
    ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
}

// The copy that could not be made at start has just been made by a save,
// which replaces the data file once the user has read its name.
void SettingsWindow::ReportCopyKept(const std::string& copy) {
    std::string text = "データファイルを保存する前に、元のファイルを次の名前で残しました:\n" + copy;
    ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
}

// The data file was saved, but the backup was left as it was: the user
// relies on it to undo, so the first time in a run it is told, with why.
void SettingsWindow::ReportBackupSkipped(FileError why) {
    const char* reason = "ファイルを作ることも置き換えることもできませんでした。";
    switch (why) {
    case FileError::InUse:
        reason = "他のプログラムがファイルを使用しています。";
        break;
    case FileError::AccessDenied:
        reason = "ファイルが読み取り専用になっているか、他のプログラムが使用しているか、"
                 "書き込みが許可されていません。";
        break;
    case FileError::NameTooLong:
        reason = "フォルダのパスが長すぎて、バックアップのファイル名を作れません。";
        break;
    case FileError::DiskFull:
        reason = "ディスクの空き容量が足りません。";
        break;
    default:
        break;
    }
    std::string text =
        std::string("データファイルは保存しましたが、バックアップ（保存する前の内容）を"
                    "作れませんでした。\n理由: ") +
        reason + "\n\nバックアップは更新していません:\n" + store.BackupFilePath() +
        "\n\nこの実行中は、このことを再びお知らせしません。";
    ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
}

// The data file, unreadable at start, could be read when a save was about
// to replace it: its table was loaded instead, and the window and the menu
// now show it. What the user changed on the table shown before is not kept.
void SettingsWindow::ShowReloadedTable() {
    store.RestoreData();
    RebuildTree();
    RebuildLauncherMenu();
    ShowMessage("データファイルを読み込めるようになったため、上書きせずに読み込み直しました。\n"
                "読み込み直す前の変更は保存していません。内容を確認して、"
                "必要ならもう一度変更してください。",
                MB_OK | MB_ICONEXCLAMATION, hwnd_);
    ReportLoadProblem();
}

// Commits the working table and rebuilds the launcher menu from it. A data
// file that could not be written is told: the menu has the new entries for
// this run only. False when nothing was committed because the data file,
// unreadable at start, was loaded instead.
bool SettingsWindow::ApplyChanges() {
    bool saved = store.CommitData() != 0;
    if (store.LastSaveOutcome() == SaveOutcome::Reloaded) {
        ShowReloadedTable();
        return false;
    }
    RebuildLauncherMenu();
    if (saved)
        return true;
    std::string text =
        "データファイルを保存できませんでした。\n変更はこの実行中のみ有効です。\n\n" +
        store.DataFilePath();
    ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
    return true;
}

// The window stays open over a table loaded instead of saved, for the user
// to see it.
void SettingsWindow::OnOK() {
    if (ApplyChanges())
        End(IDOK);
}

void SettingsWindow::OnCancel() {
    End(IDCANCEL);
}

bool SettingsWindow::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDC_ADD:
    case ID_TOOLS_ADD:
        OnAdd();
        return true;
    case IDC_EDIT:
    case ID_TOOLS_EDIT:
        OnEdit();
        return true;
    case IDC_DELETE:
    case ID_TOOLS_DELETE:
        OnDelete();
        return true;
    case IDC_UP:
    case ID_TOOLS_UP:
        OnUp();
        return true;
    case IDC_DOWN:
    case ID_TOOLS_DOWN:
        OnDown();
        return true;
    default:
        return OnWindowCommand(id);
    }
}

// The commands of the window itself: commit, hide, exit, options, help.
bool SettingsWindow::OnWindowCommand(int id) {
    switch (id) {
    case IDC_APPLY:
        ApplyChanges();
        return true;
    case ID_SETTINGS_OK:
        OnOK();
        return true;
    case ID_SETTINGS_CANCEL:
        OnCancel();
        return true;
    case ID_SETTINGS_EXIT:
        DestroyWindow(hwnd_);
        return true;
    case IDC_OPTIONS:
    case ID_TOOLS_OPTIONS:
        OnOptions();
        return true;
    case ID_HELP_ABOUT:
        OnAbout();
        return true;
    case ID_HELP_CONTENTS:
    case ID_HELP_SEARCH:
    case ID_HELP_INDEX:
        OnHelpCommand(static_cast<UINT>(id));
        return true;
    default:
        return false;
    }
}

void SettingsWindow::OnAbout() {
    AboutDialog dialog;
    dialog.RunModal();
}

void SettingsWindow::OnHelpCommand(UINT id) {
    const char* file = Application::Instance().HelpFilePath().c_str();
    // The search page opens with an empty query that is not run.
    HH_FTS_QUERY query{};
    query.cbStruct = sizeof query;
    switch (id) {
    case ID_HELP_CONTENTS:
        CallHtmlHelp(nullptr, file, HH_DISPLAY_TOC, 0);
        break;
    case ID_HELP_SEARCH:
        CallHtmlHelp(nullptr, file, HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query));
        break;
    case ID_HELP_INDEX:
        CallHtmlHelp(nullptr, file, HH_DISPLAY_INDEX, 0);
        break;
    }
}

bool SettingsWindow::OnNotify(NMHDR* header, LRESULT* result) {
    if (header->idFrom == IDC_GROUP_TREE)
        return OnTreeNotify(header, result);
    if (header->idFrom == IDC_ITEM_LIST && header->code == LVN_ITEMCHANGED) {
        OnListItemChanged(reinterpret_cast<const NMLISTVIEW*>(header));
        *result = 0;
        return true;
    }
    return false;
}

// The tree sends the ANSI or the wide form of its notifications depending on
// what it was told; the fields used here lie in the same place in both.
bool SettingsWindow::OnTreeNotify(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<const NMTREEVIEWA*>(header);
    switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
        OnTreeSelChanging(info);
        break;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        OnTreeItemExpanding(info);
        break;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        OnTreeItemExpanded(info);
        break;
    default:
        return false;
    }
    *result = 0;
    return true;
}

bool SettingsWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_SHOWWINDOW:
        // A non-zero status: shown or hidden for its owner's sake, which this
        // window, having none, never is.
        if (lParam == 0)
            OnVisibilityChange(wParam != 0);
        return false;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return false;
    // The system's default dialog handling runs once the dialog procedure
    // has returned. For WM_SIZE and WM_DESTROY it does nothing that these
    // handlers rely on or that would undo them, so the order does not matter.
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam));
        return false;
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        *result = reinterpret_cast<LRESULT>(bigIcon.Get());
        return true;
    case WM_MEASUREITEM:
        return OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), result);
    case WM_DRAWITEM:
        return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), result);
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return false;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        ForgetMenuPaintsAndWidths();
        return false;
    case WM_SHELLICONSCHANGED:
        OnShellNotification(wParam, lParam);
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        *result = 0;
        return true;
    case WM_HELP:
        return OnHelpKey(reinterpret_cast<const HELPINFO*>(lParam), result);
    case WM_REPORTLOAD:
        ReportLoadProblem();
        ReportHotkeyProblem();
        return true;
    default:
        return false;
    }
}

// F1 in the window, on its controls or in its menu bar opens the help at
// the window's page. Requests passed on from the dialogs and message boxes
// it owns are theirs: they are answered there or not at all.
bool SettingsWindow::OnHelpKey(const HELPINFO* info, LRESULT* result) {
    if (IsOwnHelpRequest(hwnd_, info))
        ShowHelpPage(Application::Instance().HelpFilePath(), "settings.html");
    *result = TRUE;
    return true;
}

bool SettingsWindow::OnMeasureItem(MEASUREITEMSTRUCT* measure, LRESULT* result) {
    if (measure->CtlType != ODT_MENU)
        return false;
    MeasureMenuItem(hwnd_, measure);
    *result = TRUE;
    return true;
}

bool SettingsWindow::OnDrawItem(const DRAWITEMSTRUCT* draw, LRESULT* result) {
    if (draw->CtlType != ODT_MENU)
        return false;
    // The placeholder "(なし)" has no icon: the launcher menu of a program
    // without entries needs no icons loaded.
    if (draw->itemData)
        LoadShellIcons();
    DrawMenuItem(draw, icons);
    *result = TRUE;
    return true;
}

// Every showing of the hidden window starts from the committed table: edits
// that were never committed are dropped here. A window that was visible, or
// only minimised, keeps them.
void SettingsWindow::OnVisibilityChange(bool visible) {
    if (!visible) {
        hiddenSinceReload = true;
        return;
    }
    if (!hiddenSinceReload)
        return;
    hiddenSinceReload = false;
    LoadShellIcons();
    store.RestoreData();
    RebuildTree();
}

// Restoring a hidden, minimised window sends no WM_SHOWWINDOW under Wine;
// every change of visibility passes here.
void SettingsWindow::OnWindowPosChanged(const WINDOWPOS& pos) {
    if (pos.flags & SWP_SHOWWINDOW)
        OnVisibilityChange(true);
    else if (pos.flags & SWP_HIDEWINDOW)
        OnVisibilityChange(false);
}

// With opt2, a minimised window leaves the taskbar; the system menu's
// "設定(&S)..." brings it back. Not while one of the program's dialogs or
// message boxes is open: the dialog hides with its minimised owner and the
// tray opens no menu then, so the taskbar button is the only way back.
void SettingsWindow::OnSize(UINT type) {
    if (type == SIZE_MINIMIZED && store.GetOptions()->opt2 &&
        Application::Instance().ModalDepth() == 0)
        Show(SW_HIDE);
}

// With opt3 the close box ends the program; otherwise the dialog turns the
// close into Cancel and the window hides.
bool SettingsWindow::OnClose() {
    if (!store.GetOptions()->opt3)
        return false;
    DestroyWindow(hwnd_);
    return true;
}

void SettingsWindow::OnDestroy() {
    RECT rect = WindowRect();
    store.WriteWindowPos(rect.left, rect.top);
    FreeLauncherMenu();
    UnregisterShellNotifications();
    searchWindow.Close();
    trayIcon.Remove();
    launcherHotkey.Unregister();
    findHotkey.Unregister();
    Application& app = Application::Instance();
    if (app.MainWindow() == hwnd_)
        app.SetMainWindow(nullptr);
}

// A minimised window shows the application icon in the middle.
bool SettingsWindow::OnPaint() {
    if (!IsIconic())
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    RECT client = ClientRect();
    int size = SystemMetricForDpi(SM_CXICON, windowDpi);
    int x = (client.right - size + 1) / 2;
    int y = (client.bottom - size + 1) / 2;
    DrawIconEx(dc, x, y, bigIcon.Get(), size, size, 0, nullptr, DI_NORMAL);
    EndPaint(hwnd_, &paint);
    return true;
}
