#include "platform/AnsiText.h"

#include "platform/Platform.h"

namespace {

// Code page 932's full-width digits ０..９ (82 4F..82 58), capitals Ａ..Ｚ
// (82 60..82 79) and small letters ａ..ｚ (82 81..82 9A).
constexpr unsigned kFullWidthDigitZero = 0x824F;
constexpr unsigned kFullWidthDigitNine = 0x8258;
constexpr unsigned kFullWidthCapitalA = 0x8260;
constexpr unsigned kFullWidthCapitalZ = 0x8279;
constexpr unsigned kFullWidthSmallA = 0x8281;
constexpr unsigned kFullWidthSmallZ = 0x829A;

} // namespace

unsigned ReadCharacter(const unsigned char*& p, unsigned codePage) {
    unsigned c = *p;
    if (c == 0)
        return 0;
    if (IsLeadByte(static_cast<unsigned char>(c), codePage)) {
        if (p[1] == 0)
            return 0;
        c = (c << 8) | p[1];
        p += 2;
        return c;
    }
    ++p;
    return c;
}

unsigned FoldCase(unsigned c, unsigned codePage) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 'a';
    if (IsShiftJis(codePage) && c >= kFullWidthCapitalA && c <= kFullWidthCapitalZ)
        return c - kFullWidthCapitalA + kFullWidthSmallA;
    return c;
}

unsigned FoldWidth(unsigned c, unsigned codePage) {
    if (c < kFullWidthDigitZero || c > kFullWidthSmallZ || !IsShiftJis(codePage))
        return c;
    if (c <= kFullWidthDigitNine)
        return c - kFullWidthDigitZero + '0';
    if (c >= kFullWidthCapitalA && c <= kFullWidthCapitalZ)
        return c - kFullWidthCapitalA + 'A';
    if (c >= kFullWidthSmallA)
        return c - kFullWidthSmallA + 'a';
    return c;
}

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
