// Files and folders dropped onto the settings window: real paths on disk
// (with 表, ソ and 能, whose second byte is 0x5C), Internet shortcuts and
// shortcuts made by the shell, delivered as the shell's drop block; the
// outcome read from the list, the tree and, after Apply, the data file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DropSupport.h"
#include "support/DialogDriving.h"
#include "support/EditingTestSupport.h"
#include "support/RemovableDrive.h"
#include "tray/LauncherMenu.h"
#include "ui/Application.h"
#include "ui/SystemCalls.h"

namespace {

using Texts = std::vector<std::string>;

class SettingsDropTest : public EditingTest {
protected:
    void SetUp() override {
        files = folder.Path() + "\\表計算";
        CreateDirectoryA(files.c_str(), nullptr);
    }

    // Two groups at the top level, one file in the first.
    SettingsWindow& OpenWithGroups() {
        return OpenShown({
            {"G", KIND_GROUP, kParentTopLevel},
            {"g-file", KIND_FILE, 0, "C:\\g.txt"},
            {"H", KIND_GROUP, kParentTopLevel},
            {"top", KIND_FILE, kParentTopLevel, "C:\\top.txt"},
        });
    }

    std::string File(const std::string& name, const std::string& text = "x") {
        std::string path = files + "\\" + name;
        WriteFileText(path, text);
        return path;
    }
    std::string Folder(const std::string& name) {
        std::string path = files + "\\" + name;
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }

    // A drop that must pass without any message: a message box that shows
    // up is answered and counted, so the test fails instead of waiting.
    void Drop(const std::vector<std::string>& paths, POINT point) {
        DialogScript unexpected({});
        DropOnto(Handle(), paths, point);
        EXPECT_EQ(unexpected.Seen(), 0);
    }

    // The point in the settings window's client area over the tree item.
    POINT OverTreeItem(const std::string& name) {
        HTREEITEM item = FindItem(name);
        EXPECT_NE(item, nullptr) << name;
        RECT rect{};
        Tree().ItemRect(item, &rect, true);
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        MapWindowPoints(Tree().Handle(), Handle(), &point, 1);
        return point;
    }
    // A point of the settings window's client area outside the tree.
    POINT OverList() {
        RECT rect{};
        GetWindowRect(List().Handle(), &rect);
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ScreenToClient(Handle(), &point);
        return point;
    }

    // The data file as the next start reads it: "name|kind|parent name|path".
    Texts DataFileEntries() {
        ItemStore reader;
        reader.SetDirectory(folder.Path());
        reader.LoadData();
        Texts entries;
        for (int i = 0; i < reader.GetCommittedNum(); ++i) {
            const LaunchEntry* entry = reader.GetCommittedData(i);
            std::string parent = "-";
            for (int j = 0; j < reader.GetCommittedNum(); ++j)
                if (reader.GetCommittedData(j)->id == entry->parent)
                    parent = reader.GetCommittedData(j)->name;
            entries.push_back(std::string(entry->name) + "|" + std::to_string(entry->kind) + "|" +
                              parent + "|" + entry->path);
        }
        return entries;
    }

