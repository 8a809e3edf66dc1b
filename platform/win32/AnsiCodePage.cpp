// The lead bytes of a code page, as the system knows them.
#include <windows.h>

#include "platform/AnsiText.h"

bool IsLeadByte(unsigned char byte, unsigned codePage) {
    return IsDBCSLeadByteEx(codePage == kAnsiCodePage ? CP_ACP : codePage, byte) != FALSE;
}

bool IsShiftJis(unsigned codePage) {
    return codePage == kShiftJisCodePage || (codePage == kAnsiCodePage && GetACP() == 932);
}
