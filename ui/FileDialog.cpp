#include "ui/FileDialog.h"

#include <commdlg.h>

#include "ui/Application.h"

std::string FilterFromPipes(const char* pipeFilter) {
    // Only a single-byte '|' separates: the trail byte of a double-byte
    // character may be 0x7C too (ポ), so the source is walked by characters.
    // The result is built apart from the source: a walk by characters stops
    // at a NUL, so it could not go on past a '|' already replaced in place.
    std::string filter;
    for (const char* p = pipeFilter; *p;) {
        const char* next = CharNextA(p);
        if (*p == '|')
            filter.push_back('\0');
        else
            filter.append(p, next);
        p = next;
    }
    return filter;
}

bool ChooseFileToOpen(HWND owner, const char* pipeFilter, DWORD flags, std::string* path,
                      std::string* fileName) {
    std::string filter = FilterFromPipes(pipeFilter);
    char file[MAX_PATH] = {};
    char title[MAX_PATH] = {};

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.Flags = flags;

    ModalScope scope;
    if (!GetOpenFileNameA(&ofn))
        return false;
    *path = file;
    *fileName = title;
    return true;
}
