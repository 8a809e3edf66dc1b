// The removal of entries whose files are gone: which entries count as
// broken, both tables, the data file, and the confirmation around it.
#include <gtest/gtest.h>

#include <fstream>

#include "OptionsTestSupport.h"
#include "dialogs/BrokenEntries.h"
#include "platform/Platform.h"
#include "resource.h"
#include "ui/Application.h"

namespace {

constexpr const char* kModule = "C:\\Program Files\\Brindleway\\Brindleway.exe";

class BrokenEntriesTest : public OptionsTestBase {
protected:
    void SetUp() override {
        OptionsTestBase::SetUp();
        dialog.SetModulePath(kModule);
        existingFile = folder.File("present.exe");
        std::ofstream(existingFile) << "MZ";
        existingFolder = folder.File("folder");
        CreateDirectoryA(existingFolder.c_str(), nullptr);
    }

    void Add(const char* name, const std::string& path, int kind, int parent = -1) {
        ASSERT_EQ(store.InsertData(MakeEntry(name, path.c_str(), kind, parent), -1), 1);
    }

    // Both tables and the data file hold the same entries.
    void AddAndCommit(const std::function<void()>& add) {
        add();
        ASSERT_NE(store.CommitData(), 0);
    }

    // The entries the data file holds now.
    std::vector<std::string> NamesInDataFile() {
        ItemStore reader;
        reader.SetDirectory(folder.Path());
        reader.LoadData();
        return CommittedNames(reader);
    }

    bool DataFileExists() const {
        return GetFileAttributesA(folder.File("Brindleway.bwz").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Presses the removal button, answers the prompt with `answer`, then
    // ends the dialog with `end`.
    OptionsRun RemoveAndEnd(int answer, int end) {
        return RunOptions(
            dialog, store,
            [&](HWND window) {
                Click(window, IDC_OPT_REMOVE_BROKEN);
                Click(window, end);
            },
            answer);
    }

    OptionsDialog dialog;
    std::string existingFile;
    std::string existingFolder;
};

TEST_F(BrokenEntriesTest, OnlyFileEntriesWithNothingAtTheirPathAreBroken) {
    struct Case {
        const char* name;
        std::string path;
        int kind;
        bool kept;
    };
    const Case cases[] = {
        {"empty file path", "", KIND_FILE, false},
        {"empty URL", "", KIND_URL, true},
        {"URL", "http://example.invalid/", KIND_URL, true},
        {"group", "", KIND_GROUP, true},
        {"group with a missing path", "C:\\no such folder", KIND_GROUP, true},
        {"existing file", existingFile, KIND_FILE, true},
        {"missing file", folder.File("gone.exe"), KIND_FILE, false},
        {"folder", existingFolder, KIND_FILE, true},
        {"folder with trailing backslash", existingFolder + "\\", KIND_FILE, true},
        {"drive root", "C:\\", KIND_FILE, true},
        {"missing folder with trailing backslash", folder.File("gone") + "\\", KIND_FILE, false},
        // Kept as it always was: the search that decided before finds a file.
        {"wildcard matching a file", folder.File("pres*.exe"), KIND_FILE, true},
        {"wildcard matching nothing", folder.File("gone*.exe"), KIND_FILE, false},
    };
    std::vector<std::string> kept;
    AddAndCommit([&] {
        for (const Case& c : cases) {
            Add(c.name, c.path, c.kind);
            if (c.kept)
                kept.push_back(c.name);
        }
    });
    RemovedCounts removed = RemoveBrokenEntries(store);
    EXPECT_EQ(WorkingNames(store), kept);
    EXPECT_EQ(CommittedNames(store), kept);
    int expectedRemoved = static_cast<int>(std::size(cases) - kept.size());
    EXPECT_EQ(removed.working, expectedRemoved);
    EXPECT_EQ(removed.committed, expectedRemoved);
}

// Paths that hold environment variables or are relative to the program's
// folder are checked where they lead, as a launch would open them.
TEST_F(BrokenEntriesTest, PortablePathsAreCheckedWhereTheyLead) {
    store.SetDirectory(folder.Path());
    SetEnvironmentVariableA("BW_TEST_PROGRAM", folder.Path().c_str());
    AddAndCommit([&] {
        Add("relative", "present.exe", KIND_FILE);
        Add("dot relative", ".\\folder", KIND_FILE);
        Add("variable", "%BW_TEST_PROGRAM%\\present.exe", KIND_FILE);
        Add("relative gone", "folder\\gone.exe", KIND_FILE);
        Add("variable gone", "%BW_TEST_PROGRAM%\\gone.exe", KIND_FILE);
        Add("unknown variable", "%BW_TEST_NO_SUCH_VARIABLE%\\present.exe", KIND_FILE);
        Add("quoted with arguments", "\"present.exe\" --flag x", KIND_FILE);
        Add("quoted gone", "\"gone.exe\" --flag x", KIND_FILE);
    });
    RemoveBrokenEntries(store);
    SetEnvironmentVariableA("BW_TEST_PROGRAM", nullptr);
    const std::vector<std::string> kept{"relative", "dot relative", "variable",
                                        "quoted with arguments"};
    EXPECT_EQ(WorkingNames(store), kept);
    EXPECT_EQ(CommittedNames(store), kept);
    EXPECT_STREQ(store.GetCommittedData(0)->path, "present.exe");
}

// A program registered under App Paths for this test and removed after it.
class RegisteredProgram {
public:
    RegisteredProgram(const char* name, const std::string& file)
        : key_(std::string(kAppPaths) + name) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr);
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                       static_cast<DWORD>(file.size() + 1));
        RegCloseKey(key);
    }
    ~RegisteredProgram() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }

