#include "dialogs/MultiByteCompare.h"

namespace {

// Reads one character and moves past it: a double-byte character as its two
// bytes in one value, a single byte folded when it is an ASCII letter.
unsigned NextCharacter(const unsigned char*& p, UINT codePage) {
    unsigned c = *p;
    if (c == 0)
        return 0;
    ++p;
    if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(c))) {
        if (*p == 0)
            return 0;
        return (c << 8) | *p++;
    }
    if (c >= 'A' && c <= 'Z')
        c += 'a' - 'A';
    return c;
}

} // namespace

int MbsICompare(const char* a, const char* b, UINT codePage) {
    auto* p = reinterpret_cast<const unsigned char*>(a);
    auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        unsigned ca = NextCharacter(p, codePage);
        unsigned cb = NextCharacter(q, codePage);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}
