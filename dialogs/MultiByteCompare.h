// Comparison of multibyte (Shift-JIS) text the way the run-time library's
// _mbsicmp does it, so that a path compares equal to itself in any letter
// case without a trail byte being mistaken for a letter.
#pragma once

#include <windows.h>

// Compares two NUL-terminated strings of the code page. A double-byte
// character is one unit; letters compare folded to small letters: the ASCII
// letters and, in code page 932, the full-width Latin letters. Other
// double-byte characters compare exactly. A lead byte right before the NUL counts
// as the end of the string. Returns <0, 0 or >0.
int MbsICompare(const char* a, const char* b, UINT codePage = CP_ACP);