private:
    static constexpr const char* kAppPaths =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    std::string key_;
};

// The launcher started by the Run key or from a shortcut runs in some other
// folder. A bare name is judged by the system's search, where a launch
// finds it (the search path, App Paths), not by that folder; an address or
// a shell path is the shell's and never broken. Wine has notepad and cmd in
// its system folder, but no calc.
TEST_F(BrokenEntriesTest, BareNamesAndAddressesAreJudgedAsTheLaunchFindsThem) {
    store.SetDirectory(folder.Path());
    TempFolder elsewhere;
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    SetCurrentDirectoryA(elsewhere.Path().c_str());
    RegisteredProgram registered("bwtestregistered.exe", existingFile);
    RegisteredProgram gone("bwtestgone.exe", folder.File("gone.exe"));
    struct Case {
        const char* name;
        const char* path;
        bool kept;
    } cases[] = {
        {"system program", "notepad.exe", true},
        {"system program without extension", "notepad", true},
        {"command interpreter", "cmd", true},
        {"quoted with arguments", "\"notepad.exe\" readme.txt", true},
        {"registered program", "bwtestregistered.exe", true},
        {"registered program without extension", "bwtestregistered", true},
        {"registered program whose file is gone", "bwtestgone.exe", false},
        {"beside the program", "present.exe", true},
        {"nowhere", "bwtestnosuchprogram.exe", false},
        {"web page", "https://example.org/x?a=1", true},
        {"file address", "file:///C:/nowhere/gone.txt", true},
        {"shell folder", "shell:Downloads", true},
        {"shell object", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", true},
        {"mail", "mailto:someone@example.org", true},
    };
    std::vector<std::string> kept;
    AddAndCommit([&] {
        for (const Case& c : cases) {
            Add(c.name, c.path, KIND_FILE);
            if (c.kept)
                kept.push_back(c.name);
        }
    });
    RemoveAndEnd(IDOK, IDOK);
    SetCurrentDirectoryA(before);
    EXPECT_EQ(WorkingNames(store), kept);
    EXPECT_EQ(CommittedNames(store), kept);
    EXPECT_EQ(NamesInDataFile(), kept);
}

// The tables may differ (uncommitted edits): each is cleaned on its own.
TEST_F(BrokenEntriesTest, EachTableIsCleanedOnItsOwn) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    Add("New and gone", folder.File("new.exe"), KIND_FILE); // working table only
    RemovedCounts removed = RemoveBrokenEntries(store);
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(CommittedNames(store), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(removed.working, 2);
    EXPECT_EQ(removed.committed, 1);
}

// Entries filed under a removed entry go with it, in both tables; entries
// after it move up and keep their order.
TEST_F(BrokenEntriesTest, EntriesUnderARemovedEntryGoWithIt) {
    AddAndCommit([&] {
        Add("Group", "", KIND_GROUP);                         // id 0
        Add("Broken", folder.File("gone.exe"), KIND_FILE, 0); // id 1
        Add("Under broken", existingFile, KIND_FILE, 0);      // id 2, moved below
        Add("Also broken", "", KIND_FILE, 0);                 // id 3
        Add("After", existingFile, KIND_FILE);                // id 4
        // A damaged table can file entries under a file entry; the tables
        // are not re-sorted here.
        store.GetData(2)->parent = 1;
    });
    ASSERT_EQ(store.GetCommittedData(2)->parent, 1);
    RemoveBrokenEntries(store);
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Group", "After"}));
    EXPECT_EQ(CommittedNames(store), (std::vector<std::string>{"Group", "After"}));
}

TEST_F(BrokenEntriesTest, ConfirmedRemovalWritesTheDataFileAtOnce) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    std::vector<std::string> namesWhileOpen;
    OptionsRun run = RunOptions(dialog, store, [&](HWND window) {
        Click(window, IDC_OPT_REMOVE_BROKEN);
        namesWhileOpen = NamesInDataFile();
        Click(window, IDOK);
    });
    EXPECT_EQ(namesWhileOpen, (std::vector<std::string>{"Kept"}));
    ASSERT_EQ(run.messages.size(), 1u);
    char prompt[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_CONFIRM_REMOVE_BROKEN, prompt, sizeof prompt);
    EXPECT_EQ(run.messages[0].text, prompt);
    EXPECT_EQ(run.messages[0].promptContext, 0x30000u + IDS_CONFIRM_REMOVE_BROKEN);
    EXPECT_TRUE(dialog.RemovedEntries());
}

