// The help: which requests reach the help file, how the help control is
// found, and what the help commands ask for.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/HelpRouting.h"
#include "app/LauncherApp.h"
#include "resource.h"
#include "support/ProgramRun.h"
#include "support/RealInput.h"
#include "support/SettingsWindowFixture.h"
#include "ui/HtmlHelp.h"
#include "ui/HtmlHelpLoader.h"
#include "ui/MessageBox.h"
#include "ui/SystemCalls.h"

namespace {

struct HelpCall {
    HWND caller;
    std::string file;
    UINT command;
    DWORD_PTR data;
    HH_FTS_QUERY query; // the search request, as the help control reads it
    bool hasQuery;
};

// A fake registry, loader and help control, recording what is asked of them.
struct FakeHelp {
    std::string registeredPath; // empty: the key is missing
    std::vector<std::string> loadable;
    bool hasEntryPoint = true;
    std::vector<std::string> loads;
    std::vector<LPCSTR> lookups;
    std::vector<HelpCall> calls;
};
FakeHelp* fake = nullptr;

HMODULE FakeModule() {
    return reinterpret_cast<HMODULE>(0x10000000);
}

LONG WINAPI OpenKey(HKEY root, LPCSTR key, DWORD, REGSAM access, PHKEY result) {
    if (fake->registeredPath.empty() || root != HKEY_CLASSES_ROOT || access != KEY_READ ||
        std::string(key) != "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32")
        return ERROR_FILE_NOT_FOUND;
    *result = reinterpret_cast<HKEY>(0x1234);
    return ERROR_SUCCESS;
}

LONG WINAPI QueryValue(HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (name != nullptr && *name != '\0')
        return ERROR_FILE_NOT_FOUND;
    *type = REG_SZ;
    std::memcpy(data, fake->registeredPath.c_str(), fake->registeredPath.size() + 1);
    *size = static_cast<DWORD>(fake->registeredPath.size() + 1);
    return ERROR_SUCCESS;
}

LONG WINAPI CloseKey(HKEY) {
    return ERROR_SUCCESS;
}

HMODULE WINAPI Load(LPCSTR file, HANDLE, DWORD flags) {
    fake->loads.push_back(file + std::string(flags ? " (flags)" : ""));
    for (const std::string& name : fake->loadable)
        if (name == file)
            return FakeModule();
    return nullptr;
}

HWND WINAPI HtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    HelpCall call{caller, file ? file : "", command, data, {}, false};
    if (command == HH_DISPLAY_SEARCH && data) {
        call.query = *reinterpret_cast<const HH_FTS_QUERY*>(data);
        call.hasQuery = true;
    }
    fake->calls.push_back(call);
    return reinterpret_cast<HWND>(0x4321);
}

FARPROC WINAPI Lookup(HMODULE module, LPCSTR name) {
    fake->lookups.push_back(name);
    if (module != FakeModule() || !fake->hasEntryPoint || name != MAKEINTRESOURCEA(14))
        return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(HtmlHelp));
}

std::string SystemControl() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, sizeof path);
    return std::string(path) + "\\hhctrl.ocx";
}

class HelpTest : public testing::Test {
protected:
    void SetUp() override {
        html_help_loader::Reset();
        fake = &help;
        SystemCalls& calls = System();
        calls.regOpenKeyEx = OpenKey;
        calls.regQueryValueEx = QueryValue;
        calls.regCloseKey = CloseKey;
        calls.loadLibraryEx = Load;
        calls.getProcAddress = Lookup;
    }
    void TearDown() override {
        System() = saved;
        html_help_loader::Reset();
        fake = nullptr;
    }

    SystemCalls saved = System();
    FakeHelp help;
};

TEST_F(HelpTest, TheRegisteredControlIsLoadedFirst) {
    help.registeredPath = "C:\\registered\\hhctrl.ocx";
    help.loadable = {help.registeredPath, SystemControl()};
    EXPECT_NE(nullptr, CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0));
    EXPECT_EQ(std::vector<std::string>{help.registeredPath}, help.loads);
    ASSERT_EQ(1u, help.lookups.size());
    EXPECT_EQ(MAKEINTRESOURCEA(14), help.lookups[0]);
}

