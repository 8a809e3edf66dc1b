#include "ui/FileDialog.h"

#include <commdlg.h>

#include "ui/Application.h"

std::string FilterFromPipes(const char* pipeFilter) {
    std::string filter = pipeFilter;
    // Only single-byte '|' separate; a Shift-JIS trail byte is never 0x7C,
    // but walk by characters anyway so lead bytes are never split.
    for (char* p = filter.data(); *p; p = CharNextA(p))
        if (*p == '|')
            *p = '\0';
    filter.push_back('\0');
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
