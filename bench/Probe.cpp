// Starts each program the benchmark compares, fifteen fresh starts each,
// and measures it from outside: the time from launch until its window
// answers messages, and the time from launch until a click at that moment
// has the launcher menu on screen complete, every item's icon painted (read
// back from the screen). Five of the starts are followed further: the
// private and resident memory a second later, the processor time over ten
// seconds of idling and the private memory after them, and how long later
// openings of the menu take. Runs inside a Wine desktop, so the programs
// have a notification area; memory and processor time come from the Linux
// side of the Wine process (/proc through drive Z:).
//
// A sample that failed (a window that never answered, a menu that never
// opened or never showed its icons, a process whose memory could not be
// read) is kept out of the medians and counted: each line says how many
// samples it rests on.
//
//   bench_probe WORKDIR BRINDLEWAY_EXE FLOOR_EXE GUI_BENCH_EXE RESULT_FILE
//               [BASELINE_EXE]
//
// A baseline program (an earlier Brindleway.exe) is measured alongside,
// with the same tables, to compare a change.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/LinuxProcess.h"
#include "bench/Stats.h"

namespace {

constexpr UINT WM_TRAYNOTIFY = WM_APP + 1;
constexpr UINT kExitCommand = 0x8100;
// Every start is timed; the first kRuns of each program are also measured
// for memory, idle processor time and later openings. Start times under
// Wine swing by a factor of two from one start to the next, so they rest on
// more samples than the rest.
constexpr int kRuns = 5;
constexpr int kStarts = 15;
constexpr int kMenuOpens = 5;
constexpr DWORD kIdleMs = 10000;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Program {
    std::string label;
    std::string folder;
    std::string exe;
    std::string arguments;
    const char* windowClass = "";
    bool isFloor = false;
    int entries = 0;
    // A failed sample is kept as -1 and counted apart from the others.
    std::vector<double> launch, idle, completeMenu, privateKb, residentKb, cpuMs, idlePrivateKb,
        laterOpen;
};

Program MakeProgram(const char* label, const std::string& folder, const char* arguments,
                    bool isFloor, int entries) {
    Program program;
    program.label = label;
    program.folder = folder;
    program.arguments = arguments;
    program.windowClass = isFloor ? "BenchFloor" : "#32770";
    program.isFloor = isFloor;
    program.entries = entries;
    return program;
}

struct Found {
    DWORD pid;
    const char* windowClass;
    bool mustBeVisible;
    HWND hwnd;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != found->pid)
        return TRUE;
    if (found->mustBeVisible && !IsWindowVisible(hwnd))
        return TRUE;
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, found->windowClass) != 0)
        return TRUE;
    found->hwnd = hwnd;
    return FALSE;
}

