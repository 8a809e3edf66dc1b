// The modal dialog in which the user enters one launch entry: its name, its
// kind (file, group or URL) and its path. It works on a copy of the entry
// that the caller fills before the run and reads back after IDOK; it never
// touches the store. An entry with id -1 opens in add mode, any other in
// edit mode, where the kind cannot be changed.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <string>

#include "resource.h"

#include "store/LaunchEntry.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"

class ItemEditorDialog : public Dialog {
public:
    // The filter of the Browse button's Open File dialog.
    static constexpr const char* kFileFilter = "すべてのファイル (*.*)|*.*||";
    static constexpr DWORD kFileDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // What a file whose name has no Shift-JIS form is refused with, before
    // its name.
    static constexpr const char* kNoAnsiFormText =
        "このファイルの名前にはシフトJISにない文字が含まれているため使えません"
        "（そのままでは開けない名前に変わってしまいます）:";

    ItemEditorDialog();

    // The entry shown when the dialog opens and, after IDOK, the one the
    // user made: name, path and kind set, parent and id as the caller left
    // them.
    LaunchEntry& Entry() { return entry; }
    void SetEntry(const LaunchEntry& shown) { entry = shown; }
    // The folder that a relative path is resolved against when Browse
    // looks for the folder to start in; the program's folder by default.
    void SetProgramFolder(const std::string& folder) { programFolder = folder; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // The texts of the editable edits, each with the bytes its field holds,
    // and the last text of each that fitted.
    struct LimitedEdit {
        int id;
        size_t maxBytes;
        std::string accepted;
    };

    void FillLists();
    void ShowEntryForEditing();
    void ShowUrl();
    void ApplyKind();
    void OnBrowse();
    void OnDropFiles(HDROP drop);
    void OnHelpKey(const HELPINFO* info);
    void KeepWithinLimit(LimitedEdit& edit);
    void MoveSchemeToList();
    bool ComposeUrl();
    void Refuse(const char* message);
    void RefuseName(const std::wstring& name);

    ComboBox KindList() const { return ComboBox(GetDlgItem(hwnd_, IDC_EDITOR_KIND)); }
    ComboBox SchemeList() const { return ComboBox(GetDlgItem(hwnd_, IDC_EDITOR_SCHEME)); }

    std::string BrowseStartFolder() const;

    LaunchEntry entry;
    LimitedEdit nameEdit;
    LimitedEdit pathEdit;
    LimitedEdit urlEdit;
    std::string programFolder;
    // Set while initialisation puts the held entry into the controls.
    bool showingEntry = true;
};