TEST_F(HelpTest, WithoutARegisteredControlOnlyTheSystemFolderIsSearched) {
    struct {
        const char* title;
        std::string registered;
    } cases[] = {{"no registry entry", ""}, {"registered file missing", "C:\\gone\\hhctrl.ocx"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        html_help_loader::Reset();
        help = FakeHelp{};
        help.registeredPath = test.registered;
        help.loadable = {SystemControl(), "hhctrl.ocx"};
        EXPECT_NE(nullptr, CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0));
        ASSERT_FALSE(help.loads.empty());
        // Never by the plain name, which would search the program's and the
        // current folder.
        EXPECT_EQ(SystemControl(), help.loads.back());
        for (const std::string& load : help.loads)
            EXPECT_NE("hhctrl.ocx", load);
    }
}

TEST_F(HelpTest, ARegisteredPathIsLoadedOnlyWhenItIsAFullPath) {
    struct {
        const char* registered;
        bool loaded;
    } cases[] = {
        {"C:\\Windows\\system32\\hhctrl.ocx", true},
        {"c:/windows/system32/hhctrl.ocx", true},
        {"\\\\server\\share\\hhctrl.ocx", true},
        {"hhctrl.ocx", false},
        {"help\\hhctrl.ocx", false},
        {"..\\hhctrl.ocx", false},
        {"\\Windows\\hhctrl.ocx", false}, // on whatever drive is current
        {"C:hhctrl.ocx", false},          // in that drive's current folder
        {"%SystemRoot%\\system32\\hhctrl.ocx", false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.registered);
        html_help_loader::Reset();
        help = FakeHelp{};
        help.registeredPath = test.registered;
        help.loadable = {test.registered, SystemControl()};
        EXPECT_NE(nullptr, CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0));
        std::string expected = test.loaded ? test.registered : SystemControl();
        EXPECT_EQ(std::vector<std::string>{expected}, help.loads);
    }
}

TEST_F(HelpTest, TheControlIsLoadedOnceAndTheRequestPassesUnchanged) {
    help.loadable = {SystemControl()};
    HWND caller = reinterpret_cast<HWND>(0x99);
    CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0);
    EXPECT_EQ(reinterpret_cast<HWND>(0x4321), CallHtmlHelp(caller, "b.chm::/x.txt", 17, 1234));
    EXPECT_EQ(1u, help.loads.size());
    EXPECT_EQ(1u, help.lookups.size());
    ASSERT_EQ(2u, help.calls.size());
    EXPECT_EQ(caller, help.calls[1].caller);
    EXPECT_EQ("b.chm::/x.txt", help.calls[1].file);
    EXPECT_EQ(17u, help.calls[1].command);
    EXPECT_EQ(1234u, help.calls[1].data);
    EXPECT_FALSE(html_help_loader::Failed());
}

TEST_F(HelpTest, AFailureStopsEveryLaterAttempt) {
    struct {
        const char* title;
        bool loadable;
        bool entryPoint;
    } cases[] = {{"no control", false, true}, {"no entry point", true, false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        html_help_loader::Reset();
        help = FakeHelp{};
        if (test.loadable)
            help.loadable = {SystemControl()};
        help.hasEntryPoint = test.entryPoint;
        EXPECT_EQ(nullptr, CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0));
        EXPECT_TRUE(html_help_loader::Failed());
        size_t loads = help.loads.size();
        size_t lookups = help.lookups.size();
        EXPECT_EQ(nullptr, CallHtmlHelp(nullptr, "a.chm", HH_DISPLAY_TOC, 0));
        EXPECT_EQ(loads, help.loads.size());
        EXPECT_EQ(lookups, help.lookups.size());
        EXPECT_TRUE(help.calls.empty());
    }
}

struct RouteCase {
    DWORD data;
    UINT command;
    bool opens;
    DWORD_PTR mapId;
};

const RouteCase kRouteCases[] = {
    {0x30000 + 5001, HELP_CONTEXT, true, 5001},
    {0x30000 + 5002, HELP_CONTEXT, true, 5002},
    {0x70000 + 5002, HELP_CONTEXT, true, 5002}, // both bits set, others too
    {0x10000 + 5001, HELP_CONTEXT, false, 0},   // one bit only
    {0x20000 + 5001, HELP_CONTEXT, false, 0},
    {5001, HELP_CONTEXT, false, 0},
    {0x20089, HELP_CONTEXT, false, 0}, // a dialog's context
    {0x30000 + 5001, HELP_CONTEXTPOPUP, false, 0},
    {0x30000 + 5001, HELP_FINDER, false, 0},
    {0x30000 + 5001, HELP_QUIT, false, 0},
};