// A drive root and a folder named with its trailing backslash open fine:
// the removal keeps them in both tables and in the data file.
TEST_F(BrokenEntriesTest, ADriveRootAndAFolderWithTrailingBackslashStay) {
    AddAndCommit([&] {
        Add("Drive", "C:\\", KIND_FILE);
        Add("Tools", existingFolder + "\\", KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    RemoveAndEnd(IDOK, IDOK);
    const std::vector<std::string> kept{"Drive", "Tools"};
    EXPECT_EQ(WorkingNames(store), kept);
    EXPECT_EQ(CommittedNames(store), kept);
    EXPECT_EQ(NamesInDataFile(), kept);
}

TEST_F(BrokenEntriesTest, TheDataFileIsWrittenEvenWhenNothingWasBroken) {
    Add("Kept", existingFile, KIND_FILE);
    store.CommitData();
    DeleteFileA(folder.File("Brindleway.bwz").c_str());
    RemoveAndEnd(IDOK, IDCANCEL);
    EXPECT_EQ(NamesInDataFile(), (std::vector<std::string>{"Kept"}));
    EXPECT_FALSE(dialog.RemovedEntries());
}

TEST_F(BrokenEntriesTest, CancelAfterwardsKeepsTheRemoval) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    OptionsRun run = RemoveAndEnd(IDOK, IDCANCEL);
    EXPECT_EQ(run.result, IDCANCEL);
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(CommittedNames(store), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(NamesInDataFile(), (std::vector<std::string>{"Kept"}));
    EXPECT_TRUE(dialog.RemovedEntries());
}

TEST_F(BrokenEntriesTest, ARefusedConfirmationChangesNothing) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    DeleteFileA(folder.File("Brindleway.bwz").c_str());
    OptionsRun run = RemoveAndEnd(IDCANCEL, IDOK);
    EXPECT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Kept", "Gone"}));
    EXPECT_EQ(CommittedNames(store), (std::vector<std::string>{"Kept", "Gone"}));
    EXPECT_FALSE(DataFileExists());
    EXPECT_FALSE(dialog.RemovedEntries());
}

// The confirmation box as the user sees it, read while it is open.
struct ConfirmationBox {
    std::string caption;
    std::vector<std::string> buttons;
    bool exclamation = false;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM param) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child)) {
        char text[64] = {};
        GetWindowTextA(child, text, sizeof text);
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(
            std::to_string(GetDlgCtrlID(child)) + " " + text);
    }
    return TRUE;
}

ConfirmationBox ReadConfirmationBox(HWND box) {
    ConfirmationBox seen;
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    seen.caption = caption;
    EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&seen.buttons));
    constexpr int kMessageBoxIconId = 0x0440;
    auto icon =
        reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIconId, STM_GETICON, 0, 0));
    seen.exclamation = icon && icon == LoadIconA(nullptr, IDI_EXCLAMATION);
    return seen;
}

