// Text between the system's wide characters (file names as the file system
// keeps them) and the program's ANSI code page (Shift-JIS on the target
// system), in which it stores and opens every path.
#pragma once

#include <string>

// The ANSI form of a wide text, character for character: false when any
// character has none (é, Hangul, emoji, 〜 U+301C), which the system would
// otherwise replace by a look-alike (e for é, \ for ¥) or by '?', giving a
// name that opens nothing or something else.
bool AnsiFormOf(const std::wstring& wide, std::string* ansi);

// The wide form of an ANSI text.
std::wstring WideOf(const std::string& ansi);

// The text in lines of at most lineLength characters, for a message box,
// which does not break a word wider than the screen; a character made of
// two wide units (a surrogate pair) is never cut.
std::wstring WideInLines(const std::wstring& text, size_t lineLength = 64);
