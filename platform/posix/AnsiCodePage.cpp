// The native build keeps its text in code page 932, as the Windows build
// does on the target system; it knows no other double-byte code page.
#include "platform/AnsiText.h"

bool IsLeadByte(unsigned char byte, unsigned codePage) {
    if (codePage != kAnsiCodePage && codePage != kShiftJisCodePage)
        return false;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsShiftJis(unsigned codePage) {
    return codePage == kAnsiCodePage || codePage == kShiftJisCodePage;
}
