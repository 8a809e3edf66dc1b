#include "dialogs/ShiftJisText.h"

#include <cstring>

#include "platform/AnsiText.h"

size_t FittingLength(std::string_view text, size_t maxBytes) {
    size_t length = 0;
    while (length < text.size()) {
        size_t step = IsLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
        if (length + step > text.size() || length + step > maxBytes)
            break;
        length += step;
    }
    return length;
}

bool CopyFitting(char* field, size_t fieldSize, std::string_view text) {
    if (fieldSize == 0)
        return text.empty();
    size_t length = FittingLength(text, fieldSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
    return length == text.size();
}
