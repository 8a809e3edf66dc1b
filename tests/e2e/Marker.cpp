// A launch target for the end-to-end test: leaves a marker file next to
// itself, so the test can see that the launcher ran it. The arguments it
// was given follow, one a line (a URL handed over by the shell, say). It is
// built as a windowed program: a console program gets a console of its own
// in the Wine desktop, which takes the focus from the settings window.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string marker = path;
    marker.erase(marker.find_last_of('\\') + 1);
    marker += "marker.txt";
    FILE* file = std::fopen(marker.c_str(), "w");
    if (!file)
        return 1;
    std::fputs("launched\n", file);
    for (int i = 1; i < argc; ++i) {
        std::fputs(argv[i], file);
        std::fputs("\n", file);
    }
    std::fclose(file);
    return 0;
}
