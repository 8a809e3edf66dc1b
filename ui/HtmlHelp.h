// The program's single way into HTML Help. The help control is loaded at
// the first request; when it cannot be loaded every request does nothing.
#pragma once

#include <windows.h>

// The commands and structures of HTML Help (HH_DISPLAY_TOC, HH_FTS_QUERY,
// ...) as the system declares them, so that they have the help control's
// layout in the 32-bit and the 64-bit program alike. The control itself is
// loaded at run time, never linked.
#include <htmlhelp.h>

// Exactly the arguments and result of HtmlHelpA.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);
