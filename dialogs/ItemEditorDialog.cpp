#include "dialogs/ItemEditorDialog.h"

#include <shlwapi.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "dialogs/DroppedEntry.h"
#include "dialogs/ShiftJisText.h"
#include "dialogs/UrlScheme.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/DroppedFiles.h"
#include "ui/EntryPath.h"
#include "ui/FileDialog.h"
#include "ui/HelpPage.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"

namespace {

// The kind list's texts, at the positions of the kind values.
constexpr const char* kKindNames[] = {"ファイル", "グループ", "URL"};

// A field's text up to its NUL, or the whole field when it has none.
template <size_t Size>
std::string_view FieldText(const char (&field)[Size]) {
    return std::string_view(field, strnlen(field, Size));
}

// A text as much of it as a field of maxBytes bytes of text holds.
std::string FittingText(std::string_view text, size_t maxBytes) {
    return std::string(text.substr(0, FittingLength(text, maxBytes)));
}

bool IsKnownKind(int kind) {
    return kind == KIND_FILE || kind == KIND_GROUP || kind == KIND_URL;
}

} // namespace

ItemEditorDialog::ItemEditorDialog()
    : Dialog(IDD_ITEM_EDITOR),
      entry(EmptyLaunchEntry()), nameEdit{IDC_EDITOR_NAME, kNameSize - 1, {}},
      pathEdit{IDC_EDITOR_PATH, kPathSize - 1, {}}, urlEdit{IDC_EDITOR_URL, kPathSize - 1, {}},
      programFolder(DefaultPlatform().ProgramDirectory()) {
    entry.parent = kParentTopLevel;
}

BOOL ItemEditorDialog::OnInitDialog() {
    FillLists();
    for (const LimitedEdit* edit : {&nameEdit, &pathEdit, &urlEdit})
        Edit(GetDlgItem(hwnd_, edit->id)).SetLimit(static_cast<int>(edit->maxBytes));
    if (entry.id == kNoId) {
        KindList().Select(KIND_FILE);
        SchemeList().Select(0);
    } else {
        ShowEntryForEditing();
    }
    AcceptDroppedFiles(hwnd_);
    // From here on the URL edit follows what the user types; the entry was
    // shown as it is stored.
    showingEntry = false;
    return TRUE;
}

void ItemEditorDialog::FillLists() {
    for (const char* scheme : kListedSchemes)
        SchemeList().Add(scheme);
    for (const char* kind : kKindNames)
        KindList().Add(kind);
}

void ItemEditorDialog::ShowEntryForEditing() {
    // An unknown kind leaves the list without a selection.
    KindList().Select(IsKnownKind(entry.kind) ? entry.kind : -1);
    SetText("編集");
    SetDlgItemTextA(hwnd_, IDC_EDITOR_NAME,
                    FittingText(FieldText(entry.name), nameEdit.maxBytes).c_str());
    switch (entry.kind) {
    case KIND_FILE:
        SetDlgItemTextA(hwnd_, IDC_EDITOR_PATH,
                        FittingText(FieldText(entry.path), pathEdit.maxBytes).c_str());
        break;
    case KIND_URL:
        ApplyKind();
        ShowUrl();
        break;
    case KIND_GROUP:
        ApplyKind();
        break;
    default:
        break;
    }
    KindList().Enable(false);
}

// Splits the held URL into a listed scheme and the rest. A URL that begins
// with no listed scheme is shown whole in the URL edit, with no scheme
// selected, so that OK keeps it as it is.
void ItemEditorDialog::ShowUrl() {
    std::string_view path = FieldText(entry.path);
    for (int i = 0; i < static_cast<int>(std::size(kListedSchemes)); ++i) {
        std::string_view scheme = kListedSchemes[i];
        if (path.substr(0, scheme.size()) == scheme) {
            SchemeList().Select(i);
            SetDlgItemTextA(hwnd_, IDC_EDITOR_URL,
                            FittingText(path.substr(scheme.size()), urlEdit.maxBytes).c_str());
            return;
        }
    }
    SchemeList().Select(-1);
    SetDlgItemTextA(hwnd_, IDC_EDITOR_URL, FittingText(path, urlEdit.maxBytes).c_str());
}

bool ItemEditorDialog::OnCommand(int id, int code, HWND) {
    if (id == IDC_EDITOR_BROWSE && code == BN_CLICKED) {
        OnBrowse();
        return true;
    }
    if (id == IDC_EDITOR_KIND && code == CBN_SELCHANGE) {
        ApplyKind();
        return true;
    }
    if (code == EN_CHANGE) {
        for (LimitedEdit* edit : {&nameEdit, &pathEdit, &urlEdit})
            if (id == edit->id) {
                KeepWithinLimit(*edit);
                if (edit == &urlEdit && !showingEntry)
                    MoveSchemeToList();
                return true;
            }
    }
    return false;
}

