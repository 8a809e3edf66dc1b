// Text of the ANSI code page (Shift-JIS) cut to fit a fixed-size field without splitting a
// double-byte character, so that no stored text ends in half a character.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the longest prefix of text that has at most maxBytes bytes
// and ends at a character boundary. A lead byte without its trail byte at
// the very end of text is left out as well.
size_t FittingLength(std::string_view text, size_t maxBytes);

// Copies the fitting prefix of text into a field of fieldSize bytes (room
// for fieldSize - 1 bytes of text and the NUL) and returns whether the whole
// text fitted.
bool CopyFitting(char* field, size_t fieldSize, std::string_view text);
