// The editing commands of the settings window: their effect on the working
// table and on the row selected afterwards, run from the buttons, the menu
// items and the shortcuts, with the item editor filled from inside its run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/DialogDriving.h"
#include "support/EditingTestSupport.h"
#include "ui/Application.h"

namespace {

using Names = std::vector<std::string>;

// Fills the item editor and presses OK; checks the mode it opened in.
DialogScript::Step FillEditor(const std::string& name, int kind, const std::string& path,
                              const char* caption = "追加") {
    return [=](HWND editor) {
        EXPECT_EQ(WindowCaption(editor), caption);
        SetDlgItemTextA(editor, IDC_EDITOR_NAME, name.c_str());
        if (std::string(caption) == "追加")
            ChooseListEntry(editor, IDC_EDITOR_KIND, kind);
        SetDlgItemTextA(editor, kind == KIND_URL ? IDC_EDITOR_URL : IDC_EDITOR_PATH, path.c_str());
        PressButton(editor, IDOK);
    };
}

DialogScript::Step Cancel() {
    return [](HWND dialog) { PressButton(dialog, IDCANCEL); };
}

class EditCommandsTest : public EditingTest {
protected:
    // Three files at the top level and a group with a subtree.
    SettingsWindow& OpenFlat() {
        return OpenShown({
            {"f0", KIND_FILE, kParentTopLevel, "C:\\f0.txt"},
            {"f1", KIND_FILE, kParentTopLevel, "C:\\f1.txt"},
            {"f2", KIND_FILE, kParentTopLevel, "C:\\f2.txt"},
            {"G", KIND_GROUP, kParentTopLevel}, // 3
            {"g-file", KIND_FILE, 3, "C:\\g.txt"},
            {"GG", KIND_GROUP, 3}, // 5
            {"gg-url", KIND_URL, 5, "http://gg/"},
        });
    }
    std::vector<std::string> ListNames() const {
        std::vector<std::string> names;
        for (int row = 0; row < List().Count(); ++row)
            names.push_back(List().ItemText(row, 0));
        return names;
    }
    bool RowSelectedAndFocused(int row) const {
        UINT both = LVIS_SELECTED | LVIS_FOCUSED;
        return List().ItemState(row, both) == both;
    }
};

TEST_F(EditCommandsTest, AddAtTheRootAppendsATopLevelEntryAndSelectsIt) {
    OpenFlat();
    DialogScript script({FillEditor("新規", KIND_FILE, "C:\\new.txt")});
    Command(IDC_ADD);
    ASSERT_EQ(script.Seen(), 1);
    WorkingEntry* added = Entry("新規");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->parent, kParentTopLevel);
    EXPECT_EQ(added->id, 7);
    EXPECT_STREQ(added->path, "C:\\new.txt");
    EXPECT_EQ(ListNames(), (Names{"f0", "f1", "f2", "G", "新規"}));
    EXPECT_TRUE(RowSelectedAndFocused(4));
    EXPECT_TRUE(EditCommandsEnabled());
}

TEST_F(EditCommandsTest, TheRowSelectedAfterwardsIsScrolledIntoView) {
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i)
        names.push_back("file" + std::to_string(i));
    std::vector<EntryRow> entries;
    for (const std::string& name : names)
        entries.push_back({name.c_str(), KIND_FILE, kParentTopLevel, "C:\\f.txt"});
    OpenShown(entries);
    ASSERT_EQ(List().Send(LVM_GETTOPINDEX), 0);
    DialogScript script({FillEditor("最後", KIND_FILE, "C:\\last.txt")});
    Command(IDC_ADD);
    int last = List().Count() - 1;
    ASSERT_EQ(List().ItemText(last, 0), "最後");
    int top = static_cast<int>(List().Send(LVM_GETTOPINDEX));
    int perPage = static_cast<int>(List().Send(LVM_GETCOUNTPERPAGE));
    EXPECT_GT(top, 0);
    EXPECT_LT(last, top + perPage);

    // Up from there keeps the moved row in view as well.
    Command(IDC_UP);
    EXPECT_EQ(SelectedRow(), last - 1);
    top = static_cast<int>(List().Send(LVM_GETTOPINDEX));
    EXPECT_GE(last - 1, top);
    EXPECT_LT(last - 1, top + perPage);
}