TEST_F(BrokenEntriesTest, TheConfirmationOffersOkAndCancelAndItsCancelChangesNothing) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    DeleteFileA(folder.File("Brindleway.bwz").c_str());
    ConfirmationBox seen;
    int boxes = 0;
    ModalDriver driver([&](HWND window) {
        if (GetDlgItem(window, IDC_OPT_AUTOSTART)) {
            Click(window, IDC_OPT_REMOVE_BROKEN);
            Click(window, IDOK);
            return;
        }
        ++boxes;
        seen = ReadConfirmationBox(window);
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.Run(&store), IDOK);
    ASSERT_EQ(boxes, 1);
    EXPECT_EQ(seen.caption, Application::Instance().Name());
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"1 OK", "2 キャンセル"}));
    EXPECT_TRUE(seen.exclamation);
    EXPECT_EQ(WorkingNames(store), (std::vector<std::string>{"Kept", "Gone"}));
    EXPECT_EQ(CommittedNames(store), (std::vector<std::string>{"Kept", "Gone"}));
    EXPECT_FALSE(DataFileExists());
    EXPECT_FALSE(dialog.RemovedEntries());
}

class DataFileCannotBeCreated : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string&) override { return nullptr; }
};

// The removal happened in memory only: the user must not believe the
// data file already says so.
TEST_F(BrokenEntriesTest, ADataFileThatCannotBeWrittenIsReported) {
    DataFileCannotBeCreated platform(DefaultPlatform());
    ItemStore failing(&platform);
    failing.SetDirectory(folder.Path());
    failing.InsertData(MakeEntry("Gone", "", KIND_FILE), -1);
    OptionsRun run = RunOptions(dialog, failing, [&](HWND window) {
        Click(window, IDC_OPT_REMOVE_BROKEN);
        Click(window, IDCANCEL);
    });
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[1].text,
              "リンクの切れているメニューの削除をデータファイルに保存できませんでした。\n"
              "設定画面で「OK」か「適用」を押すと、もう一度保存します。");
    EXPECT_EQ(run.messages[1].promptContext, 0u) << "a literal message carries no help context";
    EXPECT_EQ(failing.GetDataNum(), 0);
    EXPECT_FALSE(DataFileExists());
}

// A data file that another program held through every try at start (the
// launcher started empty) and lets go later: the removal reads it first and
// removes the broken entries from the table it holds, never writing the
// near-empty table over it.
class HeldUntilReleased : public ForwardingPlatform {
public:
    explicit HeldUntilReleased(std::string dataFile)
        : ForwardingPlatform(DefaultPlatform()), dataFile_(std::move(dataFile)) {}
    bool held = true;
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                             std::vector<unsigned char>* bytes) override {
        if (held && path == dataFile_) {
            bytes->clear();
            return ReadResult::InUse;
        }
        return inner_.ReadFileBytes(path, maxBytes, bytes);
    }
    bool CopyToNewFile(const std::string& source, const std::string& target) override {
        return !(held && source == dataFile_) && inner_.CopyToNewFile(source, target);
    }
    void Pause(unsigned) override {}

private:
    std::string dataFile_;
};

TEST_F(BrokenEntriesTest, AFileHeldAtStartIsReadBeforeTheRemovalWritesIt) {
    AddAndCommit([&] {
        Add("Kept", existingFile, KIND_FILE);
        Add("Gone", folder.File("gone.exe"), KIND_FILE);
    });
    HeldUntilReleased platform(folder.File("Brindleway.bwz"));
    ItemStore started(&platform);
    started.SetDirectory(folder.Path());
    started.LoadData();
    ASSERT_EQ(started.GetLoadReport().state, DataFileState::InUse);
    started.RestoreData();
    platform.held = false;
    OptionsRun run = RunOptions(dialog, started, [&](HWND window) {
        Click(window, IDC_OPT_REMOVE_BROKEN);
        Click(window, IDOK);
    });
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_NE(run.messages[1].text.find("読み込み直し"), std::string::npos) << run.messages[1].text;
    EXPECT_EQ(WorkingNames(started), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(CommittedNames(started), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(NamesInDataFile(), (std::vector<std::string>{"Kept"}));
    EXPECT_TRUE(dialog.RemovedEntries());
}

} // namespace
