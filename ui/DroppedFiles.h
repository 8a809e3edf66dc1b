// Files and folders dropped onto a window from Explorer or another program:
// accepting them, reading the drop, and reading an Internet shortcut.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// Makes the window accept dropped files (WS_EX_ACCEPTFILES) and lets the
// drop's messages through from programs of a lower integrity level, so that
// a launcher started elevated still takes drops from the user's Explorer.
// Systems without the message filter simply skip that part.
void AcceptDroppedFiles(HWND window);

// A path held by a drop, read as the file system names it (wide), and its
// form in the program's ANSI code page; a name with a character that code
// page lacks has none, and is never changed into one that looks alike.
struct DroppedPath {
    std::wstring name;
    std::string path; // empty when hasAnsiForm is false
    bool hasAnsiForm = false;
};

// The paths held by the drop, in the order they were dropped, each whole
// however long it is.
std::vector<DroppedPath> DroppedPaths(HDROP drop);

// Where the drop happened, in client coordinates of the window that got
// WM_DROPFILES; false when it happened outside its client area.
bool DropPointInClient(HDROP drop, POINT* point);

// The address an Internet shortcut (.url) holds; empty when it holds none.
std::string InternetShortcutAddress(const std::string& path);
