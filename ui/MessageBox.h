// Message boxes of the program: captioned with the program's name, owned by
// the main window, and counted as modal while they are open.
#pragma once

#include <windows.h>

#include <string>

// A message from a literal text.
int ShowMessage(const char* text, UINT type, HWND owner = nullptr);
// The same from wide text, for names that have no form in the ANSI code
// page.
int ShowMessage(const std::wstring& text, UINT type, HWND owner = nullptr);

// A prompt from the string table. While it is open the application's prompt
// help context is 0x30000 + the string id, so F1 opens that help topic.
int ShowPrompt(UINT stringId, UINT type, HWND owner = nullptr);

// The help context a prompt for the string id carries.
constexpr DWORD PromptHelpContext(UINT stringId) {
    return 0x30000u + stringId;
}
