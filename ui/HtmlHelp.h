// The program's single way into HTML Help. The help control is loaded at
// the first request; when it cannot be loaded every request does nothing.
#pragma once

#include <windows.h>

// HTML Help commands the program uses.
constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_DISPLAY_TOC = 0x0001;
constexpr UINT HH_DISPLAY_INDEX = 0x0002;
constexpr UINT HH_DISPLAY_SEARCH = 0x0003;
constexpr UINT HH_HELP_CONTEXT = 0x000F;
constexpr UINT HH_TP_HELP_WM_HELP = 0x0011;

// Exactly the arguments and result of HtmlHelpA.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);
