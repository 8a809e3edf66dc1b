// Files for the drop tests, made on disk the way the user has them, and the
// drop block the shell hands a window that accepts dropped files.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

// A DROPFILES block in global memory as the shell makes it for an ANSI
// receiver: the header, then the paths one after another, each with its
// NUL, and a final NUL. point: where the drop happened, in client
// coordinates of the window that receives it (nonClient: in its frame).
inline HDROP MakeDrop(const std::vector<std::string>& paths, POINT point = {},
                      bool nonClient = false) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fNC = nonClient;
    header->fWide = FALSE;
    char* text = reinterpret_cast<char*>(header + 1);
    for (const std::string& path : paths) {
        std::memcpy(text, path.data(), path.size());
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The same for a receiver of wide names, as the shell makes it today: the
// names as the file system spells them.
inline HDROP MakeWideDrop(const std::vector<std::wstring>& paths, POINT point = {}) {
    size_t size = sizeof(DROPFILES) + sizeof(wchar_t);
    for (const std::wstring& path : paths)
        size += (path.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.data(), path.size() * sizeof(wchar_t));
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Sends the drop to the window as the system delivers it; the window frees it.
inline void DropOnto(HWND window, const std::vector<std::string>& paths, POINT point = {},
                     bool nonClient = false) {
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, point, nonClient)),
                 0);
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// An Internet shortcut as browsers save it; address empty: a file without one.
inline void WriteInternetShortcut(const std::string& path, const std::string& address) {
    std::string text = "[InternetShortcut]\r\n";
    if (!address.empty())
        text += "URL=" + address + "\r\n";
    WriteFileText(path, text);
}

// A shortcut (.lnk) to target, made by the shell's own link object.
inline bool WriteShortcut(const std::string& path, const std::string& target) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    bool saved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            saved = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return saved;
}

// A message's text with its line breaks taken out: long paths are shown in
// several lines.
inline std::string Unwrapped(std::string text) {
    std::string joined;
    for (char c : text)
        if (c != '\n')
            joined += c;
    return joined;
}
