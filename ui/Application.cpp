#include "ui/Application.h"

#include <mbctype.h>

#include <cstring>

namespace {
Application* instance = nullptr;
}

// The module's path with its extension replaced by ".HLP". The last
// separator is found by characters: 0x5C is also the second byte of 表, 能
// or ソ, so a byte-wise search could take a name's extension for a folder's.
std::string Application::HelpPathFor(const std::string& modulePath) {
    const char* path = modulePath.c_str();
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    std::string help = modulePath;
    size_t dot = help.rfind('.');
    if (dot != std::string::npos && dot >= static_cast<size_t>(name - path))
        help.erase(dot);
    return help + ".HLP";
}

Application::Application() : previous_(instance) {
    instance = this;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    modulePath_ = path;

    const char* base = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            base = p + 1;
    name_ = base;
    size_t dot = name_.rfind('.');
    if (dot != std::string::npos)
        name_.erase(dot);

    helpFilePath_ = HelpPathFor(modulePath_);

    // F1 inside a message prompt comes through the dialog-box message filter.
    filterHook_ = SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
}

Application::~Application() {
    if (filterHook_)
        UnhookWindowsHookEx(filterHook_);
    if (instance == this)
        instance = previous_;
}

Application& Application::Instance() {
    return *instance;
}

int Application::Run() {
    // Every multibyte string function works in the system's ANSI code page,
    // as the program's texts do.
    _setmbcp(_MB_CP_ANSI);
    if (InitInstance()) {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

void Application::WinHelp(DWORD, UINT) {}

LRESULT CALLBACK Application::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && instance && instance->promptContext_ != 0 &&
        msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
        instance->WinHelp(instance->promptContext_, HELP_CONTEXT);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
