#include "ui/MessageBox.h"

#include "ui/Application.h"

int ShowMessage(const char* text, UINT type, HWND owner) {
    Application& app = Application::Instance();
    if (!owner)
        owner = app.MainWindow();
    ModalScope scope;
    return MessageBoxA(owner, text, app.Name(), type);
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
