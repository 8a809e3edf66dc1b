// A launch target for the end-to-end test: leaves a marker file next to
// itself, so the test can see that the launcher ran it. The arguments it
// was given follow, one a line (a document or a URL handed over by the
// shell, say), and last "cwd: " with the working directory it started in.
// It is built as a windowed program: a console program gets a console of
// its own in the Wine desktop, which takes the focus from the settings window.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    // Written under another name first: the test reads the marker as soon as
    // it appears, so it must appear complete.
    std::string partial = folder + "marker.tmp";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (!file)
        return 1;
    std::fputs("launched\n", file);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "%s\n", argv[i]);
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    std::fprintf(file, "cwd: %s\n", directory);
    std::fclose(file);
    std::string marker = folder + "marker.txt";
    return MoveFileExA(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
