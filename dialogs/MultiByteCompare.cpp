#include "dialogs/MultiByteCompare.h"

#include "platform/AnsiText.h"

int MbsICompare(const char* a, const char* b, UINT codePage) {
    auto* p = reinterpret_cast<const unsigned char*>(a);
    auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        unsigned ca = FoldCase(ReadCharacter(p, codePage), codePage);
        unsigned cb = FoldCase(ReadCharacter(q, codePage), codePage);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}
