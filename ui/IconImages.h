// Where the owner drawing takes an icon's image from: an image list of the
// size it draws at, or, until that has come, a list of another size whose
// image it scales.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>

// A stamp no other set of images has had: images told apart by their
// lists' handles, which the system may give again once a list is gone, are
// told apart by their stamps too.
inline unsigned NewImageStamp() {
    static std::atomic<unsigned> last{0};
    return ++last;
}

class IconImages {
public:
    struct Image {
        HIMAGELIST list = nullptr;
        // The image's place in the list; -1: there is none.
        int index = -1;
        // The list's images are of the size asked for and this one will not
        // change: what is drawn from it may be kept. Otherwise it is drawn
        // scaled, for the time being.
        bool exact = false;
    };

    // The image of an icon at a size in pixels.
    virtual Image ImageAt(int icon, int size) = 0;
    // Changes whenever an image that may have been drawn has changed.
    virtual unsigned Stamp() const = 0;

protected:
    ~IconImages() = default;
};

// The images of one list, at its own size: an icon's image is its place.
class ListImages : public IconImages {
public:
    explicit ListImages(HIMAGELIST list) : list_(list) {}
    virtual ~ListImages() = default;

    Image ImageAt(int icon, int size) override {
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(list_, &width, &height);
        if (icon < 0 || icon >= ImageList_GetImageCount(list_))
            return {};
        return {list_, icon, width == size};
    }
    unsigned Stamp() const override { return stamp_; }

private:
    HIMAGELIST list_;
    unsigned stamp_ = NewImageStamp();
};
