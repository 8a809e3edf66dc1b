// The options dialog (template 137): the eight option flags, starting with
// the computer, the defaults, and the removal of entries whose files are
// gone. Modal; built on the stack of the command that shows it.
#pragma once

#include <windows.h>

#include <string>

#include "store/ItemStore.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"

class OptionsDialog : public Dialog {
public:
    OptionsDialog();

    // Runs the dialog modally on the store's options and entries. Returns
    // IDOK or IDCANCEL.
    INT_PTR Run(ItemStore* itemStore);

    // The program file the Run value must name; the running program's by
    // default.
    void SetModulePath(const std::string& path) { modulePath = path; }

    // The autostart state the registry gave when the dialog opened.
    int AutostartStateAtOpen() const { return autostartStateAtOpen; }
    // Whether the removal of broken entries changed either table (took
    // entries away, or found the data file readable and loaded it first);
    // that stands whatever button ends the dialog.
    bool RemovedEntries() const { return removedEntries; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void ShowAutostartState();
    void ShowFlags();
    void ToggleAutostart();
    void RestoreDefaults();
    void RemoveBrokenLinks();
    void SaveAutostart();
    void ReadFlags();
    void SaveOptions();
    BOOL ShowControlHelp(const HELPINFO* info);

    Button autostartBox;
    ItemStore* store = nullptr;
    int autostartStateAtOpen = 0;
    std::string modulePath;
    bool removedEntries = false;
};