TEST_F(EditCommandsTest, AddWithAGroupSelectedPutsTheEntryIntoIt) {
    OpenFlat();
    SelectGroup("G");
    DialogScript script({FillEditor("サイト", KIND_URL, "example.org/")});
    Command(ID_TOOLS_ADD);
    ASSERT_NE(Entry("サイト"), nullptr);
    EXPECT_EQ(Entry("サイト")->parent, Entry("G")->id);
    EXPECT_STREQ(Entry("サイト")->path, "http://example.org/");
    EXPECT_EQ(SelectedGroup(), "G");
    EXPECT_EQ(ListNames(), (Names{"g-file", "GG", "サイト"}));
    EXPECT_EQ(SelectedRow(), 2);
}

TEST_F(EditCommandsTest, AddCancelledChangesNothing) {
    OpenFlat();
    Names before = TableOrder();
    DialogScript script({Cancel()});
    Command(IDC_ADD);
    EXPECT_EQ(script.Seen(), 1);
    EXPECT_EQ(TableOrder(), before);
    EXPECT_EQ(SelectedRow(), -1);
}

TEST_F(EditCommandsTest, AddToAFullTableIsRefusedAfterTheEditorWasFilled) {
    OpenShown({});
    for (int i = 0; i < kMaxEntries; ++i)
        ASSERT_EQ(Store().InsertData(MakeEntry({"e", KIND_FILE, kParentTopLevel, "C:\\e"}), -1), 1);
    window->RebuildTree();
    SelectRow(3);
    SeenMessage refusal;
    DialogScript script({FillEditor("一つ多い", KIND_FILE, "C:\\x.txt"),
                         [&refusal](HWND box) { refusal = AnswerMessageBox(box); }});
    Command(IDC_ADD);
    EXPECT_EQ(script.Seen(), 2);
    EXPECT_EQ(refusal.text, "これ以上追加することはできません。");
    EXPECT_TRUE(refusal.exclamation);
    EXPECT_EQ(Store().GetDataNum(), kMaxEntries);
    EXPECT_EQ(Entry("一つ多い"), nullptr);
    // The views were not rebuilt: the selected row is still there.
    EXPECT_EQ(List().Count(), kMaxEntries);
    EXPECT_EQ(SelectedRow(), 3);
    EXPECT_TRUE(EditCommandsEnabled());
}

// A full launcher: a deleted entry makes room for a new one before Apply,
// and Apply gives the data file and the launcher menu the new entry. (Most
// entries wait in a group, so the list stays short.)
TEST_F(EditCommandsTest, AfterADeleteAFullLauncherTakesANewEntry) {
    std::vector<std::string> names;
    for (int i = 1; i < kMaxEntries - 1; ++i)
        names.push_back("e" + std::to_string(i));
    std::vector<EntryRow> entries{{"H", KIND_GROUP, kParentTopLevel}};
    for (const std::string& name : names)
        entries.push_back({name.c_str(), KIND_URL, 0, "http://e/"});
    entries.push_back({"last", KIND_FILE, kParentTopLevel, "C:\\last.txt"});
    ASSERT_EQ(entries.size(), static_cast<size_t>(kMaxEntries));
    SettingsWindow& w = OpenShown(entries);
    ASSERT_EQ(ListNames(), (Names{"H", "last"}));
    SelectRow(1);
    Command(IDC_DELETE, BN_CLICKED, GetDlgItem(Handle(), IDC_DELETE));
    ASSERT_EQ(ListNames(), Names{"H"});

    DialogScript script({FillEditor("新規", KIND_FILE, "C:\\new.txt")});
    Command(IDC_ADD, BN_CLICKED, GetDlgItem(Handle(), IDC_ADD));
    EXPECT_EQ(script.Seen(), 1) << "the table-full message appeared";
    EXPECT_EQ(ListNames(), (Names{"H", "新規"}));
    EXPECT_EQ(SelectedRow(), 1);

    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    ItemStore reader;
    reader.SetDirectory(folder.Path());
    ASSERT_EQ(reader.LoadData(), 1);
    ASSERT_EQ(reader.GetCommittedNum(), kMaxEntries);
    EXPECT_STREQ(reader.GetCommittedData(kMaxEntries - 1)->name, "新規");
    // The new entry's launcher command opens the new entry.
    ASSERT_EQ(GetMenuItemCount(w.LauncherMenuHandle()), 2);
    Command(LaunchCommandBase + static_cast<UINT>(Entry("新規")->id));
    ASSERT_EQ(shell.Of("ShellExecuteEx").size(), 1u);
    EXPECT_EQ(shell.Of("ShellExecuteEx")[0].file, "C:\\new.txt");
}

