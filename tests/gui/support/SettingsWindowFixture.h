// A settings window created from the program's template with a store in a
// folder of the test's own, the shell calls recorded instead of made.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GuiTest.h"
#include "LauncherTestSupport.h"
#include "settings/SettingsWindow.h"

class SettingsWindowTest : public testing::Test {
protected:
    // A settings file with all options clear keeps the window hidden.
    void WriteOptions(const Options& options = {}, int x = -1, int y = -1) {
        WriteSettingsFile(folder.Path(), options, x, y);
    }

    SettingsWindow& Open(Platform* platform = nullptr) {
        window = std::make_unique<SettingsWindow>(platform);
        window->Store().SetDirectory(folder.Path());
        EXPECT_TRUE(window->Create());
        // The deferred start-up report (if any) runs here.
        PumpMessages();
        return *window;
    }

    HWND Handle() const { return window->Handle(); }

    LRESULT Command(UINT id, UINT code = 0, HWND control = nullptr) {
        return SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, code),
                            reinterpret_cast<LPARAM>(control));
    }

    void TearDown() override { window.reset(); }

    TempFolder folder;
    ShellRecorder shell;
    std::unique_ptr<SettingsWindow> window;
};
