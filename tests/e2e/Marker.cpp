// A launch target for the end-to-end test: leaves a marker file next to
// itself, so the test can see that the launcher ran it. After the first line
// the file names what it was given: "arg: " and each argument, then "cwd: "
// and the working directory, so a document's or a URL's handler can be seen
// to have received the right one.
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
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "arg: %s\n", argv[i]);
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    std::fprintf(file, "cwd: %s\n", directory);
    std::fclose(file);
    return 0;
}
