#include "dialogs/OptionsDialog.h"

#include <string>

#include "dialogs/Autostart.h"
#include "dialogs/BrokenEntries.h"
#include "dialogs/TemplateHelpIds.h"
#include "resource.h"
#include "ui/Application.h"
#include "ui/HtmlHelp.h"
#include "ui/MessageBox.h"

namespace {

// The flag boxes in the order the flags are stored.
struct FlagBox {
    int controlId;
    int32_t Options::*flag;
};

constexpr FlagBox kFlagBoxes[] = {
    {IDC_OPT_SHOW_AT_START, &Options::opt1}, {IDC_OPT_HIDE_MINIMIZED, &Options::opt2},
    {IDC_OPT_CLOSE_EXITS, &Options::opt3},   {IDC_OPT_NO_GROUPS, &Options::opt4},
    {IDC_OPT_SWAP_BUTTONS, &Options::opt5},  {IDC_OPT_MY_COMPUTER, &Options::opt6},
    {IDC_OPT_MY_DOCUMENTS, &Options::opt7},  {IDC_OPT_MY_NETWORK, &Options::opt8},
};

// Control ids and their popup topics in the help file's text file, read by
// the help control as one array ended by (0, 0).
const DWORD kHelpMap[][2] = {
    {IDOK, static_cast<DWORD>(-1)},
    {IDCANCEL, static_cast<DWORD>(-1)},
    {IDC_OPT_AUTOSTART, 7000},
    {IDC_OPT_SWAP_BUTTONS, 7100},
    {0, 0},
};

constexpr UINT kWarning = MB_OK | MB_ICONEXCLAMATION;

constexpr const char* kAutostartNotChanged =
    "コンピュータ起動時の自動起動の設定を変更できませんでした。";
constexpr const char* kOptionsNotSaved = "オプションを設定ファイルに保存できませんでした。\n"
                                         "変更した設定はプログラムを終了するまで有効です。";
constexpr const char* kRemovalAfterReload =
    "データファイルを読み込めるようになったため、上書きせずに読み込み直し、"
    "その内容からリンクの切れているメニューを削除しました。\n"
    "読み込み直す前の変更は保存していません。内容を確認してください。";
constexpr const char* kRemovalNotSaved =
    "リンクの切れているメニューの削除をデータファイルに保存できませんでした。\n"
    "設定画面で「OK」か「適用」を押すと、もう一度保存します。";

} // namespace

OptionsDialog::OptionsDialog()
    : Dialog(IDD_OPTIONS), modulePath(Application::Instance().ModulePath()) {}

INT_PTR OptionsDialog::Run(ItemStore* itemStore) {
    store = itemStore;
    if (!store)
        return IDCANCEL;
    return RunModal();
}

BOOL OptionsDialog::OnInitDialog() {
    autostartBox = Button(GetDlgItem(hwnd_, IDC_OPT_AUTOSTART));
    AttachTemplateHelpIds(hwnd_, IDD_OPTIONS);
    ShowAutostartState();
    ShowFlags();
    return TRUE;
}

void OptionsDialog::ShowAutostartState() {
    autostartStateAtOpen = ReadAutostartState(modulePath.c_str());
    autostartBox.SetCheck(autostartStateAtOpen);
}

void OptionsDialog::ShowFlags() {
    const Options& options = *store->GetOptions();
    for (const FlagBox& box : kFlagBoxes)
        if (options.*box.flag != 0)
            Button(GetDlgItem(hwnd_, box.controlId)).SetCheck(BST_CHECKED);
}

bool OptionsDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_OPT_AUTOSTART:
        ToggleAutostart();
        return true;
    case IDC_OPT_REMOVE_BROKEN:
        RemoveBrokenLinks();
        return true;
    case IDC_OPT_RESTORE_DEFAULTS:
        RestoreDefaults();
        return true;
    default:
        return false;
    }
}

// The box is not automatic: the indeterminate state comes only from the
// registry, and a click on it clears the box.
void OptionsDialog::ToggleAutostart() {
    autostartBox.SetCheck(ToggledAutostartState(autostartBox.Check()));
}

void OptionsDialog::RestoreDefaults() {
    autostartBox.SetCheck(BST_CHECKED);
    for (const FlagBox& box : kFlagBoxes)
        Button(GetDlgItem(hwnd_, box.controlId)).SetCheck(BST_UNCHECKED);
}

// Works on both tables and writes the data file at once; it cannot be
// undone by Cancel, which the prompt says.
void OptionsDialog::RemoveBrokenLinks() {
    if (ShowPrompt(IDS_CONFIRM_REMOVE_BROKEN, MB_OKCANCEL | MB_ICONEXCLAMATION, hwnd_) != IDOK)
        return;
    RemovedCounts removed = RemoveBrokenEntries(*store);
    if (removed.working > 0 || removed.committed > 0)
        removedEntries = true;
    if (store->SaveData())
        return;
    if (store->LastSaveOutcome() == SaveOutcome::Reloaded) {
        // The data file, unreadable at start, could be read now: its table
        // is the one to clean, and both tables show it from here on.
        store->RestoreData();
        removedEntries = true;
        RemoveBrokenEntries(*store);
        ShowMessage(kRemovalAfterReload, kWarning, hwnd_);
        if (store->SaveData())
            return;
    }
    ShowMessage(kRemovalNotSaved, kWarning, hwnd_);
}

void OptionsDialog::OnOK() {
    SaveAutostart();
    ReadFlags();
    SaveOptions();
    store->SortData();
    End(IDOK);
}

// An unchanged box writes nothing, so another program's value left alone
// stays.
void OptionsDialog::SaveAutostart() {
    int state = autostartBox.Check();
    if (state == autostartStateAtOpen)
        return;
    if (!WriteAutostartState(state, modulePath.c_str()))
        ShowMessage(kAutostartNotChanged, kWarning, hwnd_);
}

void OptionsDialog::ReadFlags() {
    Options& options = *store->GetOptions();
    for (const FlagBox& box : kFlagBoxes)
        options.*box.flag = Button(GetDlgItem(hwnd_, box.controlId)).Check() == BST_CHECKED ? 1 : 0;
}

void OptionsDialog::SaveOptions() {
    if (!store->WriteOptions())
        ShowMessage(kOptionsNotSaved, kWarning, hwnd_);
}

bool OptionsDialog::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_HELP)
        return false;
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (info->iContextType != HELPINFO_WINDOW ||
        GetWindowContextHelpId(static_cast<HWND>(info->hItemHandle)) == 0)
        return false;
    *result = ShowControlHelp(info);
    return true;
}

// The popup from the help file's text file for the control under F1.
BOOL OptionsDialog::ShowControlHelp(const HELPINFO* info) {
    const std::string file = Application::Instance().HelpFilePath() + "::/Brindleway.txt";
    HWND help = CallHtmlHelp(static_cast<HWND>(info->hItemHandle), file.c_str(), HH_TP_HELP_WM_HELP,
                             reinterpret_cast<DWORD_PTR>(kHelpMap));
    return help ? TRUE : FALSE;
}
