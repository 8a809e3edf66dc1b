#include "dialogs/MultiByteCompare.h"

#include "platform/AnsiText.h"

namespace {

// Code page 932's full-width Latin capitals Ａ..Ｚ (82 60..82 79) and small
// letters ａ..ｚ (82 81..82 9A): the run-time library folds them like the
// ASCII letters.
constexpr unsigned kFullWidthCapitalA = 0x8260;
constexpr unsigned kFullWidthCapitalZ = 0x8279;
constexpr unsigned kFullWidthSmallA = 0x8281;

unsigned FoldDoubleByte(unsigned c, UINT codePage) {
    bool shiftJis = codePage == kShiftJisCodePage || (codePage == CP_ACP && GetACP() == 932);
    if (shiftJis && c >= kFullWidthCapitalA && c <= kFullWidthCapitalZ)
        return c - kFullWidthCapitalA + kFullWidthSmallA;
    return c;
}

// Reads one character and moves past it: a double-byte character as its two
// bytes in one value, letters folded to small letters.
unsigned NextCharacter(const unsigned char*& p, UINT codePage) {
    unsigned c = *p;
    if (c == 0)
        return 0;
    ++p;
    if (IsLeadByte(static_cast<unsigned char>(c), codePage)) {
        if (*p == 0)
            return 0;
        return FoldDoubleByte((c << 8) | *p++, codePage);
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
