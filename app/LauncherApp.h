// The application object: one copy of the program at a time, the help file
// and program paths, the settings window and the message loop that runs
// until that window is gone.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Application.h"
#include "ui/Window.h"

class Platform;

class LauncherApp : public Application {
public:
    // The store reaches its files through the platform given (null: the
    // build's own), so tests can run the program on files of their own.
    explicit LauncherApp(Platform* platform = nullptr) : platform(platform) {}
    ~LauncherApp() override = default;

    BOOL InitInstance() override;
    int ExitInstance() override;
    void WinHelp(DWORD data, UINT command) override;

    const char* GetModulePath() const { return modulePath; }

    // The help file for the framework's default one: the same path with the
    // extension chm in place of HLP.
    static std::string ChmPathFor(std::string defaultHelpPath);

private:
    bool AnotherCopyRuns();
    void ReleaseSingleInstance();
    void SetUpPaths();
    void RunMessageLoop(const Window& window);

    Platform* platform;
    HANDLE mutexHandle = nullptr;
    HACCEL accelTable = nullptr;
    char modulePath[MAX_PATH] = {};
};