    std::string files;
};

TEST_F(SettingsDropTest, FilesFoldersAndShortcutsBecomeEntriesOfTheSelectedGroup) {
    std::string document = File("ソフト能力.txt");
    std::string folderWithDot = Folder("表.v2");
    std::string site = files + "\\サイト.url";
    WriteInternetShortcut(site, "https://example.org/a?b=1");
    std::string link = files + "\\メモ帳.lnk";
    ASSERT_TRUE(WriteShortcut(link, document));
    OpenWithGroups();
    SelectGroup("G");
    Texts before = DataFileEntries();

    Drop({document, folderWithDot, site, link}, OverList());

    EXPECT_EQ(SelectedGroup(), "G");
    EXPECT_EQ(Rows(), (Texts{"g-file|C:\\g.txt", "ソフト能力|" + document, "表.v2|" + folderWithDot,
                             "サイト|https://example.org/a?b=1", "メモ帳|" + link}));
    EXPECT_EQ(SelectedRow(), 4);
    EXPECT_TRUE(EditCommandsEnabled());
    for (const char* name : {"サイト", "メモ帳", "表.v2"})
        ASSERT_NE(Entry(name), nullptr) << name;
    EXPECT_EQ(Entry("サイト")->kind, KIND_URL);
    EXPECT_EQ(Entry("メモ帳")->kind, KIND_FILE);
    EXPECT_EQ(Entry("表.v2")->kind, KIND_FILE);
    // Not committed until Apply.
    EXPECT_EQ(DataFileEntries(), before);

    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    EXPECT_EQ(DataFileEntries(),
              (Texts{"G|1|-|", "g-file|0|G|C:\\g.txt", "ソフト能力|0|G|" + document,
                     "表.v2|0|G|" + folderWithDot, "サイト|2|G|https://example.org/a?b=1",
                     "メモ帳|0|G|" + link, "H|1|-|", "top|0|-|C:\\top.txt"}));
}

TEST_F(SettingsDropTest, ADropOnTheTreeGoesToTheGroupUnderThePointer) {
    std::string one = File("一.txt");
    std::string two = File("二.txt");
    std::string three = File("三.txt");
    OpenWithGroups();
    SelectGroup("G");

    Drop({one}, OverTreeItem("H"));
    ASSERT_NE(Entry("一"), nullptr);
    EXPECT_EQ(Entry("一")->parent, Entry("H")->id);
    EXPECT_EQ(SelectedGroup(), "H");
    EXPECT_EQ(Rows(), Texts{"一|" + one});
    EXPECT_EQ(SelectedRow(), 0);

    // The root stands for the top level.
    Drop({two}, OverTreeItem(kRoot));
    ASSERT_NE(Entry("二"), nullptr);
    EXPECT_EQ(Entry("二")->parent, kParentTopLevel);
    EXPECT_EQ(SelectedGroup(), kRoot);
    EXPECT_EQ(Rows(), (Texts{"G|Group", "H|Group", "top|C:\\top.txt", "二|" + two}));
    EXPECT_EQ(SelectedRow(), 3);

    // Empty space below the items: the selected group, as elsewhere.
    SelectGroup("G");
    RECT tree{};
    GetClientRect(Tree().Handle(), &tree);
    POINT below{tree.right / 2, tree.bottom - 2};
    MapWindowPoints(Tree().Handle(), Handle(), &below, 1);
    Drop({three}, below);
    ASSERT_NE(Entry("三"), nullptr);
    EXPECT_EQ(Entry("三")->parent, Entry("G")->id);
    EXPECT_EQ(SelectedGroup(), "G");
    EXPECT_EQ(SelectedRow(), 1);
}

// With files listed first, the last row need not be the last entry added:
// the row of the added entry is selected.
TEST_F(SettingsDropTest, TheRowOfTheLastAddedEntryIsSelectedWithFilesFirst) {
    std::string site = files + "\\site.url";
    WriteInternetShortcut(site, "http://example.org/");
    std::string document = File("doc.txt");
    OpenShown({{"u", KIND_URL, kParentTopLevel, "http://u/"}}, 1);

    Drop({site, document}, OverList());
    EXPECT_EQ(Rows(), (Texts{"doc|" + document, "u|http://u/", "site|http://example.org/"}));
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(SettingsDropTest, AFullTableIsToldOnceAndKeepsWhatWasAdded) {
    std::vector<std::string> paths;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        paths.push_back(File(name));
    std::vector<EntryRow> entries{{"H", KIND_GROUP, kParentTopLevel}};
    for (int i = 1; i < kMaxEntries - 2; ++i)
        entries.push_back({"e", KIND_URL, 0, "http://e/"});
    OpenShown(entries);
    ASSERT_EQ(Store().GetDataNum(), kMaxEntries - 2);

    std::vector<SeenMessage> seen;
    {
        DialogScript script({[&seen](HWND box) { seen.push_back(AnswerMessageBox(box)); }});
        DropOnto(Handle(), paths, OverList());
        EXPECT_EQ(script.Seen(), 1);
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "これ以上追加することはできません。");
    EXPECT_TRUE(seen[0].exclamation);
    EXPECT_EQ(Store().GetDataNum(), kMaxEntries);
    EXPECT_EQ(Rows(), (Texts{"H|Group", "a|" + paths[0], "b|" + paths[1]}));
    EXPECT_EQ(SelectedRow(), 2);
}

TEST_F(SettingsDropTest, PathsTooLongForAnEntryAreNamedAndTheOthersAdded) {
    std::string document = File("能.txt");
    std::string longPath = files + "\\" + std::string(260, 'x') + ".txt";
    std::string longAddress = files + "\\long.url";
    WriteInternetShortcut(longAddress, "http://example.org/" + std::string(250, 'y'));
    OpenWithGroups();

    std::vector<SeenMessage> seen;
    {
        DialogScript script({[&seen](HWND box) { seen.push_back(AnswerMessageBox(box)); }});
        DropOnto(Handle(), {longPath, document, longAddress}, OverList());
        EXPECT_EQ(script.Seen(), 1);
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].exclamation);
    EXPECT_NE(Unwrapped(seen[0].text).find(longPath), std::string::npos) << seen[0].text;
    EXPECT_NE(Unwrapped(seen[0].text).find(longAddress), std::string::npos) << seen[0].text;
    // A path wider than the screen would push the box's ends off it.
    size_t start = 0;
    for (size_t end; (end = seen[0].text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 64u) << seen[0].text.substr(start, end - start);
    EXPECT_LE(seen[0].text.size() - start, 64u);
    EXPECT_EQ(seen[0].caption, Application::Instance().Name());
    EXPECT_EQ(Rows(), (Texts{"G|Group", "H|Group", "top|C:\\top.txt", "能|" + document}));
    EXPECT_EQ(SelectedRow(), 3);
}

// A launcher on a removable drive stores a dropped path on that drive
// without its letter, so that it still leads there when the drive comes
// back under another one: the list shows the stored form, Apply writes it,
// and choosing the entry opens the file. (The tests' prefix has no
// removable drive: the program is told that C: is one.)
TEST_F(SettingsDropTest, OnARemovableDriveDroppedPathsLoseTheirDriveLetter) {
    std::string document = File("能.txt");
    TempFolder other;
    std::string outside = other.Path() + "\\memo.txt";
    WriteFileText(outside, "x");
    RemovableDrive removable(folder.Path());
    OpenWithGroups();
    SelectGroup("H");

    Drop({document, outside}, OverList());
    EXPECT_EQ(Rows(), (Texts{"能|表計算\\能.txt", "memo|" + outside.substr(2)}));
    Command(IDC_APPLY, BN_CLICKED, GetDlgItem(Handle(), IDC_APPLY));
    Texts stored = DataFileEntries();
    EXPECT_NE(std::find(stored.begin(), stored.end(), "能|0|H|表計算\\能.txt"), stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), "memo|0|H|" + outside.substr(2)),
              stored.end());

