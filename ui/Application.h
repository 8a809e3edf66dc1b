// The application object: process entry, start-up and exit hooks, the help
// routing hook and the state that message prompts and modal runs share.
#pragma once

#include <windows.h>

#include <string>

class Application {
public:
    Application();
    virtual ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one instance; it exists from before the entry point runs. A test
    // may make a second one for a while: it is the instance until it goes,
    // and the one before it is again afterwards.
    static Application& Instance();
    // The framework's default help file for a module path.
    static std::string HelpPathFor(const std::string& modulePath);

    // The process's life: InitInstance, and when that reports failure (as
    // this program's always does, having run everything itself), ExitInstance.
    int Run();

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // Context help requests (F1 in a string prompt arrives as HELP_CONTEXT).
    virtual void WinHelp(DWORD data, UINT command);

    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }

    // The program file's name without folder or extension; the caption of
    // every message box.
    const char* Name() const { return name_.c_str(); }
    const char* ModulePath() const { return modulePath_.c_str(); }

    // The help file; the default is the program file with the extension .HLP.
    const std::string& HelpFilePath() const { return helpFilePath_; }
    void SetHelpFilePath(const std::string& path) { helpFilePath_ = path; }

    // The help context of the message prompt on screen, 0 when none.
    DWORD PromptContext() const { return promptContext_; }
    void SetPromptContext(DWORD context) { promptContext_ = context; }

    // How many modal dialogs, message boxes and file choosers of the
    // program are open right now.
    int ModalDepth() const { return modalDepth_; }
    void EnterModal() { ++modalDepth_; }
    void LeaveModal() { --modalDepth_; }

private:
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

    Application* previous_;
    HWND mainWindow_ = nullptr;
    std::string modulePath_;
    std::string name_;
    std::string helpFilePath_;
    DWORD promptContext_ = 0;
    int modalDepth_ = 0;
    HHOOK filterHook_ = nullptr;
};

// Counts a modal run for as long as it lives.
class ModalScope {
public:
    ModalScope() { Application::Instance().EnterModal(); }
    ~ModalScope() { Application::Instance().LeaveModal(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};
