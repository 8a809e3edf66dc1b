#include "app/LauncherApp.h"

#include <commctrl.h>

#include "app/HelpRouting.h"
#include "platform/Platform.h"
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "ui/IconResolver.h"
#include "ui/MessageBox.h"
#include "ui/SystemCalls.h"

namespace {

const char kMutexName[] = "Brindleway";

// The store's refusal prompts are shown through the framework's prompt, so
// F1 in them opens their help topic.
void ShowStorePrompt(unsigned stringId) {
    ShowPrompt(stringId, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

// Runs the whole program; always reports failure so that the framework goes
// straight to ExitInstance without a message loop of its own.
BOOL LauncherApp::InitInstance() {
    // A path on a removable drive without its medium, or on a drive that is
    // gone, fails at once instead of raising the system's "no disk" box,
    // which would hold the window's thread (or the icon worker) until
    // someone answers it.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS);
    if (AnotherCopyRuns())
        return FALSE;
    SetUpPaths();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's icon lookup and its open functions need COM on the calling
    // thread; without OLE1 DDE, as the shell asks of its callers.
    SystemCalls& calls = System();
    HRESULT com = calls.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SetPromptFunction(ShowStorePrompt);

    int workersLeftBefore = IconResolver::WorkersLeftBehind();
    {
        SettingsWindow window(platform);
        window.Create();
        accelTable =
            LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
        RunMessageLoop(window);
        // The window is gone, and with it everything the program saves at
        // its end: another copy may start at once, while the window object
        // still waits for the icon workers.
        ReleaseSingleInstance();
    }
    // A worker still held in a look-up (a network path that does not
    // answer) may hold the shell's locks, which the libraries' ending would
    // wait for (for ever, under Wine): the process ends without them.
    if (IconResolver::WorkersLeftBehind() != workersLeftBefore)
        calls.terminateProcess(GetCurrentProcess(), 0);
    SetPromptFunction(nullptr);
    if (SUCCEEDED(com))
        calls.coUninitialize();
    return FALSE;
}

// A second copy gives up silently; the running one is not told. When the
// running copy is elevated, its mutex refuses this copy's access: it exists
// all the same, and this copy must not run beside it (each would overwrite
// the other's data file).
bool LauncherApp::AnotherCopyRuns() {
    SetLastError(ERROR_SUCCESS);
    mutexHandle = System().createMutex(nullptr, FALSE, kMutexName);
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || (!mutexHandle && error == ERROR_ACCESS_DENIED);
}

// The help file is the program file with the extension chm.
void LauncherApp::SetUpPaths() {
    SetHelpFilePath(ChmPathFor(HelpFilePath()));
    GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
}

// Takes every message of the thread until the window is gone. The settings
// window's shortcuts are the only keyboard handling added, for the window
// and its controls: keys typed in another window of the program (the
// search window) do not edit the entries. A quit message ends nothing. When the queue is empty the
// loop sleeps until the next message, so an idle program uses no processor time.
void LauncherApp::RunMessageLoop(const Window& window) {
    MSG msg;
    while (window.Handle()) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            bool forWindow = msg.hwnd == window.Handle() || IsChild(window.Handle(), msg.hwnd);
            if (!forWindow || !TranslateAcceleratorA(window.Handle(), accelTable, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }
        // An empty peek may still have delivered a message sent from another
        // thread or process, and that message may have destroyed the window
        // (the exit command; the close box with opt3). Sleeping then would
        // keep a process without a window alive, holding the mutex.
        if (window.Handle())
            System().waitMessage();
    }
}

std::string LauncherApp::ChmPathFor(std::string defaultHelpPath) {
    if (defaultHelpPath.size() >= 3)
        defaultHelpPath.replace(defaultHelpPath.size() - 3, 3, "chm");
    return defaultHelpPath;
}

int LauncherApp::ExitInstance() {
    ReleaseSingleInstance();
    return Application::ExitInstance();
}

void LauncherApp::ReleaseSingleInstance() {
    if (!mutexHandle)
        return;
    ReleaseMutex(mutexHandle);
    CloseHandle(mutexHandle);
    mutexHandle = nullptr;
}

void LauncherApp::WinHelp(DWORD data, UINT command) {
    RouteHelpRequest(HelpFilePath().c_str(), data, command);
}