TEST_F(HelpTest, OnlyPromptContextsReachTheHelpFile) {
    help.loadable = {SystemControl()};
    for (const RouteCase& test : kRouteCases) {
        SCOPED_TRACE(std::to_string(test.data) + " / " + std::to_string(test.command));
        help.calls.clear();
        RouteHelpRequest("C:\\Tools\\Launcher.chm", test.data, test.command);
        if (!test.opens) {
            EXPECT_TRUE(help.calls.empty());
            continue;
        }
        ASSERT_EQ(1u, help.calls.size());
        EXPECT_EQ(nullptr, help.calls[0].caller);
        EXPECT_EQ("C:\\Tools\\Launcher.chm", help.calls[0].file);
        EXPECT_EQ(HH_HELP_CONTEXT, help.calls[0].command);
        EXPECT_EQ(test.mapId, help.calls[0].data);
    }
}

TEST_F(HelpTest, HelpFileIsTheProgramFileWithTheExtensionChm) {
    const char* cases[][2] = {{"D:\\Tools\\Launcher.HLP", "D:\\Tools\\Launcher.chm"},
                              {"C:\\Brindleway.HLP", "C:\\Brindleway.chm"}};
    for (const auto& test : cases)
        EXPECT_EQ(test[1], LauncherApp::ChmPathFor(test[0]));
}

