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

// Code page 932's half-width katakana and marks, A1..DF, as their full-width
// characters (｡ as 。, ｶ as カ, ﾞ as ゛).
constexpr unsigned short kFullWidthOfHalfWidthKana[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};
constexpr unsigned kHalfWidthKanaFirst = 0xA1;
constexpr unsigned kHalfWidthKanaLast = 0xDF;

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
    if (!IsShiftJis(codePage))
        return c;
    if (c >= kHalfWidthKanaFirst && c <= kHalfWidthKanaLast)
        return kFullWidthOfHalfWidthKana[c - kHalfWidthKanaFirst];
    if (c < kFullWidthDigitZero || c > kFullWidthSmallZ)
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