HWND WindowOf(DWORD pid, const char* windowClass, bool visible) {
    Found found{pid, windowClass, visible, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

bool Answers(HWND hwnd) {
    DWORD_PTR reply = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &reply) != 0;
}

// The Linux process whose command line names the program file: Wine puts
// the Windows path of the program first in it.
std::string LinuxProcessOf(const std::string& exe) {
    std::string wanted = exe;
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), ::tolower);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return {};
    std::string result;
    do {
        if (data.cFileName[0] < '0' || data.cFileName[0] > '9')
            continue;
        std::string dir = std::string("Z:\\proc\\") + data.cFileName;
        std::string line = ReadWholeFile(dir + "\\cmdline");
        line = line.c_str();
        std::transform(line.begin(), line.end(), line.begin(), ::tolower);
        if (line.find(wanted) != std::string::npos) {
            result = dir;
            break;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return result;
}

double StatusKb(const std::string& status, const char* key) {
    size_t at = status.find(key);
    if (at == std::string::npos)
        return -1;
    return std::atof(status.c_str() + at + lstrlenA(key));
}

// Whether every item of the menu window shows an icon: the items of the
// launcher menu's top level are rows of one height with the icon at their
// left, so each row's icon column must hold a pixel other than the menu's
// colour. Read back from the screen, as the user sees it.
bool EveryRowHasItsIcon(HWND menu, int rows) {
    RECT client{};
    if (rows <= 0 || !GetClientRect(menu, &client) || client.bottom < rows)
        return false;
    POINT origin{0, 0};
    ClientToScreen(menu, &origin);
    const int width = 20;
    const int height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool complete = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        COLORREF menuColour = GetSysColor(COLOR_MENU);
        DWORD background =
            (GetRValue(menuColour) << 16) | (GetGValue(menuColour) << 8) | GetBValue(menuColour);
        const auto* pixels = static_cast<const DWORD*>(bits);
        complete = true;
        // The middle half of each row only: the menu's margins above the
        // first item shift the rows by a few pixels from an even split.
        for (int row = 0; row < rows && complete; ++row) {
            int top = row * height / rows;
            int bottom = (row + 1) * height / rows;
            bool icon = false;
            for (int y = top + (bottom - top) / 4; y < bottom - (bottom - top) / 4 && !icon; ++y)
                for (int x = 1; x < width && !icon; ++x)
                    icon = (pixels[y * width + x] & 0xFFFFFF) != background;
            complete = icon;
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return complete;
}

// Opens the launcher menu as a click on the icon does and waits until it
// is shown and has been painted (the program answers a message sent to the
// menu window only once the menu's own loop runs) and, when its rows show
// icons, until every row's icon is on screen. Closes it with Escape. -1
// when the menu did not open, or its icons did not all come, in 20 s.
double OpenMenu(DWORD pid, HWND window, int iconRows = 0) {
    double start = Now();
    PostMessageA(window, WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    HWND menu = nullptr;
    while (!(menu = WindowOf(pid, "#32768", true))) {
        if (Now() - start > 20000)
            return -1;
        Sleep(1);
    }
    Answers(menu);
    bool complete = true;
    while (iconRows > 0 && !EveryRowHasItsIcon(menu, iconRows)) {
        if (Now() - start > 20000) {
            complete = false;
            break;
        }
        Sleep(1);
    }
    double elapsed = complete ? Now() - start : -1;
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    while (WindowOf(pid, "#32768", true) && Now() - start < 20000)
        Sleep(5);
    Answers(window);
    return elapsed;
}

void EndProgram(const Program* program, HWND window, const PROCESS_INFORMATION& process) {
    if (window) {
        if (program->isFloor)
            PostMessageA(window, WM_CLOSE, 0, 0);
        else
            PostMessageA(window, WM_COMMAND, kExitCommand, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void RunOnce(Program* program, bool full) {
    std::string commandLine = "\"" + program->exe + "\" " + program->arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double start = Now();
    if (!CreateProcessA(program->exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, program->folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", program->exe.c_str());
        return;
    }
    HWND window = nullptr;
    while (!(window = WindowOf(process.dwProcessId, program->windowClass, false))) {
        if (Now() - start > 60000)
            break;
        Sleep(1);
    }
    bool answered = window && Answers(window);
    program->launch.push_back(answered ? Now() - start : -1);
    program->idle.push_back(WaitForInputIdle(process.hProcess, 60000) == 0 ? Now() - start : -1);
    // A click as soon as the window answers: the menu is complete once the
    // program's start is really over and every icon of its top level has
    // come, however early the window answered. The floor's plain menu has
    // no icons: it is complete once shown.
    if (program->entries > 0) {
        int iconRows = program->isFloor ? 0 : bench::kTopEntries + bench::kGroups;
        double open = answered ? OpenMenu(process.dwProcessId, window, iconRows) : -1;
        program->completeMenu.push_back(open < 0 ? -1 : Now() - start);
    }

    if (!full) {
        EndProgram(program, window, process);
        return;
    }
    Sleep(1000);
    std::string proc = LinuxProcessOf(program->exe);
    std::string status = proc.empty() ? std::string() : ReadWholeFile(proc + "\\status");
    program->privateKb.push_back(StatusKb(status, "RssAnon:"));
    program->residentKb.push_back(StatusKb(status, "VmRSS:"));
    double before = proc.empty() ? -1 : ProcessCpuMs(proc);
    Sleep(kIdleMs);
    double after = proc.empty() ? -1 : ProcessCpuMs(proc);
    program->cpuMs.push_back(before < 0 || after < 0 ? -1 : after - before);
    // What stays while the program waits in the tray: threads that had
    // work at the start may have ended by now.
    status = proc.empty() ? std::string() : ReadWholeFile(proc + "\\status");
    program->idlePrivateKb.push_back(StatusKb(status, "RssAnon:"));
    if (window && program->entries > 0) {
        for (int i = 1; i < kMenuOpens; ++i)
            program->laterOpen.push_back(OpenMenu(process.dwProcessId, window));
    }
    EndProgram(program, window, process);
}

void Prepare(Program* program, const std::string& source) {
    CreateDirectoryA(program->folder.c_str(), nullptr);
    std::string name = source.substr(source.find_last_of("\\/") + 1);
    program->exe = program->folder + "\\" + name;
    CopyFileA(source.c_str(), program->exe.c_str(), FALSE);
}

// The samples that did not fail.
std::vector<double> Good(const std::vector<double>& samples) {
    std::vector<double> good;
    for (double value : samples)
        if (value >= 0)
            good.push_back(value);
    return good;
}

// One cell: the median of the good samples with their spread and number
// (and how many failed), then the ratio to the floor's median and the
// difference from it.
void Report(FILE* out, const char* what, const char* unit, const Program& program,
            const std::vector<double> Program::*samples, const Program* floor) {
    const std::vector<double>& all = program.*samples;
    if (all.empty())
        return;
    std::vector<double> values = Good(all);
    size_t failed = all.size() - values.size();
    char count[32];
    if (failed)
        std::snprintf(count, sizeof count, "n=%zu, %zu failed", values.size(), failed);
    else
        std::snprintf(count, sizeof count, "n=%zu", values.size());
    if (values.empty()) {
        std::fprintf(out, "%-10s %-28s       --- %-3s  (%s)\n", program.label.c_str(), what, unit,
                     count);
        return;
    }
    Summary s = Summarise(values);
    std::fprintf(out, "%-10s %-28s %9.1f %-3s  (%.1f-%.1f, %s)", program.label.c_str(), what,
                 s.median, unit, s.min, s.max, count);
    std::vector<double> base = floor ? Good(floor->*samples) : std::vector<double>{};
    if (!base.empty()) {
        double median = Summarise(base).median;
        if (median > 0)
            std::fprintf(out, "  x%.2f of %s, %+.1f %s", s.median / median, floor->label.c_str(),
                         s.median - median, unit);
        else
            std::fprintf(out, "  %+.1f %s from %s", s.median - median, unit, floor->label.c_str());
    }
    std::fprintf(out, "\n");
}

std::string FileSizeText(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "?";
    char text[64];
    std::snprintf(text, sizeof text, "%lu bytes (%.0f KiB)", data.nFileSizeLow,
                  data.nFileSizeLow / 1024.0);
    return text;
}

// The in-process measures run in a process of their own and write their
// lines to a file, which goes into the results.
void RunGuiBench(const std::string& exe, const std::string& folder, FILE* out) {
    std::string resultFile = folder + "\\gui-bench.txt";
    std::string commandLine = "\"" + exe + "\" \"" + folder + "\" \"" + resultFile + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::fprintf(out, "cannot start %s\n", exe.c_str());
        return;
    }
    WaitForSingleObject(process.hProcess, 300000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::fputs(ReadWholeFile(resultFile).c_str(), out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: bench_probe WORKDIR BRINDLEWAY_EXE FLOOR_EXE GUI_BENCH_EXE "
                             "RESULT_FILE [BASELINE_EXE]\n");
        return 2;
    }
    std::string work = argv[1];
    CreateDirectoryA(work.c_str(), nullptr);
    std::vector<LaunchEntry> table = bench::FullTable(work + "\\folders");

    Program floor0 = MakeProgram("floor-0", work + "\\floor0", "0 0 0", true, 0);
    Program floor255 = MakeProgram("floor-255", work + "\\floor255", "15 15 15", true, 255);
    Program empty = MakeProgram("bw-empty", work + "\\bwempty", "", false, 0);
    Program full = MakeProgram("bw-255", work + "\\bw255", "", false, 255);
    Prepare(&floor0, argv[3]);
    Prepare(&floor255, argv[3]);
    Prepare(&empty, argv[2]);
    Prepare(&full, argv[2]);
    bench::SeedFolder(empty.folder, {});
    bench::SeedFolder(full.folder, table);
    std::vector<Program*> programs = {&floor0, &empty, &floor255, &full};

    Program oldEmpty = MakeProgram("old-empty", work + "\\oldempty", "", false, 0);
    Program oldFull = MakeProgram("old-255", work + "\\old255", "", false, 255);
    if (argc == 7) {
        Prepare(&oldEmpty, argv[6]);
        Prepare(&oldFull, argv[6]);
        bench::SeedFolder(oldEmpty.folder, {});
        bench::SeedFolder(oldFull.folder, table);
        programs.push_back(&oldEmpty);
        programs.push_back(&oldFull);
    }

    // Round by round, so that a slow moment of the machine touches every
    // program alike.
    for (int run = 0; run < kStarts; ++run)
        for (Program* program : programs)
            RunOnce(program, run < kRuns);

    FILE* out = std::fopen(argv[5], "w");
    if (!out)
        return 1;
    std::fprintf(out, "Brindleway.exe: %s\n", FileSizeText(argv[2]).c_str());
    if (argc == 7)
        std::fprintf(out, "baseline:       %s\n", FileSizeText(argv[6]).c_str());
    std::fprintf(out, "\n");
    std::fprintf(out,
                 "Fresh starts under Wine, %d each (%d of them measured beyond the start); "
                 "median (min-max, samples), ratio to the floor and difference from it\n",
                 kStarts, kRuns);
    for (Program* program : programs) {
        const Program* base = program->isFloor ? nullptr : (program->entries ? &floor255 : &floor0);
        Report(out, "launch->answers", "ms", *program, &Program::launch, base);
        Report(out, "launch->input idle", "ms", *program, &Program::idle, base);
        Report(out, "launch->menu with its icons", "ms", *program, &Program::completeMenu, base);
        Report(out, "private (RssAnon)", "KiB", *program, &Program::privateKb, base);
        Report(out, "resident (VmRSS)", "KiB", *program, &Program::residentKb, base);
        Report(out, "CPU over 10 s idle", "ms", *program, &Program::cpuMs, base);
        Report(out, "private after 10 s idle", "KiB", *program, &Program::idlePrivateKb, base);
        Report(out, "menu, later opens", "ms", *program, &Program::laterOpen, base);
    }
    std::fprintf(out, "\n");
    CreateDirectoryA((work + "\\gui").c_str(), nullptr);
    RunGuiBench(argv[4], work + "\\gui", out);
    std::fclose(out);
    return 0;
}
