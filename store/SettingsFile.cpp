// The settings file: the option flags in section "Detail", the settings
// window's last position in section "Info", the launcher's hotkey in section
// "Hotkey".
#include <string>

#include "platform/Platform.h"
#include "store/ItemStore.h"

namespace {

struct OptionKey {
    const char* key;
    int32_t Options::*flag;
};

constexpr OptionKey kOptionKeys[] = {
    {"opt1", &Options::opt1}, {"opt2", &Options::opt2}, {"opt3", &Options::opt3},
    {"opt4", &Options::opt4}, {"opt5", &Options::opt5}, {"opt6", &Options::opt6},
    {"opt7", &Options::opt7}, {"opt8", &Options::opt8},
};
constexpr int kNoPosition = -1;

} // namespace

int ItemStore::ReadOptions() {
    std::string path = SettingsFilePath();
    if (!platform_->FileExists(path))
        return 0;
    for (const OptionKey& option : kOptionKeys) {
        options_.*option.flag = platform_->ProfileReadInt(path, "Detail", option.key, 0);
    }
    return 1;
}

// Every key is written even after a failed write; the result is 1 only when
// all of them were.
int ItemStore::WriteOptions() {
    std::string path = SettingsFilePath();
    bool allWritten = true;
    for (const OptionKey& option : kOptionKeys) {
        std::string value = std::to_string(options_.*option.flag);
        if (!platform_->ProfileWriteString(path, "Detail", option.key, value.c_str()))
            allWritten = false;
    }
    return allWritten ? 1 : 0;
}

void ItemStore::ReadWindowPos(int* x, int* y) {
    std::string path = SettingsFilePath();
    bool exists = platform_->FileExists(path);
    int readX = exists ? platform_->ProfileReadInt(path, "Info", "X", kNoPosition) : kNoPosition;
    int readY = exists ? platform_->ProfileReadInt(path, "Info", "Y", kNoPosition) : kNoPosition;
    if (x)
        *x = readX;
    if (y)
        *y = readY;
}

int ItemStore::WriteWindowPos(int x, int y) {
    std::string path = SettingsFilePath();
    bool xWritten = platform_->ProfileWriteString(path, "Info", "X", std::to_string(x).c_str());
    bool yWritten = platform_->ProfileWriteString(path, "Info", "Y", std::to_string(y).c_str());
    return xWritten && yWritten ? 1 : 0;
}

int ItemStore::ReadHotkeyText(std::string* text) {
    return platform_->ProfileReadString(SettingsFilePath(), "Hotkey", "Launcher", text) ? 1 : 0;
}
