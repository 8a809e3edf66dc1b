#include "ui/FileDialog.h"

#include <commdlg.h>

#include "ui/Application.h"
#include "ui/WideText.h"

namespace {

using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// The common dialogs are loaded when the dialog is first wanted, from the
// system folder: a start that never browses does without them and the
// printing libraries they bring in (under Wine some 0.8 MB and thirty Linux
// libraries at every start).
GetOpenFileNameFn OpenFileNameFunction() {
    static GetOpenFileNameFn function = [] {
        char path[MAX_PATH] = {};
        UINT length = GetSystemDirectoryA(path, MAX_PATH);
        if (length == 0 || length + sizeof "\\comdlg32.dll" > MAX_PATH)
            return GetOpenFileNameFn{};
        lstrcatA(path, "\\comdlg32.dll");
        HMODULE module = LoadLibraryA(path);
        return module ? reinterpret_cast<GetOpenFileNameFn>(
                            reinterpret_cast<void*>(GetProcAddress(module, "GetOpenFileNameW")))
                      : GetOpenFileNameFn{};
    }();
    return function;
}

} // namespace

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

// Read wide, as the file system names the file: the ANSI dialog would hand
// over "Cafe.pdf" for Café.pdf.
bool ChooseFileToOpen(HWND owner, const char* pipeFilter, DWORD flags, std::wstring* path,
                      std::wstring* fileName, const std::string& initialFolder) {
    std::wstring filter = WideOf(FilterFromPipes(pipeFilter));
    std::wstring folder = WideOf(initialFolder);
    wchar_t file[MAX_PATH] = {};
    wchar_t title[MAX_PATH] = {};

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.Flags = flags;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();

    GetOpenFileNameFn getOpenFileName = OpenFileNameFunction();
    if (!getOpenFileName)
        return false;
    ModalScope scope;
    if (!getOpenFileName(&ofn))
        return false;
    *path = file;
    *fileName = title;
    return true;
}
