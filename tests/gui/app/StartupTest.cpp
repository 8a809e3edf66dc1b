// The program's start and end as its entry point runs them: one copy at a
// time, COM on the thread for the whole run, and an end that a stuck icon
// look-up does not hold up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GuiTest.h"
#include "support/IconWaiting.h"
#include "support/LauncherTestSupport.h"
#include "support/ProgramRun.h"
#include "ui/IconResolver.h"

namespace {

// When the file was last written, as a number that grows with every write.
ULONGLONG LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// The mutex an elevated copy made: this user may not open it.
HANDLE WINAPI MutexOfAnElevatedCopy(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

// A mutex that cannot be made for want of resources: nothing says another
// copy runs.
HANDLE WINAPI MutexOutOfMemory(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

struct InstanceCase {
    const char* title;
    bool otherCopyHoldsTheMutex;
    decltype(&CreateMutexA) createMutex; // null: the real one
    bool runs;
};

const InstanceCase kInstanceCases[] = {
    {"no other copy", false, nullptr, true},
    {"another copy runs", true, nullptr, false},
    {"an elevated copy runs", false, MutexOfAnElevatedCopy, false},
    {"the mutex cannot be made", false, MutexOutOfMemory, true},
};

TEST(StartupTest, ASecondCopyEndsAtOnceWithoutAWindow) {
    for (const InstanceCase& test : kInstanceCases) {
        SCOPED_TRACE(test.title);
        TempFolder folder;
        WriteDataFile(folder.Path(), {{"Tool", KIND_FILE, -1, "C:\\Tools\\tool.exe"}});
        WriteSettingsFile(folder.Path(), Options{});
        std::string dataFile = folder.File("Brindleway.bwz");
        std::string settingsFile = folder.File("Brindleway.ini");
        ULONGLONG dataBefore = LastWrite(dataFile);
        ULONGLONG settingsBefore = LastWrite(settingsFile);

        HANDLE otherCopy =
            test.otherCopyHoldsTheMutex ? CreateMutexA(nullptr, FALSE, "Brindleway") : nullptr;
        ShellRecorder shell;
        if (test.createMutex)
            System().createMutex = test.createMutex;
        ProgramRun run(folder.Path());
        EXPECT_EQ(0, run.Run());

        if (test.runs) {
            EXPECT_NE(nullptr, run.Window());
            EXPECT_EQ((std::vector<std::string>{"NIM_ADD", "NIM_DELETE"}), shell.Functions());
        } else {
            // Nothing shown, nothing read or written: the running copy's
            // files stay as they are.
            EXPECT_EQ(nullptr, run.Window());
            EXPECT_TRUE(shell.calls.empty());
            EXPECT_EQ(dataBefore, LastWrite(dataFile));
            EXPECT_EQ(settingsBefore, LastWrite(settingsFile));
        }
        if (otherCopy)
            CloseHandle(otherCopy);
    }
}

TEST(StartupTest, TheMutexGoesWithTheLastCopy) {
    TempFolder folder;
    WriteSettingsFile(folder.Path(), Options{});
    ShellRecorder shell;
    {
        ProgramRun first(folder.Path());
        first.Run();
        ASSERT_NE(nullptr, first.Window());
    }
    // Had the first run kept the mutex, this start would give up.
    HANDLE probe = OpenMutexA(SYNCHRONIZE, FALSE, "Brindleway");
    EXPECT_EQ(nullptr, probe);
    if (probe)
        CloseHandle(probe);
    ProgramRun second(folder.Path());
    second.Run();
    EXPECT_NE(nullptr, second.Window());
}

// A drive without its medium (a card reader, a floppy, a network drive that
// is gone) named by an entry must fail the look-up at once, not raise the
// system's "no disk" box on the window's thread or the icon worker. The mode
// is the process's, so it is set at the start and read during the run.
UINT errorModeAtTrayIcon = 0;

TEST(StartupTest, NoDiskBoxesAreRaisedForTheWholeRun) {
    UINT before = SetErrorMode(0);
    TempFolder folder;
    WriteSettingsFile(folder.Path(), Options{});
    ShellRecorder shell;
    errorModeAtTrayIcon = 0;
    shell.onAdd = [] { errorModeAtTrayIcon = GetErrorMode(); };
    ProgramRun run(folder.Path());
    UINT duringRun = 0;
    run.ThenDo([&](HWND) { duringRun = GetErrorMode(); });
    run.Run();
    SetErrorMode(before);
    EXPECT_NE(nullptr, run.Window());
    EXPECT_TRUE(errorModeAtTrayIcon & SEM_FAILCRITICALERRORS) << errorModeAtTrayIcon;
    EXPECT_TRUE(duringRun & SEM_FAILCRITICALERRORS) << duringRun;
}

// What the program asked of COM, and what it had done by then.
struct ComRecord {
    HRESULT answer = S_OK;
    std::vector<std::string> events;
    ShellRecorder* shell = nullptr;
};
ComRecord* com = nullptr;

HRESULT WINAPI RecordCoInitializeEx(LPVOID reserved, DWORD flags) {
    std::string event = "CoInitializeEx " + std::to_string(flags);
    if (reserved)
        event += " reserved";
    // The shell's functions need COM from the first icon on.
    if (Application::Instance().MainWindow() || !com->shell->calls.empty())
        event += " too late";
    com->events.push_back(event);
    return com->answer;
}

void WINAPI RecordCoUninitialize() {
    std::string event = "CoUninitialize";
    if (Application::Instance().MainWindow() || com->shell->Of("NIM_DELETE").empty())
        event += " too early";
    com->events.push_back(event);
}

TEST(StartupTest, ComIsApartmentThreadedForTheWholeRun) {
    const std::string init =
        "CoInitializeEx " + std::to_string(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    struct {
        const char* title;
        HRESULT answer;
        std::vector<std::string> expected;
    } cases[] = {
        {"COM made here", S_OK, {init, "CoUninitialize"}},
        {"COM there already", S_FALSE, {init, "CoUninitialize"}},
        // Another threading model is in place: it was not this program's to
        // start, so it is not this program's to end.
        {"COM there in another model", RPC_E_CHANGED_MODE, {init}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        TempFolder folder;
        WriteSettingsFile(folder.Path(), Options{});
        ShellRecorder shell;
        ComRecord record;
        record.answer = test.answer;
        record.shell = &shell;
        com = &record;
        System().coInitializeEx = RecordCoInitializeEx;
        System().coUninitialize = RecordCoUninitialize;
        ProgramRun run(folder.Path());
        run.Run();
        EXPECT_NE(nullptr, run.Window());
        EXPECT_EQ(test.expected, record.events);
        com = nullptr;
    }
}

} // namespace

namespace {

// How the program ended its own process: when, and what it had done by
// then.
struct EndRecord {
    int calls = 0;
    UINT code = 99;
    bool mutexGone = false;
    bool positionSaved = false;
    std::string settingsFile;
};
EndRecord* endRecord = nullptr;

bool MutexExists() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Brindleway");
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

// The test's process goes on: only the request is recorded.
BOOL WINAPI RecordTerminate(HANDLE process, UINT code) {
    if (process == GetCurrentProcess()) {
        ++endRecord->calls;
        endRecord->code = code;
        endRecord->mutexGone = !MutexExists();
        endRecord->positionSaved = ReadIniInt(endRecord->settingsFile, "Info", "X") != -12345;
    }
    return TRUE;
}

// Watches the end from another thread: whether the single-instance mutex
// was gone while the window object still waited for the icon workers (no
// worker had been left behind yet).
struct EndWatch {
    HWND window = nullptr;
    int leftBefore = 0;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool mutexGoneWhileWaiting = false;
};

DWORD WINAPI WatchTheEnd(void* param) {
    auto* watch = static_cast<EndWatch*>(param);
    while (WaitForSingleObject(watch->stop, 2) == WAIT_TIMEOUT) {
        if (!watch->window || IsWindow(watch->window))
            continue;
        if (!MutexExists()) {
            watch->mutexGoneWhileWaiting = IconResolver::WorkersLeftBehind() == watch->leftBefore;
            return 0;
        }
    }
    return 0;
}

} // namespace

// The user exits while an entry's icon is still being looked up on a
// network share that does not answer. The program saves what it saves at
// its end, gives up its single-instance mutex as its window goes (a new
// start is not refused meanwhile), and then ends its process without
// waiting for the look-up, which may hold the shell's locks that the
// libraries' ending would wait for.
TEST(StartupTest, AnExitWhileALookupIsStuckEndsTheProcessOnceSaved) {
    TempFolder folder;
    const std::string share = "\\\\silent-server\\tools\\tool.exe";
    WriteDataFile(folder.Path(), {{"tool", KIND_FILE, kParentTopLevel, share.c_str()}});
    WriteSettingsFile(folder.Path(), Options{});
    ShellGate gate(share, ShellGate::At::File);
    EndRecord record;
    record.settingsFile = folder.File("Brindleway.ini");
    endRecord = &record;
    auto saved = System().terminateProcess;
    System().terminateProcess = RecordTerminate;
    EndWatch watch;
    watch.leftBefore = IconResolver::WorkersLeftBehind();
    HANDLE watcher = CreateThread(nullptr, 0, WatchTheEnd, &watch, 0, nullptr);
    ProgramRun run(folder.Path());
    run.Then([&](HWND window) {
        watch.window = window;
        return gate.Held();
    });
    run.Run();
    System().terminateProcess = saved;
    endRecord = nullptr;
    SetEvent(watch.stop);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(watch.stop);
    gate.Open();

    EXPECT_EQ(1u, run.StepsDone());
    EXPECT_EQ(1, record.calls);
    EXPECT_EQ(0u, record.code);
    EXPECT_TRUE(record.positionSaved);
    EXPECT_TRUE(record.mutexGone);
    EXPECT_TRUE(watch.mutexGoneWhileWaiting);
}

// An end with no look-up under way ends the process the usual way.
TEST(StartupTest, AnExitWithNoLookupUnderWayEndsTheUsualWay) {
    TempFolder folder;
    WriteSettingsFile(folder.Path(), Options{});
    EndRecord record;
    record.settingsFile = folder.File("Brindleway.ini");
    endRecord = &record;
    auto saved = System().terminateProcess;
    System().terminateProcess = RecordTerminate;
    ProgramRun run(folder.Path());
    run.Run();
    System().terminateProcess = saved;
    endRecord = nullptr;
    EXPECT_NE(nullptr, run.Window());
    EXPECT_EQ(0, record.calls);
    EXPECT_FALSE(MutexExists());
}
