// The URL schemes the item editor offers in its list, and how a whole URL is
// split into one of them and the rest, as the editor stores a URL entry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The scheme list's texts; the position of each is its index in the list.
inline constexpr const char* kListedSchemes[] = {"http://", "https://"};

// The length of the scheme and its ':' that the text begins with, 0 when it
// begins with none: a letter, then letters, digits, '+', '-' or '.'.
size_t OwnSchemeLength(std::string_view text);

// The listed scheme a whole URL can be split into, with the rest after it,
// or -1. Only a split that reads back as the same URL is made: the rest must
// not begin with a scheme of its own, and there must be a rest. The scheme
// may be written in any letter case.
int ListedSchemeOf(std::string_view url);

// The URL as a URL entry keeps it: a listed scheme in the list's own
// spelling followed by the rest, or any other URL as it is.
std::string StoredUrl(std::string_view url);
