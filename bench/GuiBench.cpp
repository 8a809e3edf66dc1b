// The settings window's own work with a full table, timed in-process under
// Wine: creating the window (its whole initialisation) and the time until
// its file icons have come from the worker thread, rebuilding the launcher
// menu, rebuilding the group tree (with the item list of the selected
// group), refilling the list on screen and Apply (commit, data file,
// launcher menu), each with the wait for the icons they asked for.
//
//   bench_gui FOLDER RESULT_FILE
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/Stats.h"
#include "settings/SettingsWindow.h"
#include "tray/LauncherMenu.h"
#include "tray/MenuOwner.h"
#include "ui/Application.h"

namespace {

constexpr int kRepeats = 15;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The file icons come from the resolver's worker thread, posted to the
// window's thread.
void WaitForIcons(IconResolver& icons) {
    while (!icons.Idle()) {
        Pump();
        if (!icons.Idle())
            WaitMessage();
    }
}

// The first run alone, then the median of the later ones.
void Time(FILE* out, const char* what, const std::function<void()>& action) {
    double start = Now();
    action();
    double first = Now() - start;
    std::vector<double> later;
    for (int i = 0; i < kRepeats; ++i) {
        start = Now();
        action();
        later.push_back(Now() - start);
        Pump();
    }
    Summary s = Summarise(later);
    std::fprintf(out, "in-process %-32s first %8.2f ms, later %8.2f ms (%.2f-%.2f)\n", what, first,
                 s.median, s.min, s.max);
}

// Opening the launcher menu and closing it once it is on screen: the menu
// loop tells the owner it is idle (WM_ENTERIDLE) only after the menu has
// been measured and painted. The owner's window procedure is wrapped to
// see that and to count and time the owner-draw messages (a hook would
// cost a call into the wine server per message).
WNDPROC ownerProc = nullptr;
int measureCount = 0;
int drawCount = 0;
double measureTime = 0;
double drawTime = 0;

LRESULT CALLBACK WatchMenu(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ENTERIDLE)
        EndMenu();
    if (msg != WM_MEASUREITEM && msg != WM_DRAWITEM)
        return CallWindowProcA(ownerProc, hwnd, msg, wParam, lParam);
    double start = Now();
    LRESULT result = CallWindowProcA(ownerProc, hwnd, msg, wParam, lParam);
    double spent = Now() - start;
    if (msg == WM_MEASUREITEM) {
        ++measureCount;
        measureTime += spent;
    } else {
        ++drawCount;
        drawTime += spent;
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_gui FOLDER RESULT_FILE\n");
        return 2;
    }
    std::string folder = argv[1];
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!bench::SeedFolder(folder, bench::FullTable(folder + "\\folders")))
        return 1;
    FILE* out = std::fopen(argv[2], "w");
    if (!out)
        return 1;

    Application app;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SettingsWindow window;
    window.Store().SetDirectory(folder);
    double start = Now();
    window.Create();
    std::fprintf(out, "in-process %-32s %8.2f ms\n", "settings window, 255 entries", Now() - start);
    WaitForIcons(window.Icons());
    std::fprintf(out, "in-process %-32s %8.2f ms\n", "  and until its icons have come",
                 Now() - start);
    Pump();
    window.Store().RestoreData();

    // A menu of its own starts with no icons known: its first build asks the
    // shell for every file, as every build did before icons were kept.
    LauncherMenu fresh;
    std::span<const LaunchEntry> committed{window.Store().GetCommittedData(0),
                                           static_cast<size_t>(window.Store().GetCommittedNum())};
    start = Now();
    fresh.Rebuild(committed, 0);
    std::fprintf(out, "in-process %-32s %8.2f ms\n", "launcher menu, no icons known yet",
                 Now() - start);
    WaitForIcons(fresh.Icons());
    std::fprintf(out, "in-process %-32s %8.2f ms\n", "  and until its icons have come",
                 Now() - start);
    Time(out, "RebuildLauncherMenu, 255 entries", [&] {
        window.RebuildLauncherMenu();
        WaitForIcons(window.Icons());
    });
    ownerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchMenu)));
    Time(out, "launcher menu, open and close", [&] {
        measureCount = drawCount = 0;
        measureTime = drawTime = 0;
        window.TrackLauncherMenu(100, 100);
        Pump();
    });
    std::fprintf(out,
                 "in-process   the last open: %d WM_MEASUREITEM in %.2f ms, %d WM_DRAWITEM in "
                 "%.2f ms\n",
                 measureCount, measureTime, drawCount, drawTime);
    // The same shape in plain string items, for scale.
    HMENU plain = CreatePopupMenu();
    for (int i = 0; i < 15; ++i) {
        HMENU sub = CreatePopupMenu();
        for (int j = 0; j < 15; ++j)
            AppendMenuA(sub, MF_STRING, 0x9000 + i * 16 + j, "entry of a group");
        AppendMenuA(plain, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "a group");
    }
    for (int i = 0; i < 15; ++i)
        AppendMenuA(plain, MF_STRING, 0x9100 + i, "an entry at the top");
    Time(out, "plain menu of that shape, open", [&] {
        TrackPopupMenu(plain, 0, 100, 100, 0, window.Handle(), nullptr);
        Pump();
    });
    DestroyMenu(plain);
    // The small window a tray menu is tracked for, shown in front and gone
    // again, without a menu: part of every opening of the launcher menu.
    Time(out, "the menu's own window, shown and gone", [&] {
        MenuOwner owner(window.Handle(), {100, 100});
        Pump();
    });
    SetWindowLongPtrA(window.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownerProc));
    Time(out, "RebuildTree, 255 entries", [&] { window.RebuildTree(); });
    // The list of the root (15 groups and 15 entries), refilled while the
    // window is on screen, as a selection in the tree refills it.
    window.Show(SW_SHOW);
    Pump();
    HTREEITEM root = window.GroupTree().Root();
    Time(out, "FillItemList, 30 rows, shown", [&] {
        window.FillItemList(root);
        UpdateWindow(window.ItemList().Handle());
    });
    window.Show(SW_HIDE);
    Pump();
    Time(out, "Apply, 255 entries", [&] {
        window.ApplyChanges();
        WaitForIcons(window.Icons());
    });
    std::fclose(out);
    return 0;
}
