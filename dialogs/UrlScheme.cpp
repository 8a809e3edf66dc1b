#include "dialogs/UrlScheme.h"

#include <iterator>

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i) {
        char a = text[i];
        char b = start[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

size_t OwnSchemeLength(std::string_view text) {
    if (text.empty() || !IsAsciiLetter(text[0]))
        return 0;
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':')
            return i + 1;
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

int ListedSchemeOf(std::string_view url) {
    for (int i = 0; i < static_cast<int>(std::size(kListedSchemes)); ++i) {
        std::string_view scheme = kListedSchemes[i];
        if (url.size() > scheme.size() && StartsWithIgnoringCase(url, scheme) &&
            OwnSchemeLength(url.substr(scheme.size())) == 0)
            return i;
    }
    return -1;
}

std::string StoredUrl(std::string_view url) {
    int scheme = ListedSchemeOf(url);
    if (scheme < 0)
        return std::string(url);
    std::string_view listed = kListedSchemes[scheme];
    return std::string(listed) + std::string(url.substr(listed.size()));
}
