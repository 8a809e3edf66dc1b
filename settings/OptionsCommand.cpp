// The options command (menu command 32784 and the hidden button 1012).
#include "dialogs/OptionsDialog.h"
#include "settings/SettingsWindow.h"

// OK may have changed the system menu's shortcuts, which rows the list shows
// and the order of the working table. Cancel rebuilds nothing unless broken
// entries were removed: that changed both tables, so the views and the
// launcher menu must stop showing the entries that are gone.
void SettingsWindow::OnOptions() {
    OptionsDialog dialog;
    bool confirmed = dialog.Run(&store) == IDOK;
    if (confirmed)
        RebuildSystemMenu();
    if (confirmed || dialog.RemovedEntries())
        RebuildTree();
    if (dialog.RemovedEntries())
        RebuildLauncherMenu();
}