TEST_F(EditCommandsTest, AddOfAGroupWithOpt4SelectsTheLastRowOrNone) {
    OpenShown({{"X", KIND_GROUP, kParentTopLevel},
               {"x-file", KIND_FILE, 0, "C:\\x.txt"},
               {"Empty", KIND_GROUP, kParentTopLevel}},
              1);
    SelectGroup("X");
    {
        DialogScript script({FillEditor("sub", KIND_GROUP, "")});
        Command(IDC_ADD);
    }
    EXPECT_EQ(Entry("sub")->parent, Entry("X")->id);
    EXPECT_EQ(ListNames(), Names{"x-file"});
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_NE(FindItem("sub"), nullptr);

    SelectGroup("Empty");
    {
        DialogScript script({FillEditor("sub2", KIND_GROUP, "")});
        Command(IDC_ADD);
    }
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_NE(FindItem("sub2"), nullptr);
}

TEST_F(EditCommandsTest, AddOfAFileWithOpt4SelectsTheLastUrlNotTheNewFile) {
    OpenShown({{"X", KIND_GROUP, kParentTopLevel},
               {"x-file", KIND_FILE, 0, "C:\\x.txt"},
               {"x-url", KIND_URL, 0, "http://x/"}},
              1);
    SelectGroup("X");
    DialogScript script({FillEditor("new-file", KIND_FILE, "C:\\n.txt")});
    Command(IDC_ADD);
    EXPECT_EQ(ListNames(), (Names{"x-file", "new-file", "x-url"}));
    EXPECT_EQ(SelectedRow(), 2);
}

TEST_F(EditCommandsTest, EditWithoutASelectedRowAsksForOne) {
    OpenFlat();
    SeenMessage seen;
    DialogScript script({[&seen](HWND box) { seen = AnswerMessageBox(box); }});
    Command(IDC_EDIT);
    ASSERT_EQ(script.Seen(), 1);
    EXPECT_EQ(seen.text, "リストから選択してください");
    EXPECT_EQ(seen.caption, Application::Instance().Name());
}

TEST_F(EditCommandsTest, EditReplacesTheEntryInPlace) {
    OpenFlat();
    SelectRow(1);
    int32_t id = Entry("f1")->id;
    DialogScript script({[](HWND editor) {
        EXPECT_EQ(DialogItemText(editor, IDC_EDITOR_NAME), "f1");
        EXPECT_EQ(DialogItemText(editor, IDC_EDITOR_PATH), "C:\\f1.txt");
        FillEditor("改名", KIND_FILE, "C:\\f1.txt", "編集")(editor);
    }});
    Command(ID_TOOLS_EDIT);
    ASSERT_EQ(IndexOf("改名"), 1);
    EXPECT_EQ(Entry("改名")->id, id);
    EXPECT_EQ(Entry("改名")->parent, kParentTopLevel);
    EXPECT_EQ(ListNames(), (Names{"f0", "改名", "f2", "G"}));
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_FALSE(EditCommandsEnabled());
}

