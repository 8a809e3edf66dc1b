#include "ui/MessageBox.h"

#include "ui/Application.h"
#include "ui/WideText.h"

int ShowMessage(const char* text, UINT type, HWND owner) {
    Application& app = Application::Instance();
    if (!owner)
        owner = app.MainWindow();
    ModalScope scope;
    return MessageBoxA(owner, text, app.Name(), type);
}

int ShowMessage(const std::wstring& text, UINT type, HWND owner) {
    Application& app = Application::Instance();
    if (!owner)
        owner = app.MainWindow();
    std::wstring caption = WideOf(app.Name());
    ModalScope scope;
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

int ShowPrompt(UINT stringId, UINT type, HWND owner) {
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), stringId, text, sizeof text);

    Application& app = Application::Instance();
    DWORD previous = app.PromptContext();
    app.SetPromptContext(PromptHelpContext(stringId));
    int answer = ShowMessage(text, type, owner);
    app.SetPromptContext(previous);
    return answer;
}
