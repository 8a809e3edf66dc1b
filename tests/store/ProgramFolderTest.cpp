// The files next to the program when the program's folder is named 機能,
// whose last byte (the trail byte of 能, 0x5C) is a backslash. The test
// program moves itself into such a folder first: it copies itself into a
// subfolder 機能 of its own folder and runs the copy, which then finds its
// files through the program's own path, as the launcher does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

// 機能 in code page 932: 8B 40 94 5C.
const std::string kFolderName = "\x8b\x40\x94\x5c";

std::string ModulePath() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return buffer;
}

// The program's folder and the folder above it, as the system gives them.
std::string ProgramFolder() {
    return DefaultPlatform().ProgramDirectory();
}

std::string ParentFolder() {
    std::string folder = ProgramFolder();
    return folder.substr(0, folder.size() - kFolderName.size() - 1);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Records whether the temporary file stood in the program's folder when the
// save put it in the data file's place.
class ReplaceWatcher : public ForwardingPlatform {
public:
    ReplaceWatcher() : ForwardingPlatform(DefaultPlatform()) {}
    std::string source;
    bool sourceWasAFile = false;
    bool ReplaceFileAtomically(const std::string& from, const std::string& to) override {
        source = from;
        sourceWasAFile = IsFile(from);
        return inner_.ReplaceFileAtomically(from, to);
    }
};

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(kFolderName, ProgramFolder().substr(ProgramFolder().size() - 4));
        for (const char* name : kNames) {
            DeleteFileA((ProgramFolder() + "\\" + name).c_str());
            DeleteFileA((ParentFolder() + "\\" + kFolderName + name).c_str());
        }
    }

    // Nothing reached the parent folder under a name glued to the folder's.
    void ExpectNothingBesideTheFolder() {
        for (const char* name : kNames)
            EXPECT_FALSE(IsFile(ParentFolder() + "\\" + kFolderName + name)) << name;
    }

    static constexpr const char* kNames[] = {"Brindleway.bwz", "~Brindleway.tmp", "Brindleway.ini",
                                             "Brindleway.bwz.damaged"};
};

TEST_F(ProgramFolderTest, DataAndTemporaryFilesAreInsideTheFolder) {
    ReplaceWatcher platform;
    ItemStore store(&platform);
    store.InsertData(MakeEntry("Tools", KIND_GROUP, kParentTopLevel), -1);
    ASSERT_EQ(1, store.CommitData());

    EXPECT_EQ(ProgramFolder() + "\\~Brindleway.tmp", platform.source);
    EXPECT_TRUE(platform.sourceWasAFile);
    EXPECT_TRUE(IsFile(ProgramFolder() + "\\Brindleway.bwz"));
    EXPECT_FALSE(IsFile(ProgramFolder() + "\\~Brindleway.tmp"));
    ExpectNothingBesideTheFolder();

    ItemStore reloaded;
    EXPECT_EQ(1, reloaded.LoadData());
    EXPECT_EQ(std::vector<std::string>{"Tools"}, CommittedNames(reloaded));
}

TEST_F(ProgramFolderTest, SettingsFileIsInsideTheFolder) {
    ItemStore store;
    store.GetOptions()->opt5 = 1;
    ASSERT_EQ(1, store.WriteOptions());
    ASSERT_EQ(1, store.WriteWindowPos(120, 80));
    EXPECT_TRUE(IsFile(ProgramFolder() + "\\Brindleway.ini"));
    ExpectNothingBesideTheFolder();

    ItemStore reloaded;
    EXPECT_EQ(1, reloaded.ReadOptions());
    EXPECT_EQ(1, reloaded.GetOptions()->opt5);
    int x = 0, y = 0;
    reloaded.ReadWindowPos(&x, &y);
    EXPECT_EQ(120, x);
    EXPECT_EQ(80, y);
}

TEST_F(ProgramFolderTest, CopyOfADamagedFileIsInsideTheFolder) {
    const Bytes damaged = {0x07, 0x64, 0x00};
    WriteBytes(ProgramFolder() + "\\Brindleway.bwz", damaged);
    ItemStore store;
    EXPECT_EQ(0, store.LoadData());
    EXPECT_EQ(ProgramFolder() + "\\Brindleway.bwz.damaged", store.GetLoadReport().keptCopy);
    EXPECT_EQ(damaged, ReadBytes(ProgramFolder() + "\\Brindleway.bwz.damaged"));
    ExpectNothingBesideTheFolder();
}

// Copies this program into the subfolder 機能 of its folder and runs it
// there with the same arguments; returns its exit code, or -1.
int RunFromTheFolder(int argc, char** argv) {
    std::string self = ModulePath();
    std::string folder = self.substr(0, self.rfind('\\')) + "\\" + kFolderName;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "\\brindleway_program_folder_tests.exe";
    if (!CopyFileA(self.c_str(), copy.c_str(), FALSE)) {
        std::fprintf(stderr, "could not copy the test program into %s\n", folder.c_str());
        return -1;
    }
    std::string commandLine = "\"" + copy + "\"";
    for (int i = 1; i < argc; ++i)
        commandLine += std::string(" \"") + argv[i] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "could not start %s\n", copy.c_str());
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

bool RunningInTheFolder() {
    std::string folder = DefaultPlatform().ProgramDirectory();
    return folder.size() > kFolderName.size() &&
           folder.compare(folder.size() - kFolderName.size(), kFolderName.size(), kFolderName) ==
               0 &&
           folder[folder.size() - kFolderName.size() - 1] == '\\';
}

void RecordPrompt(unsigned stringId) {
    HookedPrompts().push_back(stringId);
}

} // namespace

int main(int argc, char** argv) {
    if (!RunningInTheFolder())
        return RunFromTheFolder(argc, argv);
    SetPromptFunction(RecordPrompt);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
