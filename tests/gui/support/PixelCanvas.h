// A 32-bit top-down bitmap in a memory device context, for tests that let
// the program draw and then read the pixels back.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

class PixelCanvas {
public:
    // The bitmap starts black; a font given is selected into the context
    // (the caller keeps it alive for the canvas's lifetime).
    PixelCanvas(int width, int height, HFONT font = nullptr) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        if (font)
            oldFont_ = SelectObject(dc_, font);
    }
    ~PixelCanvas() {
        if (oldFont_)
            SelectObject(dc_, oldFont_);
        SelectObject(dc_, oldBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        DWORD bgra = bits_[y * width_ + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    std::vector<DWORD> Bits() const {
        GdiFlush();
        return std::vector<DWORD>(bits_, bits_ + width_ * height_);
    }
    // True when some pixel of the area has the colour.
    bool Any(RECT area, COLORREF colour) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) == colour)
                    return true;
        return false;
    }
    // True when every pixel of the area has the colour.
    bool All(RECT area, COLORREF colour) const { return !AnyOther(area, colour); }
    // The smallest rectangle inside the area holding every pixel that is
    // not the colour given.
    RECT Extent(RECT area, COLORREF colour) const {
        RECT found{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) != colour) {
                    found.left = std::min<LONG>(found.left, x);
                    found.top = std::min<LONG>(found.top, y);
                    found.right = std::max<LONG>(found.right, x + 1);
                    found.bottom = std::max<LONG>(found.bottom, y + 1);
                }
        return found;
    }

private:
    bool AnyOther(RECT area, COLORREF colour) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) != colour)
                    return true;
        return false;
    }

    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    DWORD* bits_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};
