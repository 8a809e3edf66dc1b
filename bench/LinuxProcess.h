// The Linux side of a Wine process, read through drive Z:: the process is
// found by its command line, where Wine puts the Windows program's path
// and arguments; its private and resident memory and processor time come
// from its /proc files. (/proc/self would be the Wine server's: the server
// opens the files.)
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

inline std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

inline std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

// The /proc folder (as a Windows path) of the Linux process whose command
// line holds every one of the texts, in any case; not the shell script
// that started it under Wine (tools/wine-run), whose command line holds
// them too. Empty when there is none.
inline std::string LinuxProcessOf(const std::vector<std::string>& texts) {
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
        std::replace(line.begin(), line.end(), '\0', ' ');
        line = Lower(line);
        if (line.find("wine-run") != std::string::npos)
            continue;
        if (std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
                return line.find(Lower(text)) != std::string::npos;
            })) {
            result = dir;
            break;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return result;
}

// A "Key:   1234 kB" figure of the process's status; -1 when it cannot be
// read (the process has gone).
inline double ProcessStatusKb(const std::string& proc, const char* key) {
    if (proc.empty())
        return -1;
    std::string status = ReadWholeFile(proc + "\\status");
    size_t at = status.find(key);
    if (at == std::string::npos)
        return -1;
    return std::atof(status.c_str() + at + std::strlen(key));
}

// utime + stime of the process, in milliseconds (the kernel counts in
// hundredths of a second); -1 when it cannot be read.
inline double ProcessCpuMs(const std::string& proc) {
    std::string stat = ReadWholeFile(proc + "\\stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    // Fields after the name: state is field 3, utime 14, stime 15.
    const char* p = stat.c_str() + close + 2;
    long long fields[13] = {};
    p = std::strchr(p, ' ');
    for (int i = 0; i < 13 && p; ++i) {
        fields[i] = std::atoll(p + 1);
        p = std::strchr(p + 1, ' ');
    }
    return 10.0 * static_cast<double>(fields[10] + fields[11]);
}
