// Where a start's time and memory go, step by step in a fresh process:
// the common controls, the shell's system image list, the shell's icon
// lookups (a first one, then distinct files, folders, the same path again,
// the URL icon), the dialog template and the launcher menu's build (on the
// window's thread, then until the worker's icons have come). Each
// step is timed. (Memory is measured from outside by the probe: the
// process's own /proc status, read through Wine, did not change here even
// after 4 MiB were written.)
//
//   bench_breakdown FOLDER RESULT_FILE
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "resource.h"
#include "store/ItemStore.h"
#include "tray/LauncherMenu.h"
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
    explicit Steps(FILE* out) : out_(out) {}
    void Start() { start_ = Now(); }
    void Done(const char* what, int count = 1) {
        double spent = Now() - start_;
        if (count > 1)
            std::fprintf(out_, "breakdown  %-44s %9.2f ms  (%d, %.2f ms each)\n", what, spent,
                         count, spent / count);
        else
            std::fprintf(out_, "breakdown  %-44s %9.2f ms\n", what, spent);
    }

private:
    FILE* out_;
    double start_ = 0;
};

// The file icons come from the resolver's worker thread, posted to this
// thread.
void WaitForIcons(IconResolver& icons) {
    MSG msg;
    while (!icons.Idle()) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (!icons.Idle())
            WaitMessage();
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_breakdown FOLDER RESULT_FILE\n");
        return 2;
    }
    CreateDirectoryA(argv[1], nullptr);
    std::vector<LaunchEntry> table = bench::FullTable(std::string(argv[1]) + "\\folders");
    FILE* out = std::fopen(argv[2], "w");
    if (!out)
        return 1;
    Steps steps(out);

    steps.Start();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    steps.Done("InitCommonControlsEx");

    steps.Start();
    HIMAGELIST list = SmallSystemImageList();
    steps.Done("the shell's small system image list");

    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    steps.Start();
    SmallIconIndex(program);
    steps.Done("first icon lookup (the program file)");

    std::vector<const LaunchEntry*> files, folders;
    for (const LaunchEntry& entry : table) {
        if (entry.kind != KIND_FILE)
            continue;
        (GetFileAttributesA(entry.path) & FILE_ATTRIBUTE_DIRECTORY ? folders : files)
            .push_back(&entry);
    }
    steps.Start();
    for (const LaunchEntry* entry : files)
        SmallIconIndex(entry->path);
    steps.Done("icon lookups, distinct files", static_cast<int>(files.size()));
    steps.Start();
    for (const LaunchEntry* entry : files)
        SmallIconIndex(entry->path);
    steps.Done("the same files again", static_cast<int>(files.size()));
    steps.Start();
    for (const LaunchEntry* entry : folders)
        SmallIconIndex(entry->path);
    steps.Done("icon lookups, folders", static_cast<int>(folders.size()));
    steps.Start();
    for (int i = 0; i < 30; ++i)
        SmallIconIndex(".url", 0, SHGFI_USEFILEATTRIBUTES);
    steps.Done("the URL icon (no file system)", 30);
    steps.Start();
    for (int i = 0; i < 30; ++i)
        GetFileAttributesA(files[static_cast<size_t>(i) % files.size()]->path);
    steps.Done("GetFileAttributesA of a file, for scale", 30);

    steps.Start();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                     nullptr, QuietDialog, 0);
    steps.Done("the settings dialog from its template");

    // The menu is built from the table in tree order, with the ids the
    // store gives; its first build asks the shell for every file again.
    ItemStore store;
    for (const LaunchEntry& entry : table)
        store.InsertData(entry, -1);
    std::vector<LaunchEntry> treeOrder(store.GetData(0), store.GetData(0) + store.GetDataNum());
    LauncherMenu menu;
    steps.Start();
    menu.Rebuild(treeOrder, 0);
    steps.Done("launcher menu of 255 entries, first build");
    WaitForIcons(menu.Icons());
    steps.Done("  and until its icons have come");
    steps.Start();
    menu.Rebuild(treeOrder, 0);
    steps.Done("launcher menu of 255 entries, next build");
    WaitForIcons(menu.Icons());
    steps.Done("  and until its files were looked at");

    DestroyWindow(dialog);
    (void)list;
    std::fclose(out);
    return 0;
}
