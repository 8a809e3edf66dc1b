// The program's own message loop: the settings window's shortcuts, a quit
// message, and the end of the loop when the window is gone.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotkey/HotkeyKeys.h"
#include "support/GuiTest.h"
#include "support/LauncherTestSupport.h"
#include "support/ProgramRun.h"

namespace {

// Real key presses, as the keyboard makes them: they go to the window with
// the focus through the thread's queue.
void PressWithControl(WORD key) {
    INPUT inputs[4] = {};
    WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, inputs, sizeof inputs[0]);
}

// Records the commands that reach the settings window and keeps the two
// under test from running: the test is about how they arrive, not about the
// editor the first would open.
std::vector<WPARAM> commands;
WNDPROC settingsProc = nullptr;
LRESULT CALLBACK RecordCommands(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && (LOWORD(wParam) == ID_TOOLS_ADD || LOWORD(wParam) == ID_TOOLS_DOWN)) {
        commands.push_back(wParam);
        return 0;
    }
    return CallWindowProcA(settingsProc, hwnd, msg, wParam, lParam);
}

class MessageLoopTest : public testing::Test {
protected:
    void Prepare(const Options& options) {
        WriteDataFile(folder.Path(), {{"First", KIND_URL, -1, "https://example.org/1"},
                                      {"Second", KIND_URL, -1, "https://example.org/2"}});
        WriteSettingsFile(folder.Path(), options);
    }
    static Options Shown() {
        Options options{};
        options.opt1 = 1;
        return options;
    }

    TempFolder folder;
    ShellRecorder shell;
};

TEST_F(MessageLoopTest, ShortcutsReachTheWindowThroughTheProgramsAcceleratorTable) {
    Prepare(Shown());
    ProgramRun run(folder.Path());
    commands.clear();
    run.ThenDo([](HWND window) {
        settingsProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
        // The user clicks the first entry of the list (Ctrl+Down needs one
        // selected) and types.
        HWND list = GetDlgItem(window, IDC_ITEM_LIST);
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SetForegroundWindow(window);
        SetFocus(list);
        PressWithControl('I');
        PressWithControl(VK_DOWN);
    });
    run.Then([](HWND) { return commands.size() >= 2; });
    run.ThenDo([](HWND window) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(settingsProc));
    });
    run.Run();
    // 1 in the high word: from an accelerator.
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(ID_TOOLS_ADD, 1), MAKEWPARAM(ID_TOOLS_DOWN, 1)}),
              commands);
    EXPECT_EQ(3u, run.StepsDone());
}

// The settings window's shortcuts are its own: Ctrl+I and Ctrl+Down typed in
// the search window (opened by its hotkey) add and move nothing, even with
// the settings window open behind it.
TEST_F(MessageLoopTest, ShortcutsTypedInTheSearchWindowStayThere) {
    Prepare(Shown());
    RealHotkeyCalls realCalls;
    ProgramRun run(folder.Path());
    commands.clear();
    HWND edit = nullptr;
    run.ThenDo([](HWND window) {
        settingsProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
        PressKeys({VK_CONTROL, VK_MENU, 'F'});
    });
    run.Then([&edit](HWND) {
        HWND search = FindWindowA("BrindlewaySearch", nullptr);
        if (!search || !IsWindowVisible(search) || GetForegroundWindow() != search)
            return false;
        edit = GetFocus();
        PressWithControl('I');
        PressWithControl(VK_DOWN);
        PressKeys({'X'});
        return true;
    });
    // The letter typed after them has arrived: so have they.
    run.Then([&edit](HWND) {
        char text[16] = {};
        GetWindowTextA(edit, text, sizeof text);
        return std::string(text) == "x";
    });
    run.ThenDo([](HWND window) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(settingsProc));
    });
    run.Run();
    EXPECT_EQ(4u, run.StepsDone());
    EXPECT_TRUE(commands.empty());
}

TEST_F(MessageLoopTest, AQuitMessageEndsNothing) {
    Prepare(Options{});
    ProgramRun run(folder.Path());
    run.ThenDo([](HWND) { PostQuitMessage(0); });
    // The loop took the quit message and went on.
    run.ThenDo([](HWND window) {
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
        EXPECT_TRUE(IsWindow(window));
    });
    run.Run();
    EXPECT_EQ(2u, run.StepsDone());
    EXPECT_TRUE(run.EndedByTheRun());
}

// A message sent from another thread, the way another process sends the exit
// command: it is delivered inside the loop's peek. The loop's wait is
// replaced: its first call lets the message arrive and returns, so that the
// peek delivers it; every call notes whether the window still existed.
struct SentMessage {
    HWND window = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    bool sent = false;
    HANDLE sender = nullptr;
    int waitsWithoutWindow = 0;
};
SentMessage sent;

DWORD WINAPI SendFromAnotherThread(void*) {
    SendMessageA(sent.window, sent.msg, sent.wParam, 0);
    return 0;
}

BOOL WINAPI WaitRecorded() {
    if (!IsWindow(sent.window)) {
        ++sent.waitsWithoutWindow;
        return TRUE;
    }
    if (sent.sent)
        return WaitMessage();
    sent.sent = true;
    sent.sender = CreateThread(nullptr, 0, SendFromAnotherThread, nullptr, 0, nullptr);
    // Until the message waits in this thread's queue; looking does not
    // deliver it.
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE))
        Sleep(1);
    return TRUE;
}

TEST_F(MessageLoopTest, AWindowDestroyedByASentMessageEndsTheLoop) {
    struct {
        const char* title;
        UINT msg;
        WPARAM wParam;
        int32_t opt3;
    } cases[] = {
        {"the exit command", WM_COMMAND, ID_TRAY_EXIT, 0},
        {"the close box with opt3", WM_CLOSE, 0, 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        Options options{};
        options.opt3 = test.opt3;
        Prepare(options);
        sent = SentMessage{};
        sent.msg = test.msg;
        sent.wParam = test.wParam;
        ProgramRun run(folder.Path());
        run.ThenDo([&run](HWND window) {
            // From here on only the sent message drives the loop.
            run.StopTicks();
            sent.window = window;
            System().waitMessage = WaitRecorded;
        });
        run.Run();
        System().waitMessage = WaitMessage;
        ASSERT_TRUE(sent.sent);
        EXPECT_FALSE(IsWindow(sent.window));
        EXPECT_FALSE(run.EndedByTheRun());
        EXPECT_EQ(0, sent.waitsWithoutWindow);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sent.sender, INFINITE));
        CloseHandle(sent.sender);
    }
}

} // namespace
