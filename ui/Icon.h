// Icons the program loads at a size of its choosing: they are its own and
// are destroyed with the holder (icons from LoadIcon are shared and are not).
#pragma once

#include <windows.h>

#include <utility>

class Icon {
public:
    Icon() = default;
    explicit Icon(HICON icon) : icon_(icon) {}
    ~Icon() { Reset(); }
    Icon(Icon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    Icon& operator=(Icon&& other) noexcept {
        if (this != &other) {
            Reset();
            icon_ = std::exchange(other.icon_, nullptr);
        }
        return *this;
    }
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;

    void Reset(HICON icon = nullptr) {
        if (icon_)
            DestroyIcon(icon_);
        icon_ = icon;
    }
    HICON Get() const { return icon_; }
    explicit operator bool() const { return icon_ != nullptr; }

private:
    HICON icon_ = nullptr;
};

// An icon resource of the module at a size in pixels: the image made for
// that size when the resource has one, the nearest one scaled otherwise.
inline Icon LoadIconAtSize(HINSTANCE module, int id, int size) {
    return Icon(static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}
