// The settings window's options command: what it rebuilds after OK, after
// Cancel, and after broken entries were removed.
#include <gtest/gtest.h>

#include <fstream>

#include "OptionsTestSupport.h"
#include "resource.h"
#include "settings/SettingsWindow.h"

namespace {

bool MenuHasCommand(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

bool TreeShows(const TreeView& tree, HTREEITEM item, const std::string& text) {
    for (; item; item = tree.NextItem(item, TVGN_NEXT))
        if (tree.ItemText(item) == text || TreeShows(tree, tree.Child(item), text))
            return true;
    return false;
}

class OptionsCommandTest : public OptionsTestBase {
protected:
    void TearDown() override {
        window.reset();
        OptionsTestBase::TearDown();
    }

    void OpenWindow() {
        window = std::make_unique<SettingsWindow>();
        window->Store().SetDirectory(folder.Path());
        ASSERT_TRUE(window->Create());
        PumpMessages();
    }

    // Runs the options command as the menu bar or the hidden button sends
    // it; `action` ends the dialog.
    void RunCommand(int id, const std::function<void(HWND)>& action, int boxAnswer = IDOK) {
        ModalDriver driver([&](HWND dialog) {
            if (GetDlgItem(dialog, IDC_OPT_AUTOSTART)) {
                action(dialog);
                return;
            }
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(boxAnswer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, boxAnswer)));
        });
        HWND button = id == IDC_OPTIONS ? window->Item(IDC_OPTIONS).Handle() : nullptr;
        window->Send(WM_COMMAND, MAKEWPARAM(id, button ? BN_CLICKED : 0),
                     reinterpret_cast<LPARAM>(button));
        EXPECT_EQ(driver.Runs() >= 1, true) << "the options dialog opened";
    }

    // Changes the store behind the window's back: only a rebuild shows them.
    void ChangeStoreWithoutRebuilding() {
        window->Store().GetOptions()->opt6 = 1;
        window->Store().InsertData(MakeEntry("Hidden group", "", KIND_GROUP), -1);
    }

    bool TreeShowsHiddenGroup() const {
        TreeView tree = window->GroupTree();
        return TreeShows(tree, tree.Root(), "Hidden group");
    }

    std::unique_ptr<SettingsWindow> window;
};

TEST_F(OptionsCommandTest, OkRebuildsTheSystemMenuAndTheViews) {
    for (int id : {ID_TOOLS_OPTIONS, IDC_OPTIONS}) {
        SCOPED_TRACE(id);
        DeleteFileA(IniPath().c_str()); // the first round stored opt6
        OpenWindow();
        ChangeStoreWithoutRebuilding();
        ASSERT_FALSE(MenuHasCommand(window->SystemMenuHandle(), ID_TRAY_MY_COMPUTER));
        ASSERT_FALSE(TreeShowsHiddenGroup());
        RunCommand(id, [](HWND dialog) { Click(dialog, IDOK); });
        EXPECT_TRUE(MenuHasCommand(window->SystemMenuHandle(), ID_TRAY_MY_COMPUTER));
        EXPECT_TRUE(TreeShowsHiddenGroup());
        window.reset();
    }
}

TEST_F(OptionsCommandTest, CancelRebuildsNothing) {
    OpenWindow();
    ChangeStoreWithoutRebuilding();
    RunCommand(ID_TOOLS_OPTIONS, [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_FALSE(MenuHasCommand(window->SystemMenuHandle(), ID_TRAY_MY_COMPUTER));
    EXPECT_FALSE(TreeShowsHiddenGroup());
}

// The removal changed both tables: even after Cancel the views and the
// launcher menu must stop showing what is gone, or a row would stand for
// another entry than the one it shows.
TEST_F(OptionsCommandTest, RemovalThenCancelRebuildsTheViewsAndTheLauncherMenu) {
    std::string present = folder.File("present.exe");
    std::ofstream(present) << "MZ";
    {
        ItemStore seed;
        seed.SetDirectory(folder.Path());
        seed.InsertData(MakeEntry("Present", present.c_str(), KIND_FILE), -1);
        seed.InsertData(MakeEntry("Gone", folder.File("gone.exe").c_str(), KIND_FILE), -1);
        seed.InsertData(MakeEntry("Gone group", "", KIND_GROUP), -1);
        seed.InsertData(MakeEntry("Gone too", "", KIND_FILE, 2), -1);
        ASSERT_NE(seed.CommitData(), 0);
    }
    OpenWindow();
    ASSERT_EQ(GetMenuItemCount(window->LauncherMenuHandle()), 3);
    ChangeStoreWithoutRebuilding();
    RunCommand(ID_TOOLS_OPTIONS, [](HWND dialog) {
        Click(dialog, IDC_OPT_REMOVE_BROKEN);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(CommittedNames(window->Store()), (std::vector<std::string>{"Present", "Gone group"}));
    EXPECT_EQ(GetMenuItemCount(window->LauncherMenuHandle()), 2);
    EXPECT_TRUE(TreeShowsHiddenGroup()) << "the views were rebuilt";
    EXPECT_FALSE(MenuHasCommand(window->SystemMenuHandle(), ID_TRAY_MY_COMPUTER))
        << "the system menu waits for OK";
}

} // namespace
