// Where a start's time and memory go, step by step in a fresh process:
// the common controls, the shell's system image list, the shell's icon
// lookups (a first one, then distinct files, folders, the same path again,
// the URL icon), the dialog template and the launcher menu's build. Each
// step is timed, with the private memory (RssAnon of the Linux process)
// after it.
//
//   bench_breakdown FOLDER RESULT_FILE
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "resource.h"
#include "tray/LauncherMenu.h"
#include "ui/ShellIcons.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The process's private memory as Linux counts it, in KiB.
double PrivateKb() {
    HANDLE file = CreateFileA("Z:\\proc\\self\\status", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    size_t at = text.find("RssAnon:");
    return at == std::string::npos ? -1 : std::atof(text.c_str() + at + 8);
}

class Steps {
public:
    explicit Steps(FILE* out) : out_(out), memory_(PrivateKb()) {
        std::fprintf(out_, "breakdown  %-44s %9s %9s\n", "step", "ms", "+KiB");
        std::fprintf(out_, "breakdown  %-44s %9s %9.0f\n", "in main (process started)", "",
                     memory_);
    }
    void Start() { start_ = Now(); }
    void Done(const char* what, int count = 1) {
        double spent = Now() - start_;
        double memory = PrivateKb();
        if (count > 1)
            std::fprintf(out_, "breakdown  %-44s %9.2f %9.0f  (%d, %.2f ms each)\n", what, spent,
                         memory - memory_, count, spent / count);
        else
            std::fprintf(out_, "breakdown  %-44s %9.2f %9.0f\n", what, spent, memory - memory_);
        memory_ = memory;
    }

private:
    FILE* out_;
    double memory_;
    double start_ = 0;
};

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

    steps.Start();
    LauncherMenu menu;
    menu.Rebuild(table, 0);
    steps.Done("launcher menu of 255 entries (icons known)");

    steps.Start();
    std::vector<char> scale(4 << 20, 1);
    steps.Done("4 MiB written, for scale");

    DestroyWindow(dialog);
    (void)list;
    std::fclose(out);
    return 0;
}