TEST_F(EditCommandsTest, EditOfAGroupKeepsItAGroupWithItsEntries) {
    OpenFlat();
    SelectRow(3);
    DialogScript script({[](HWND editor) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_KIND)));
        FillEditor("グループ", KIND_GROUP, "", "編集")(editor);
    }});
    Command(IDC_EDIT);
    ASSERT_NE(Entry("グループ"), nullptr);
    EXPECT_EQ(Entry("グループ")->kind, KIND_GROUP);
    EXPECT_EQ(Entry("g-file")->parent, Entry("グループ")->id);
    EXPECT_EQ(Outline(), "ルート+(グループ-(GG))");
}

TEST_F(EditCommandsTest, EditCancelledChangesNothing) {
    OpenFlat();
    SelectRow(0);
    DialogScript script({[](HWND editor) {
        SetDlgItemTextA(editor, IDC_EDITOR_NAME, "捨てる");
        PressButton(editor, IDCANCEL);
    }});
    Command(IDC_EDIT);
    EXPECT_EQ(script.Seen(), 1);
    EXPECT_EQ(Entry("捨てる"), nullptr);
    EXPECT_STREQ(Store().GetData(0)->name, "f0");
}

TEST_F(EditCommandsTest, DeleteRemovesTheSelectedEntry) {
    OpenFlat();
    SelectRow(1);
    Command(IDC_DELETE);
    EXPECT_EQ(IndexOf("f1"), -1);
    EXPECT_EQ(ListNames(), (Names{"f0", "f2", "G"}));
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_FALSE(EditCommandsEnabled());
}

TEST_F(EditCommandsTest, DeleteOfAGroupTakesItsSubtreeAndCancelBringsItBack) {
    OpenFlat();
    Names before = TableOrder();
    SelectRow(3);
    Command(ID_TOOLS_DELETE);
    EXPECT_EQ(TableOrder(), (Names{"f0", "f1", "f2"}));
    EXPECT_EQ(Outline(), kRoot);
    Command(IDCANCEL);
    window->Show(SW_SHOW);
    EXPECT_EQ(TableOrder(), before);
    EXPECT_EQ(Outline(), "ルート+(G-(GG))");
}

TEST_F(EditCommandsTest, CommandsWithoutASelectedRowDoNothingAndSayNothing) {
    OpenFlat();
    // Enabled through a focused row, but no row is selected.
    List().SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_TRUE(EditCommandsEnabled());
    Names before = TableOrder();
    DialogScript script({});
    for (UINT id : {IDC_DELETE, IDC_UP, IDC_DOWN})
        Command(id);
    PumpMessages();
    EXPECT_EQ(script.Seen(), 0);
    EXPECT_EQ(TableOrder(), before);
}

struct MoveCase {
    const char* label;
    UINT command;
    int row;
    Names order; // the working table afterwards
    int selected;
};

void PrintTo(const MoveCase& c, std::ostream* out) {
    *out << c.label;
}

class EditCommandsMoveTest : public EditCommandsTest,
                             public testing::WithParamInterface<MoveCase> {};