// A URL typed or pasted whole with a scheme the list offers, in any letter
// case, is shown as that scheme in the list and the rest in the edit, so
// that OK does not put a second scheme in front of it.
void ItemEditorDialog::MoveSchemeToList() {
    Window edit = Item(IDC_EDITOR_URL);
    std::string text = edit.Text();
    int scheme = ListedSchemeOf(text);
    if (scheme < 0)
        return;
    size_t schemeLength = std::string_view(kListedSchemes[scheme]).size();
    DWORD caret = 0;
    edit.Send(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SchemeList().Select(scheme);
    edit.SetText(text.substr(schemeLength).c_str());
    caret = caret > schemeLength ? static_cast<DWORD>(caret - schemeLength) : 0;
    edit.Send(EM_SETSEL, caret, caret);
}

// Shows the path row that fits the selected kind: the path edit with Browse,
// or the scheme list with the URL edit. Hidden controls keep their texts, so
// switching back brings them back. A group has no path: its path edit takes
// no input and Browse is off, but a text already there stays.
void ItemEditorDialog::ApplyKind() {
    int kind = KindList().Selection();
    if (!IsKnownKind(kind))
        return;
    bool url = kind == KIND_URL;
    SetDlgItemTextA(hwnd_, IDC_EDITOR_PATH_LABEL, url ? "URL" : "ファイル名");
    Item(IDC_EDITOR_PATH).Show(url ? SW_HIDE : SW_SHOW);
    Item(IDC_EDITOR_BROWSE).Show(url ? SW_HIDE : SW_SHOW);
    Item(IDC_EDITOR_SCHEME).Show(url ? SW_SHOW : SW_HIDE);
    Item(IDC_EDITOR_URL).Show(url ? SW_SHOW : SW_HIDE);
    if (!url) {
        Item(IDC_EDITOR_BROWSE).Enable(kind == KIND_FILE);
        Item(IDC_EDITOR_PATH).Send(EM_SETREADONLY, kind == KIND_GROUP);
    }
}

// The folder of the path in the path edit, expanded and resolved as a launch
// would: the folder itself when the path names one. Empty when the path
// leads to no existing folder.
std::string ItemEditorDialog::BrowseStartFolder() const {
    std::string path = ExpandEntryPath(Item(IDC_EDITOR_PATH).Text().c_str(), programFolder);
    if (path.empty())
        return {};
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::vector<char> folder(path.begin(), path.end());
        folder.push_back('\0');
        if (!PathRemoveFileSpecA(folder.data()))
            return {};
        path = folder.data();
        attributes = GetFileAttributesA(path.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return path;
}

// The chosen file's path goes into the path edit in the form it will be
// stored in (portable when the program runs from a removable drive). A file
// whose name has no form in the ANSI code page is refused: stored changed,
// it would open nothing.
void ItemEditorDialog::OnBrowse() {
    std::wstring chosen;
    std::wstring chosenName;
    if (!ChooseFileToOpen(hwnd_, kFileFilter, kFileDialogFlags, &chosen, &chosenName,
                          BrowseStartFolder()))
        return;
    std::string path;
    std::string fileName;
    if (!AnsiFormOf(chosen, &path) || !AnsiFormOf(chosenName, &fileName))
        return RefuseName(chosen);
    path = PortablePathOf(path, programFolder, OnRemovableDrive(programFolder));
    // The chooser's buffer holds MAX_PATH characters; a path of wide
    // characters may still take more bytes than the field holds.
    if (path.size() > pathEdit.maxBytes)
        return Refuse(("パスが長すぎるため使えません:\n" + PathInLines(path)).c_str());
    SetDlgItemTextA(hwnd_, IDC_EDITOR_PATH, path.c_str());
    if (Item(IDC_EDITOR_NAME).Text().empty())
        SetDlgItemTextA(hwnd_, IDC_EDITOR_NAME, FittingText(fileName, nameEdit.maxBytes).c_str());
}

bool ItemEditorDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        *result = 0;
        return true;
    case WM_HELP:
        OnHelpKey(reinterpret_cast<const HELPINFO*>(lParam));
        *result = TRUE;
        return true;
    default:
        return false;
    }
}

// F1 in the editor or on its controls opens the help at the editor's page.
// Requests passed on from its message boxes and the file chooser are
// theirs; none goes on to the settings window, which would open its own.
void ItemEditorDialog::OnHelpKey(const HELPINFO* info) {
    if (IsOwnHelpRequest(hwnd_, info))
        ShowHelpPage(Application::Instance().HelpFilePath(), "editor.html");
}

