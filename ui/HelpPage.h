// F1 in a window of the program: the help file opened at that window's page.
#pragma once

#include <windows.h>

#include <string>

// Opens the help file at one of its pages ("settings.html"), through the
// program's one way into HTML Help. No caller window is given, as for every
// other help request of the program: the help stays open when the window
// that asked closes.
HWND ShowHelpPage(const std::string& helpFile, const char* page);

// Whether a help request (WM_HELP) comes from the window itself: F1 on the
// window, on one of its controls or in its menu bar. The system passes a
// request that a window leaves unanswered on to its owner, so a window also
// gets those of the dialogs and message boxes it owns, which are not its own.
bool IsOwnHelpRequest(HWND window, const HELPINFO* info);