// The extension goes, never a folder's dot; 表 ends in the byte 0x5C,
// which must not count as a separator.
TEST_F(HelpTest, DefaultHelpFileReplacesOnlyTheProgramFilesExtension) {
    const char* cases[][2] = {
        {"C:\\Tools\\Brindleway.exe", "C:\\Tools\\Brindleway.HLP"},
        {"C:\\v1.2\\Brindleway", "C:\\v1.2\\Brindleway.HLP"},
        {"C:\\機能\\Brindleway.exe", "C:\\機能\\Brindleway.HLP"},
        {"C:\\Tools\\Brindleway.表", "C:\\Tools\\Brindleway.HLP"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test[1], Application::HelpPathFor(test[0])) << test[0];
}

TEST_F(HelpTest, F1InAPromptOpensItsMapId) {
    help.loadable = {SystemControl()};
    LauncherApp app;
    app.SetHelpFilePath("C:\\Tools\\Launcher.chm");
    ModalDriver driver([](HWND box) {
        HWND button = GetDlgItem(box, IDOK);
        PostMessageA(button ? button : box, WM_KEYDOWN, VK_F1, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ShowPrompt(IDS_TABLE_FULL, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(1, driver.Runs());
    ASSERT_EQ(1u, help.calls.size());
    EXPECT_EQ(HH_HELP_CONTEXT, help.calls[0].command);
    EXPECT_EQ(5002u, help.calls[0].data);
    EXPECT_EQ("C:\\Tools\\Launcher.chm", help.calls[0].file);
    // The prompt's context is gone with the prompt.
    EXPECT_EQ(0u, app.PromptContext());
}

// The program file's path with the extension chm.
std::string ProgramHelpFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file = path;
    return file.substr(0, file.rfind('.')) + ".chm";
}

// A prompt of the running program: its text and the help context the
// program held while it was open.
struct SeenPrompt {
    std::string text;
    DWORD context = 0;
};

TEST_F(HelpTest, TheRunningProgramsFullTablePromptOpensItsHelpTopic) {
    help.loadable = {SystemControl()};
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < kMaxEntries; ++i)
        names.push_back("E" + std::to_string(i));
    std::vector<EntryRow> entries;
    for (const std::string& name : names)
        entries.push_back({name.c_str(), KIND_URL, -1, "https://example.org/"});
    WriteDataFile(folder.Path(), entries);
    Options shown{};
    shown.opt1 = 1;
    WriteSettingsFile(folder.Path(), shown);
    ShellRecorder shell;

    ProgramRun run(folder.Path());
    std::vector<SeenPrompt> prompts;
    std::unique_ptr<ModalDriver> driver;
    run.ThenDo([&](HWND window) {
        // The editor is filled in and confirmed; the store's refusal that
        // follows is read, F1 is pressed in it, and it is closed.
        driver = std::make_unique<ModalDriver>([&](HWND dialog) {
            if (GetDlgItem(dialog, IDC_EDITOR_PATH)) {
                SetDlgItemTextA(dialog, IDC_EDITOR_NAME, "one too many");
                SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "C:\\Tools\\tool.exe");
                PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                return;
            }
            prompts.push_back({DialogItemText(dialog, 0xFFFF), run.App().PromptContext()});
            HWND button = GetDlgItem(dialog, IDOK);
            PostMessageA(button ? button : dialog, WM_KEYDOWN, VK_F1, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        // The user clicks "追加(&I)...".
        PostMessageA(GetDlgItem(window, IDC_ADD), BM_CLICK, 0, 0);
    });
    run.Then([&](HWND) { return !prompts.empty() && run.App().ModalDepth() == 0; });
    run.Run();

    EXPECT_EQ(2, driver->Runs());
    ASSERT_EQ(1u, prompts.size());
    EXPECT_EQ("これ以上追加することはできません。", prompts[0].text);
    EXPECT_EQ(0x30000u + IDS_TABLE_FULL, prompts[0].context);
    ASSERT_EQ(1u, help.calls.size());
    EXPECT_EQ(nullptr, help.calls[0].caller);
    EXPECT_EQ(ProgramHelpFile(), help.calls[0].file);
    EXPECT_EQ(HH_HELP_CONTEXT, help.calls[0].command);
    EXPECT_EQ(static_cast<DWORD_PTR>(IDS_TABLE_FULL), help.calls[0].data);
}

TEST_F(HelpTest, F1InAPlainMessageOpensNothing) {
    help.loadable = {SystemControl()};
    LauncherApp app;
    ModalDriver driver([](HWND box) {
        HWND button = GetDlgItem(box, IDOK);
        PostMessageA(button ? button : box, WM_KEYDOWN, VK_F1, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ShowMessage("plain", MB_OK);
    EXPECT_EQ(1, driver.Runs());
    EXPECT_TRUE(help.calls.empty());
}

// F1 on the focused control of the settings window, through the program's
// own loop, opens the help at the window's page; F1 in the item editor, at
// the editor's page. F1 where the program has no page of its own (the
// options dialog's buttons, a plain message over the settings window) asks
// for nothing, although the system passes such requests on to the settings
// window, their owner.
TEST_F(HelpTest, F1OpensTheHelpAtThePageOfTheWindowItIsPressedIn) {
    help.loadable = {SystemControl()};
    TempFolder folder;
    WriteDataFile(folder.Path(), {{"Tool", KIND_FILE, -1, "C:\\Tools\\tool.exe"}});
    Options shown{};
    shown.opt1 = 1;
    WriteSettingsFile(folder.Path(), shown);
    ShellRecorder shell;

    ProgramRun run(folder.Path());
    std::vector<HelpCall> inWindow;
    std::vector<HelpCall> inEditor;
    std::vector<HelpCall> elsewhere;
    std::unique_ptr<ModalDriver> driver;
    // Presses F1 in the dialog on the control, and answers whether the help
    // was asked for.
    auto pressF1 = [&](HWND dialog, int control) {
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, control));
        real_input::PressKey(VK_F1);
        return PumpUntil([&] { return !help.calls.empty(); }, 2000);
    };
    run.ThenDo([&](HWND window) {
        SetForegroundWindow(window);
        SetFocus(GetDlgItem(window, IDC_GROUP_TREE));
        real_input::PressKey(VK_F1);
    });
    run.Then([&](HWND) { return !help.calls.empty(); });
    run.ThenDo([&](HWND window) {
        inWindow = help.calls;
        help.calls.clear();
        driver = std::make_unique<ModalDriver>([&](HWND dialog) {
            if (GetDlgItem(dialog, IDC_EDITOR_NAME)) {
                pressF1(dialog, IDC_EDITOR_NAME);
                inEditor = help.calls;
                help.calls.clear();
            } else if (GetDlgItem(dialog, IDC_OPT_REMOVE_BROKEN)) {
                pressF1(dialog, IDOK);
                elsewhere = help.calls;
            }
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        PostMessageA(GetDlgItem(window, IDC_ADD), BM_CLICK, 0, 0);
    });
    run.Then([&](HWND) { return driver->Runs() == 1 && run.App().ModalDepth() == 0; });
    run.ThenDo([&](HWND window) { PostMessageA(window, WM_COMMAND, ID_TOOLS_OPTIONS, 0); });
    run.Then([&](HWND) { return driver->Runs() == 2 && run.App().ModalDepth() == 0; });
    run.Run();

    ASSERT_EQ(1u, inWindow.size());
    EXPECT_EQ(ProgramHelpFile() + "::/settings.html", inWindow[0].file);
    EXPECT_EQ(HH_DISPLAY_TOPIC, inWindow[0].command);
    EXPECT_EQ(0u, inWindow[0].data);
    ASSERT_EQ(1u, inEditor.size());
    EXPECT_EQ(ProgramHelpFile() + "::/editor.html", inEditor[0].file);
    EXPECT_EQ(HH_DISPLAY_TOPIC, inEditor[0].command);
    EXPECT_TRUE(elsewhere.empty());
}

// A message box over the settings window passes F1 on to the window, its
// owner; the window has no page for it.
TEST_F(HelpTest, F1InAPlainMessageOverTheSettingsWindowOpensNothing) {
    help.loadable = {SystemControl()};
    TempFolder folder;
    WriteSettingsFile(folder.Path(), Options{});
    ShellRecorder shell;
    SettingsWindow window;
    window.Store().SetDirectory(folder.Path());
    ASSERT_TRUE(window.Create());
    bool pressed = false;
    ModalDriver driver([&](HWND box) {
        SetForegroundWindow(box);
        real_input::PressKey(VK_F1);
        pressed = true;
        PumpUntil([&] { return !help.calls.empty(); }, 1000);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ShowMessage("plain", MB_OK, window.Handle());
    EXPECT_EQ(1, driver.Runs());
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(help.calls.empty());
}

class HelpCommandTest : public HelpTest {
protected:
    void SetUp() override {
        HelpTest::SetUp();
        help.loadable = {SystemControl()};
        Application::Instance().SetHelpFilePath("C:\\Tools\\Brindleway.chm");
        WriteSettingsFile(folder.Path(), Options{});
        window = std::make_unique<SettingsWindow>();
        window->Store().SetDirectory(folder.Path());
        ASSERT_TRUE(window->Create());
    }
    void TearDown() override {
        window.reset();
        HelpTest::TearDown();
    }
    TempFolder folder;
    ShellRecorder shell;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(HelpCommandTest, MenuCommandsAskForContentsSearchAndIndex) {
    struct {
        UINT id;
        UINT command;
    } cases[] = {{ID_HELP_CONTENTS, HH_DISPLAY_TOC},
                 {ID_HELP_SEARCH, HH_DISPLAY_SEARCH},
                 {ID_HELP_INDEX, HH_DISPLAY_INDEX},
                 {ID_TRAY_HELP, HH_DISPLAY_TOPIC}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.id);
        help.calls.clear();
        // The items are grayed, but a command that arrives still works.
        SendMessageA(window->Handle(), WM_COMMAND, test.id, 0);
        ASSERT_EQ(1u, help.calls.size());
        const HelpCall& call = help.calls[0];
        EXPECT_EQ(nullptr, call.caller);
        EXPECT_EQ("C:\\Tools\\Brindleway.chm", call.file);
        EXPECT_EQ(test.command, call.command);
        if (test.command == HH_DISPLAY_SEARCH) {
            // The control checks the size against its own layout, which
            // holds two pointers: 32 bytes in a 32-bit program, 40 in a
            // 64-bit one.
            ASSERT_TRUE(call.hasQuery);
            EXPECT_EQ(sizeof(void*) == 8 ? 40 : 32, call.query.cbStruct);
            EXPECT_EQ(static_cast<int>(sizeof(HH_FTS_QUERY)), call.query.cbStruct);
            EXPECT_EQ(nullptr, call.query.pszSearchQuery);
            EXPECT_EQ(nullptr, call.query.pszWindow);
            EXPECT_FALSE(call.query.fExecute);
        } else {
            EXPECT_EQ(0u, call.data);
        }
    }
}

} // namespace
