#include "ui/WideText.h"

#include <windows.h>

bool AnsiFormOf(const std::wstring& wide, std::string* ansi) {
    ansi->clear();
    if (wide.empty())
        return true;
    int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                   nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    std::string converted(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, converted.data(), size,
                        nullptr, &usedDefault);
    // Read back, the bytes must give the very same characters.
    if (usedDefault || WideOf(converted) != wide)
        return false;
    *ansi = std::move(converted);
    return true;
}

std::wstring WideOf(const std::string& ansi) {
    if (ansi.empty())
        return {};
    int length = static_cast<int>(ansi.size());
    int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), size);
    return wide;
}

std::wstring WideInLines(const std::wstring& text, size_t lineLength) {
    std::wstring lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start + lineLength < text.size() ? start + lineLength : text.size();
        if (end < text.size() && end - start > 1 && IS_HIGH_SURROGATE(text[end - 1]))
            --end;
        if (!lines.empty())
            lines += L'\n';
        lines.append(text, start, end - start);
        start = end;
    }
    return lines;
}
