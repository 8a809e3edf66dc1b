// Text in the program's ANSI code page (Shift-JIS on the target system):
// which bytes start a double-byte character, and paths joined character by
// character. A trail byte may be 0x5C (the second byte of 表, 能, ソ), so a
// path's last byte tells nothing about a trailing backslash.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Code page 0 stands for the program's ANSI code page, as CP_ACP does.
constexpr unsigned kAnsiCodePage = 0;
constexpr unsigned kShiftJisCodePage = 932;

// Whether byte starts a double-byte character in the code page. The Windows
// build asks the system; the native build knows code page 932, which it
// takes as its ANSI code page, and treats every other code page as single
// byte.
bool IsLeadByte(unsigned char byte, unsigned codePage = kAnsiCodePage);

// Whether the code page is Shift-JIS: 932, or the ANSI code page when that
// is 932 (the native build takes it to be).
bool IsShiftJis(unsigned codePage);

// Reads the character that p points to and moves p past it: a double-byte
// character as one value, its lead byte in the high byte. The NUL, and a
// lead byte right before it, read as 0 and leave p where it is.
unsigned ReadCharacter(const unsigned char*& p, unsigned codePage = kAnsiCodePage);

// A character as ReadCharacter gives it, folded for comparing without
// regard to case the way the run-time library's _mbsicmp does: the ASCII
// capitals to small letters and, in Shift-JIS, the full-width capitals Ａ..Ｚ
// to the full-width small letters ａ..ｚ. Every other character is kept.
unsigned FoldCase(unsigned character, unsigned codePage = kAnsiCodePage);

// In Shift-JIS, the full-width Latin letters and digits (Ａ..Ｚ, ａ..ｚ,
// ０..９) as their ASCII letters and digits, and the half-width katakana and
// marks (ｱ, ｶ, ｰ, ﾞ) as their full-width forms (ア, カ, ー, ゛); every other
// character is kept.
unsigned FoldWidth(unsigned character, unsigned codePage = kAnsiCodePage);

// The offset at which the last character of text starts (0 for empty text),
// found by walking the characters from the front as CharPrevA does.
size_t LastCharacterStart(std::string_view text, unsigned codePage = kAnsiCodePage);

// Whether the path's last character is a backslash or a slash.
bool EndsWithSeparator(std::string_view path);

// directory, a separator unless it ends in one already, then name.
std::string JoinPath(const std::string& directory, std::string_view name);

// The offset at which the path's last element starts: just after its last
// backslash or slash, found character by character (0 when it has none).
size_t FileNameStart(std::string_view path);

// The name without its extension: up to the last '.', found character by
// character. A name whose only '.' is its first character (".profile") or
// its last has no extension and is given back whole.
std::string_view WithoutExtension(std::string_view name);
