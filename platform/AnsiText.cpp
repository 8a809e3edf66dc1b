#include "platform/AnsiText.h"

#include "platform/Platform.h"

size_t LastCharacterStart(std::string_view text, unsigned codePage) {
    size_t start = 0;
    size_t next = 0;
    while (next < text.size()) {
        start = next;
        bool doubleByte =
            IsLeadByte(static_cast<unsigned char>(text[next]), codePage) && next + 1 < text.size();
        next += doubleByte ? 2 : 1;
    }
    return start;
}

bool EndsWithSeparator(std::string_view path) {
    if (path.empty())
        return false;
    size_t last = LastCharacterStart(path);
    if (last + 1 != path.size())
        return false; // a double-byte character, whatever its trail byte
    return path[last] == '\\' || path[last] == '/';
}

std::string JoinPath(const std::string& directory, std::string_view name) {
    std::string path = directory;
    if (!path.empty() && !EndsWithSeparator(path))
        path += kPathSeparator;
    path += name;
    return path;
}

size_t FileNameStart(std::string_view path) {
    size_t start = 0;
    size_t next = 0;
    while (next < path.size()) {
        bool doubleByte =
            IsLeadByte(static_cast<unsigned char>(path[next])) && next + 1 < path.size();
        if (!doubleByte && (path[next] == '\\' || path[next] == '/'))
            start = next + 1;
        next += doubleByte ? 2 : 1;
    }
    return start;
}

std::string_view WithoutExtension(std::string_view name) {
    size_t dot = std::string_view::npos;
    size_t next = 0;
    while (next < name.size()) {
        bool doubleByte =
            IsLeadByte(static_cast<unsigned char>(name[next])) && next + 1 < name.size();
        if (!doubleByte && name[next] == '.')
            dot = next;
        next += doubleByte ? 2 : 1;
    }
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return name;
    return name.substr(0, dot);
}
