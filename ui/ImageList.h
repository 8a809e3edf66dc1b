// Image lists. The shell's system image list is borrowed and must never be
// destroyed, so it lives in a non-owning reference; lists the program creates
// (drag images) live in the owning type.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

class ImageListRef {
public:
    ImageListRef() = default;
    explicit ImageListRef(HIMAGELIST list) : list_(list) {}

    void Attach(HIMAGELIST list) { list_ = list; }
    HIMAGELIST Handle() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    bool Draw(int index, HDC dc, int x, int y, UINT style) const {
        return ImageList_Draw(list_, index, dc, x, y, style) != 0;
    }
    int Count() const { return ImageList_GetImageCount(list_); }

private:
    HIMAGELIST list_ = nullptr;
};

class ImageList {
public:
    ImageList() = default;
    explicit ImageList(HIMAGELIST list) : list_(list) {}
    ~ImageList() { Reset(); }
    ImageList(ImageList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
    ImageList& operator=(ImageList&& other) noexcept {
        if (this != &other) {
            Reset();
            list_ = std::exchange(other.list_, nullptr);
        }
        return *this;
    }
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    void Reset(HIMAGELIST list = nullptr) {
        if (list_)
            ImageList_Destroy(list_);
        list_ = list;
    }
    HIMAGELIST Handle() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }

private:
    HIMAGELIST list_ = nullptr;
};
