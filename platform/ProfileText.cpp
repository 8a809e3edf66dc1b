#include "platform/ProfileText.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/AnsiText.h"

namespace profile_text {
namespace {

enum class LineKind { Blank, Comment, Section, Key };

struct Line {
    size_t start = 0;      // first byte of the line
    size_t contentEnd = 0; // before the line break (and a CR in front of it)
    size_t end = 0;        // after the line break
    LineKind kind = LineKind::Blank;
    size_t nameStart = 0, nameEnd = 0;   // section or key name, blanks trimmed
    size_t valueStart = 0, valueEnd = 0; // key value, blanks trimmed
    size_t equals = std::string::npos;   // the key's '=', if it has one
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Names compare without case, the way the multibyte comparison does: the
// byte after a Shift-JIS lead byte is part of the character and compares
// exactly, even when it happens to be an ASCII letter.
bool SameName(const std::string& text, size_t start, size_t end, const char* name) {
    size_t nameLength = std::strlen(name);
    size_t nameStart = 0;
    while (nameStart < nameLength && IsBlank(name[nameStart]))
        ++nameStart;
    while (nameLength > nameStart && IsBlank(name[nameLength - 1]))
        --nameLength;
    if (end - start != nameLength - nameStart)
        return false;
    bool trailByte = false;
    for (size_t i = 0; i < end - start; ++i) {
        unsigned char a = static_cast<unsigned char>(text[start + i]);
        unsigned char b = static_cast<unsigned char>(name[nameStart + i]);
        if (trailByte) {
            if (a != b)
                return false;
            trailByte = false;
            continue;
        }
        if (FoldCase(a) != FoldCase(b))
            return false;
        trailByte = IsLeadByte(a);
    }
    return true;
}

void Trim(const std::string& text, size_t* start, size_t* end) {
    while (*start < *end && IsBlank(text[*start]))
        ++*start;
    while (*end > *start && IsBlank(text[*end - 1]))
        --*end;
}

Line ParseLine(const std::string& text, size_t start) {
    Line line;
    line.start = start;
    size_t breakAt = text.find('\n', start);
    line.end = breakAt == std::string::npos ? text.size() : breakAt + 1;
    line.contentEnd = breakAt == std::string::npos ? text.size() : breakAt;
    if (line.contentEnd > start && text[line.contentEnd - 1] == '\r')
        --line.contentEnd;

    size_t p = start;
    while (p < line.contentEnd && IsBlank(text[p]))
        ++p;
    if (p == line.contentEnd) {
        line.kind = LineKind::Blank;
    } else if (text[p] == ';') {
        line.kind = LineKind::Comment;
    } else if (text[p] == '[') {
        line.kind = LineKind::Section;
        line.nameStart = p + 1;
        size_t close = text.find(']', line.nameStart);
        line.nameEnd =
            (close == std::string::npos || close > line.contentEnd) ? line.contentEnd : close;
        Trim(text, &line.nameStart, &line.nameEnd);
    } else {
        // A line without '=' is a key without a value.
        line.kind = LineKind::Key;
        size_t equals = text.find('=', p);
        if (equals != std::string::npos && equals >= line.contentEnd)
            equals = std::string::npos;
        line.equals = equals;
        line.nameStart = p;
        line.nameEnd = equals == std::string::npos ? line.contentEnd : equals;
        Trim(text, &line.nameStart, &line.nameEnd);
        line.valueStart = equals == std::string::npos ? line.contentEnd : equals + 1;
        line.valueEnd = line.contentEnd;
        Trim(text, &line.valueStart, &line.valueEnd);
    }
    return line;
}

std::vector<Line> ParseLines(const std::string& text) {
    std::vector<Line> lines;
    for (size_t start = 0; start < text.size();) {
        lines.push_back(ParseLine(text, start));
        start = lines.back().end;
    }
    return lines;
}

constexpr size_t kNone = static_cast<size_t>(-1);

// Index of the first section line of that name, or kNone.
size_t FindSection(const std::string& text, const std::vector<Line>& lines, const char* section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section &&
            SameName(text, lines[i].nameStart, lines[i].nameEnd, section)) {
            return i;
        }
    }
    return kNone;
}

// The first key of that name in the section starting at line sectionLine,
// or kNone; *lastKey is the section's last key line (sectionLine if none).
size_t FindKey(const std::string& text, const std::vector<Line>& lines, size_t sectionLine,
               const char* key, size_t* lastKey) {
    *lastKey = sectionLine;
    for (size_t i = sectionLine + 1; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
        if (lines[i].kind != LineKind::Key)
            continue;
        if (SameName(text, lines[i].nameStart, lines[i].nameEnd, key))
            return i;
        *lastKey = i;
    }
    return kNone;
}

int ParseInt(const std::string& value) {
    size_t p = 0;
    bool negative = false;
    if (p < value.size() && (value[p] == '+' || value[p] == '-')) {
        negative = value[p] == '-';
        ++p;
    }
    uint32_t result = 0;
    for (; p < value.size() && value[p] >= '0' && value[p] <= '9'; ++p) {
        result = result * 10u + static_cast<uint32_t>(value[p] - '0');
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

} // namespace

bool ReadString(const std::string& text, const char* section, const char* key, std::string* value) {
    value->clear();
    std::vector<Line> lines = ParseLines(text);
    size_t sectionLine = FindSection(text, lines, section);
    if (sectionLine == kNone)
        return false;
    size_t lastKey = 0;
    size_t keyLine = FindKey(text, lines, sectionLine, key, &lastKey);
    if (keyLine == kNone)
        return false;

    *value =
        text.substr(lines[keyLine].valueStart, lines[keyLine].valueEnd - lines[keyLine].valueStart);
    // A value in matching quotes is read without them.
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') &&
        value->back() == value->front()) {
        *value = value->substr(1, value->size() - 2);
    }
    return true;
}

int ReadInt(const std::string& text, const char* section, const char* key, int defaultValue) {
    std::string value;
    if (!ReadString(text, section, key, &value) || value.empty())
        return defaultValue;
    size_t first = 0;
    while (first < value.size() && IsBlank(value[first]))
        ++first;
    return ParseInt(value.substr(first));
}

std::string WriteString(const std::string& text, const char* section, const char* key,
                        const char* value) {
    static const char kLineBreak[] = "\r\n";
    std::vector<Line> lines = ParseLines(text);
    size_t sectionLine = FindSection(text, lines, section);
    if (sectionLine == kNone) {
        std::string result = text;
        if (!result.empty() && result.back() != '\n')
            result += kLineBreak;
        result += std::string("[") + section + "]" + kLineBreak + key + "=" + value + kLineBreak;
        return result;
    }

    size_t lastKey = 0;
    size_t keyLine = FindKey(text, lines, sectionLine, key, &lastKey);
    if (keyLine != kNone) {
        const Line& line = lines[keyLine];
        std::string result = text.substr(0, line.start);
        if (line.equals != std::string::npos) {
            result += text.substr(line.start, line.equals + 1 - line.start);
        } else {
            result += text.substr(line.start, line.nameEnd - line.start) + "=";
        }
        result += value;
        result += text.substr(line.contentEnd);
        return result;
    }

    const Line& after = lines[lastKey];
    std::string result = text.substr(0, after.end);
    if (text[after.end - 1] != '\n')
        result += kLineBreak; // the file's last line had no break
    result += std::string(key) + "=" + value + kLineBreak;
    result += text.substr(after.end);
    return result;
}

} // namespace profile_text