// The first file dropped fills the path row as Browse would, and the name
// when it is empty, named as a drop on the settings window names it. A new
// entry takes the kind of what was dropped (a URL for an Internet shortcut
// that holds an address); an entry being edited keeps its kind, so a file
// entry takes the dropped file itself and a URL entry only an address.
void ItemEditorDialog::OnDropFiles(HDROP drop) {
    std::vector<DroppedPath> paths = DroppedPaths(drop);
    DragFinish(drop);
    if (paths.empty())
        return;
    if (!paths.front().hasAnsiForm)
        return RefuseName(paths.front().name);
    const std::string& path = paths.front().path;
    std::string tooLong = "パスまたはURLが長すぎるため使えません:\n" + PathInLines(path);
    LaunchEntry dropped;
    bool removable = OnRemovableDrive(programFolder);
    if (!EntryForDroppedPath(path, programFolder, removable, &dropped))
        return Refuse(tooLong.c_str());
    bool kindFixed = !KindList().IsEnabled();
    int kind = kindFixed ? KindList().Selection() : dropped.kind;
    if (kind == KIND_FILE && dropped.kind != KIND_FILE &&
        !CopyFitting(dropped.path, sizeof dropped.path,
                     PortablePathOf(path, programFolder, removable)))
        return Refuse(tooLong.c_str());
    if (kind == KIND_GROUP || (kind == KIND_URL && dropped.kind != KIND_URL)) {
        MessageBeep(MB_OK);
        return;
    }
    if (!kindFixed) {
        KindList().Select(kind);
        ApplyKind();
    }
    SetDlgItemTextA(hwnd_, kind == KIND_URL ? IDC_EDITOR_URL : IDC_EDITOR_PATH, dropped.path);
    if (Item(IDC_EDITOR_NAME).Text().empty())
        SetDlgItemTextA(hwnd_, IDC_EDITOR_NAME, dropped.name);
}

// The edit's own limit counts characters where the system keeps the text as
// wide characters, which lets double-byte text grow past its field: a change
// that no longer fits is taken back.
void ItemEditorDialog::KeepWithinLimit(LimitedEdit& edit) {
    Window control = Item(edit.id);
    std::string text = control.Text();
    if (text.size() <= edit.maxBytes) {
        edit.accepted = text;
        return;
    }
    control.SetText(edit.accepted.c_str());
    control.Send(EM_SETSEL, edit.accepted.size(), edit.accepted.size());
    MessageBeep(MB_OK);
}

void ItemEditorDialog::OnOK() {
    CopyFitting(entry.name, sizeof entry.name, Item(IDC_EDITOR_NAME).Text());
    CopyFitting(entry.path, sizeof entry.path, Item(IDC_EDITOR_PATH).Text());
    // Without a selection (an unknown kind carried in) the entry keeps its kind.
    int kind = KindList().Selection();
    if (kind == CB_ERR)
        kind = entry.kind;

    if (entry.name[0] == '\0')
        return Refuse("名前を入力してください");
    if (kind == KIND_FILE && entry.path[0] == '\0')
        return Refuse("ファイル名を入力してください");
    if (kind == KIND_URL && !ComposeUrl())
        return;
    entry.kind = kind;
    End(IDOK);
}

// The URL is the selected scheme followed by the typed rest; a typed text
// that begins with a scheme of its own, or one typed with no scheme
// selected, is the whole URL as typed. One that does not fit the path field
// is refused rather than cut.
bool ItemEditorDialog::ComposeUrl() {
    std::string rest = Item(IDC_EDITOR_URL).Text();
    if (rest.empty()) {
        Refuse("URLを入力してください");
        return false;
    }
    int scheme = SchemeList().Selection();
    bool asTyped = scheme == CB_ERR || OwnSchemeLength(rest) > 0;
    std::string url = asTyped ? rest : SchemeList().ItemText(scheme) + rest;
    if (url.size() > sizeof entry.path - 1) {
        Refuse("URLが長すぎます");
        return false;
    }
    CopyFitting(entry.path, sizeof entry.path, url);
    return true;
}

void ItemEditorDialog::Refuse(const char* message) {
    ShowMessage(message, MB_OK | MB_ICONEXCLAMATION, hwnd_);
}

void ItemEditorDialog::RefuseName(const std::wstring& name) {
    std::wstring text = WideOf(kNoAnsiFormText) + L"\n" + WideInLines(name);
    ShowMessage(text, MB_OK | MB_ICONEXCLAMATION, hwnd_);
}
