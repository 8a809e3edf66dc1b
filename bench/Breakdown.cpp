// Where a start's time and memory go, step by step in a fresh process: the
// common controls, COM, the settings dialog from its template (under Wine
// the first window also sets up the window system and the theme), the
// shell's answers (where a path's icon comes from: a first one, then
// distinct files, the same files again, folders, the URL type) and the
// icons taken from there, the launcher menu's build (on the window's
// thread, then until the workers' icons have come), the icon paints kept
// by the owner drawing, a thread that does nothing, and last, for
// comparison, the shell's system image list, which the program no longer
// uses. Each step is timed, with the process's private memory (RssAnon)
// after it: the Linux process is found through drive Z: by its command
// line (/proc/self would be the Wine server's, which opens files).
//
//   bench_breakdown FOLDER RESULT_FILE
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/LinuxProcess.h"
#include "resource.h"
#include "store/ItemStore.h"
#include "tray/LauncherMenu.h"
#include "tray/OwnerDraw.h"
#include "ui/ShellIcons.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class Steps {
public:
    Steps(FILE* out, std::string process) : out_(out), process_(std::move(process)) {
        memory_ = Memory();
        std::fprintf(out_, "breakdown  %-46s %9s     %8.0f KiB private\n", "the process as started",
                     "", memory_);
    }
    void Start() { start_ = Now(); }
    void Done(const char* what, int count = 1) {
        double spent = Now() - start_;
        double memory = Memory();
        char each[64] = "";
        if (count > 1)
            std::snprintf(each, sizeof each, "  (%d, %.2f ms each)", count, spent / count);
        std::fprintf(out_, "breakdown  %-46s %9.2f ms  %+8.0f KiB%s\n", what, spent,
                     memory - memory_, each);
        memory_ = memory;
    }

private:
    double Memory() const { return ProcessStatusKb(process_, "RssAnon:"); }

    FILE* out_;
    std::string process_;
    double start_ = 0;
    double memory_ = 0;
};

// The file icons come from the resolver's workers, posted to this thread.
void WaitForIcons(IconResolver& icons) {
    MSG msg;
    while (!icons.Idle()) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (!icons.Idle())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

DWORD WINAPI Idle(void* stop) {
    WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
    return 0;
}

// Draws every item of the menu and its submenus, plain and selected, into
// a 32-bit bitmap, as a menu's window would.
int DrawEveryItem(HMENU menu, IconResolver& icons, HDC dc) {
    int drawn = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_DATA | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.hSubMenu)
            drawn += DrawEveryItem(item.hSubMenu, icons, dc);
        for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_MENU;
            draw.itemAction = ODA_DRAWENTIRE;
            draw.itemState = state;
            draw.hDC = dc;
            draw.rcItem = {0, 0, 200, 24};
            draw.itemData = item.dwItemData;
            DrawMenuItem(&draw, icons, 96);
            ++drawn;
        }
    }
    return drawn;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_breakdown FOLDER RESULT_FILE\n");
        return 2;
    }
    FILE* out = std::fopen(argv[2], "w");
    if (!out)
        return 1;
    Steps steps(out, LinuxProcessOf({"bench_breakdown", argv[2]}));

    CreateDirectoryA(argv[1], nullptr);
    std::vector<LaunchEntry> table = bench::FullTable(std::string(argv[1]) + "\\folders");
    std::vector<std::string> files, folders;
    for (const LaunchEntry& entry : table) {
        if (entry.kind != KIND_FILE)
            continue;
        (GetFileAttributesA(entry.path) & FILE_ATTRIBUTE_DIRECTORY ? folders : files)
            .push_back(entry.path);
    }

    steps.Start();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    steps.Done("InitCommonControlsEx");

    steps.Start();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    steps.Done("CoInitializeEx");

    steps.Start();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                     nullptr, QuietDialog, 0);
    steps.Done("the settings dialog from its template");

    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    steps.Start();
    PathIconSource(program);
    steps.Done("first icon location (the program file)");

    std::set<std::string> sources;
    steps.Start();
    for (const std::string& path : files)
        sources.insert(PathIconSource(path.c_str()).Key());
    steps.Done("icon locations, distinct files", static_cast<int>(files.size()));
    std::fprintf(out, "breakdown    (%zu distinct sources among them)\n", sources.size());
    steps.Start();
    for (const std::string& path : files)
        PathIconSource(path.c_str());
    steps.Done("the same files again", static_cast<int>(files.size()));
    steps.Start();
    for (const std::string& path : folders)
        PathIconSource(path.c_str());
    steps.Done("icon locations, folders", static_cast<int>(folders.size()));
    steps.Start();
    for (int i = 0; i < 30; ++i)
        PathIconSource(".url", 0, SHGFI_USEFILEATTRIBUTES);
    steps.Done("the URL type's icon location", 30);
    steps.Start();
    for (int i = 0; i < 30; ++i)
        GetFileAttributesA(files[static_cast<size_t>(i) % files.size()].c_str());
    steps.Done("GetFileAttributesA of a file, for scale", 30);
    steps.Start();
    std::vector<Icon> icons;
    for (size_t i = 0; i < files.size() && i < 30; ++i)
        icons.push_back(IconFromSource(PathIconSource(files[i].c_str()), 16));
    steps.Done("icons taken at 16 px (location and image)", static_cast<int>(icons.size()));
    icons.clear();

    // The menu is built from the table in tree order, with the ids the
    // store gives; its first build asks the shell for every file.
    ItemStore store;
    for (const LaunchEntry& entry : table)
        store.InsertData(entry, -1);
    std::vector<LaunchEntry> treeOrder(store.GetData(0), store.GetData(0) + store.GetDataNum());
    {
        LauncherMenu menu;
        steps.Start();
        menu.Rebuild(treeOrder, IconResolver::kFolderIcon);
        steps.Done("launcher menu of 255 entries, first build");
        WaitForIcons(menu.Icons());
        steps.Done("  and until its icons have come (a worker)");
        steps.Start();
        menu.Rebuild(treeOrder, IconResolver::kFolderIcon);
        steps.Done("launcher menu of 255 entries, next build");
        WaitForIcons(menu.Icons());
        steps.Done("  and until its files were looked at");

        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 200;
        info.bmiHeader.biHeight = -24;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        steps.Start();
        int drawn = DrawEveryItem(menu.Handle(), menu.Icons(), dc);
        steps.Done("every item drawn, plain and selected", drawn);
        std::fprintf(out, "breakdown    (%zu icon paints kept)\n", KeptIconPaints());
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ForgetMenuPaintsAndWidths();
    }

    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    steps.Start();
    HANDLE thread = CreateThread(nullptr, 0, Idle, stop, 0, nullptr);
    Sleep(200);
    steps.Done("a thread that waits (200 ms)");
    SetEvent(stop);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(stop);

    SHFILEINFOA shell{};
    steps.Start();
    SHGetFileInfoA("", FILE_ATTRIBUTE_DIRECTORY, &shell, sizeof shell,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    steps.Done("for comparison: the shell's system image list");

    DestroyWindow(dialog);
    std::fclose(out);
    return 0;
}