    ASSERT_NE(Entry("能"), nullptr);
    shell.calls.clear();
    Command(LaunchCommandBase + static_cast<UINT>(Entry("能")->id));
    std::vector<ShellCall> calls = shell.Of("ShellExecuteEx");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, document);
}

// What a path becomes: its name and kind, Shift-JIS cut at a character.
TEST_F(SettingsDropTest, NamesAndKindsOfDroppedPaths) {
    std::string noAddress = files + "\\空.url";
    WriteInternetShortcut(noAddress, "");
    std::string upper = files + "\\UPPER.URL";
    WriteInternetShortcut(upper, "HTTP://Example.org/X");
    std::string ftp = files + "\\ftp.url";
    WriteInternetShortcut(ftp, "ftp://example.org/pub/");
    // 40 double-byte characters: 80 bytes, cut to 31 characters (62 bytes).
    std::string longName;
    for (int i = 0; i < 40; ++i)
        longName += "表";
    std::string longFile = File(longName + ".txt");
    std::string folderUrl = Folder("dir.url");
    std::string plain = File("README");
    OpenWithGroups();
    SelectGroup("H");

    Drop({noAddress, upper, ftp, longFile, folderUrl, plain, "C:\\"}, OverList());
    EXPECT_EQ(Rows(), (Texts{"空|" + noAddress, "UPPER|http://Example.org/X",
                             "ftp|ftp://example.org/pub/", longName.substr(0, 62) + "|" + longFile,
                             "dir.url|" + folderUrl, "README|" + plain, "C:\\|C:\\"}));
    for (const char* name : {"空", "UPPER", "dir.url"})
        ASSERT_NE(Entry(name), nullptr) << name;
    EXPECT_EQ(Entry("空")->kind, KIND_FILE);
    EXPECT_EQ(Entry("UPPER")->kind, KIND_URL);
    EXPECT_EQ(Entry("dir.url")->kind, KIND_FILE);
}

// A launcher started elevated still takes drops from the user's Explorer:
// the window accepts files and lets the drop's messages through the filter.
struct FilterCall {
    HWND window;
    UINT message;
    DWORD action;
};
std::vector<FilterCall> filterCalls;
bool filterPresent = true;

BOOL WINAPI RecordFilterChange(HWND window, UINT message, DWORD action, void*) {
    filterCalls.push_back({window, message, action});
    return TRUE;
}

FARPROC WINAPI ProcAddressWithFilter(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<UINT_PTR>(name)) &&
        std::string(name) == "ChangeWindowMessageFilterEx")
        return filterPresent
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordFilterChange))
                   : nullptr;
    return GetProcAddress(module, name);
}

class DropFilterTest : public SettingsDropTest {
protected:
    void SetUp() override {
        SettingsDropTest::SetUp();
        filterCalls.clear();
        filterPresent = true;
        System().getProcAddress = ProcAddressWithFilter;
    }
    void TearDown() override {
        SettingsDropTest::TearDown();
        System().getProcAddress = GetProcAddress;
    }
    static std::vector<UINT> AllowedFor(HWND window) {
        std::vector<UINT> messages;
        for (const FilterCall& call : filterCalls)
            if (call.window == window && call.action == 1) // MSGFLT_ALLOW
                messages.push_back(call.message);
        return messages;
    }
};

TEST_F(DropFilterTest, TheWindowAcceptsDropsFromLowerIntegrityPrograms) {
    OpenWithGroups();
    EXPECT_TRUE(GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(AllowedFor(Handle()), (std::vector<UINT>{WM_DROPFILES, WM_COPYDATA, 0x0049}));
}

TEST_F(DropFilterTest, WithoutTheFilterFunctionDropsStillArrive) {
    filterPresent = false;
    std::string document = File("doc.txt");
    OpenWithGroups();
    EXPECT_TRUE(GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    Drop({document}, OverList());
    EXPECT_NE(Entry("doc"), nullptr);
}

} // namespace
