// The title bars of the program's windows under the Wine prefixes that the
// tests and the dev run use: their buttons are glyphs of the Marlett font,
// which must be there, or the buttons show the letters "0", "1" and "r".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The font the system asks for when it draws a title-bar button.
HFONT CreateCaptionButtonFont() {
    LOGFONTA request{};
    request.lfHeight = -12;
    request.lfWeight = FW_NORMAL;
    request.lfCharSet = SYMBOL_CHARSET;
    lstrcpyA(request.lfFaceName, "Marlett");
    return CreateFontIndirectA(&request);
}

TEST(TitleBarTest, TheButtonFontIsMarlett) {
    HDC screen = GetDC(nullptr);
    HFONT font = CreateCaptionButtonFont();
    ASSERT_NE(nullptr, font);
    HGDIOBJ old = SelectObject(screen, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(screen, LF_FACESIZE, face);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    EXPECT_STREQ("Marlett", face);
}

// The close button as the system draws it, one flag per pixel: whether the
// pixel is darker than the button face.
class DrawnButton {
public:
    DrawnButton(UINT state, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT rect{0, 0, width, height};
        DrawFrameControl(dc, &rect, DFC_CAPTION, state);
        GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        for (int i = 0; i < width * height; ++i) {
            const DWORD p = pixels[i];
            const int brightness = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
            dark_.push_back(brightness < 3 * 0x40);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    // The dark pixels inside the button's edge, as rows of '#' and '.'.
    std::vector<std::string> Glyph() const {
        std::vector<std::string> rows;
        for (int y = 3; y < height_ - 3; ++y) {
            std::string row;
            for (int x = 3; x < width_ - 3; ++x)
                row += dark_[y * width_ + x] ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }

private:
    int width_;
    int height_;
    std::vector<bool> dark_;
};

std::string Picture(const std::vector<std::string>& rows) {
    std::string picture;
    for (const std::string& row : rows)
        picture += row + "\n";
    return picture;
}

// Marlett's close glyph is a cross, the same when mirrored; the letter "r"
// that stands in for it without the font is not.
TEST(TitleBarTest, TheCloseButtonShowsACross) {
    const std::vector<std::string> glyph = DrawnButton(DFCS_CAPTIONCLOSE, 18, 16).Glyph();
    std::vector<std::string> mirrored;
    int darkPixels = 0;
    for (const std::string& row : glyph) {
        mirrored.emplace_back(row.rbegin(), row.rend());
        for (char c : row)
            darkPixels += c == '#';
    }
    EXPECT_LE(8, darkPixels) << Picture(glyph);
    // Trim the blank columns so that the cross is mirrored about its own middle.
    size_t left = std::string::npos, right = 0;
    for (const std::string& row : glyph) {
        const size_t first = row.find('#');
        if (first == std::string::npos)
            continue;
        left = std::min(left, first);
        right = std::max(right, row.rfind('#'));
    }
    ASSERT_NE(std::string::npos, left) << Picture(glyph);
    std::vector<std::string> trimmed, trimmedMirror;
    for (const std::string& row : glyph) {
        const std::string part = row.substr(left, right - left + 1);
        trimmed.push_back(part);
        trimmedMirror.emplace_back(part.rbegin(), part.rend());
    }
    EXPECT_EQ(Picture(trimmed), Picture(trimmedMirror));
}

} // namespace