TEST_P(EditCommandsMoveTest, MovesAmongSiblingsAndSelectsTheNeighbourRow) {
    const MoveCase& c = GetParam();
    OpenFlat();
    SelectRow(c.row);
    Command(c.command);
    EXPECT_EQ(TableOrder(), c.order);
    EXPECT_EQ(SelectedRow(), c.selected);
    if (c.selected >= 0) {
        EXPECT_TRUE(RowSelectedAndFocused(c.selected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moves, EditCommandsMoveTest,
    testing::Values(
        MoveCase{
            "UpFromTheMiddle", IDC_UP, 1, {"f1", "f0", "f2", "G", "g-file", "GG", "gg-url"}, 0},
        MoveCase{
            "UpOnTheFirstRow", IDC_UP, 0, {"f0", "f1", "f2", "G", "g-file", "GG", "gg-url"}, 0},
        MoveCase{"DownFromTheMiddle",
                 ID_TOOLS_DOWN,
                 1,
                 {"f0", "f2", "f1", "G", "g-file", "GG", "gg-url"},
                 2},
        MoveCase{
            "DownOnTheLastRow", IDC_DOWN, 3, {"f0", "f1", "f2", "G", "g-file", "GG", "gg-url"}, 3},
        // A group moves with its whole subtree.
        MoveCase{"GroupUp", ID_TOOLS_UP, 3, {"f0", "f1", "G", "g-file", "GG", "gg-url", "f2"}, 2}),
    [](const testing::TestParamInfo<MoveCase>& info) { return info.param.label; });

TEST_F(EditCommandsTest, WithOpt4FilesStayAheadOfUrlsAndOnlyTheSelectionMoves) {
    OpenShown({{"X", KIND_GROUP, kParentTopLevel},
               {"F1", KIND_FILE, 0, "C:\\1"},
               {"F2", KIND_FILE, 0, "C:\\2"},
               {"U1", KIND_URL, 0, "http://u1/"}},
              1);
    SelectGroup("X");
    Names order = TableOrder();
    SelectRow(2);
    Command(IDC_UP);
    EXPECT_EQ(TableOrder(), order);
    EXPECT_EQ(SelectedRow(), 1);
    Command(IDC_DOWN);
    EXPECT_EQ(TableOrder(), order);
    EXPECT_EQ(SelectedRow(), 2);
}

// Each command runs the same from its button, its menu item and its shortcut.
struct RouteCase {
    const char* label;
    UINT button;
    UINT menuItem;
    UINT key;
    int editors;     // item editors opened (and cancelled)
    Names listAfter; // the list afterwards
};

void PrintTo(const RouteCase& c, std::ostream* out) {
    *out << c.label;
}

enum class Route { Button, MenuItem, Shortcut };

class EditCommandsRouteTest : public EditCommandsTest,
                              public testing::WithParamInterface<std::tuple<RouteCase, Route>> {
protected:
    void Run() {
        const RouteCase& c = std::get<0>(GetParam());
        switch (std::get<1>(GetParam())) {
        case Route::Button:
            Command(c.button, BN_CLICKED, GetDlgItem(Handle(), c.button));
            break;
        case Route::MenuItem:
            Command(c.menuItem);
            break;
        case Route::Shortcut:
            EXPECT_TRUE(CtrlKeyThroughAccelerators(c.key));
            break;
        }
    }
};

TEST_P(EditCommandsRouteTest, RunsTheCommand) {
    const RouteCase& c = std::get<0>(GetParam());
    OpenFlat();
    SelectRow(1);
    DialogScript script({Cancel()});
    Run();
    EXPECT_EQ(script.Seen(), c.editors);
    EXPECT_EQ(ListNames(), c.listAfter);
}

const Names kUnchanged{"f0", "f1", "f2", "G"};

std::string RouteName(const testing::TestParamInfo<std::tuple<RouteCase, Route>>& info) {
    static const char* routes[] = {"Button", "MenuItem", "Shortcut"};
    return std::string(std::get<0>(info.param).label) +
           routes[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EditCommandsRouteTest,
    testing::Combine(
        testing::Values(RouteCase{"Add", IDC_ADD, ID_TOOLS_ADD, 'I', 1, kUnchanged},
                        RouteCase{"Edit", IDC_EDIT, ID_TOOLS_EDIT, 'E', 1, kUnchanged},
                        RouteCase{"Delete", IDC_DELETE, ID_TOOLS_DELETE, 'D', 0, {"f0", "f2", "G"}},
                        RouteCase{"Up", IDC_UP, ID_TOOLS_UP, VK_UP, 0, {"f1", "f0", "f2", "G"}},
                        RouteCase{
                            "Down", IDC_DOWN, ID_TOOLS_DOWN, VK_DOWN, 0, {"f0", "f2", "f1", "G"}}),
        testing::Values(Route::Button, Route::MenuItem, Route::Shortcut)),
    RouteName);

} // namespace
