// Icons the tests make themselves: icon files of one solid colour, and a
// file type of the test's own whose files show the icon the test chooses,
// so that each file can have an icon no other file has.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

// Writes a 16-pixel icon file filled with the colour, opaque.
inline bool WriteIconFile(const std::string& path, COLORREF colour) {
    const int size = 16;
    std::vector<BYTE> bytes;
    auto put = [&bytes](const void* data, size_t length) {
        const BYTE* p = static_cast<const BYTE*>(data);
        bytes.insert(bytes.end(), p, p + length);
    };
    const WORD header[3] = {0, 1, 1};
    put(header, sizeof header);
    const DWORD imageSize = sizeof(BITMAPINFOHEADER) + size * size * 4 + size * 4;
    BYTE entry[16] = {size, size, 0, 0, 1, 0, 32, 0};
    std::memcpy(entry + 8, &imageSize, 4);
    const DWORD offset = 6 + 16;
    std::memcpy(entry + 12, &offset, 4);
    put(entry, sizeof entry);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = size;
    info.biHeight = size * 2;
    info.biPlanes = 1;
    info.biBitCount = 32;
    put(&info, sizeof info);
    const DWORD pixel = 0xFF000000u | (static_cast<DWORD>(GetRValue(colour)) << 16) |
                        (static_cast<DWORD>(GetGValue(colour)) << 8) | GetBValue(colour);
    for (int i = 0; i < size * size; ++i)
        put(&pixel, sizeof pixel);
    // The mask: every pixel shows.
    std::vector<BYTE> mask(static_cast<size_t>(size) * 4, 0);
    put(mask.data(), mask.size());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

// A file type of the test's own (an extension and its class), registered
// for the machine for as long as the holder lives. Its files show the icon
// its DefaultIcon names: "%1" for the file's own icon (the file is then an
// icon file), or an icon file's path and index.
class RegisteredIconType {
public:
    RegisteredIconType(std::string extension, const std::string& defaultIcon)
        : extension_(std::move(extension)), className_("BrindlewayTest" + extension_) {
        SetValue(extension_, className_);
        SetDefaultIcon(defaultIcon);
    }
    ~RegisteredIconType() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, extension_.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, className_.c_str());
    }
    RegisteredIconType(const RegisteredIconType&) = delete;
    RegisteredIconType& operator=(const RegisteredIconType&) = delete;

    void SetDefaultIcon(const std::string& value) { SetValue(className_ + "\\DefaultIcon", value); }

private:
    static void SetValue(const std::string& key, const std::string& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
    }

    std::string extension_;
    std::string className_;
};
