// The settings file: the option flags in section "Detail", the settings
// window's last position in section "Info", the hotkeys in section
// "Hotkey".
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/ProfileText.h"
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
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// Far more than any settings file the program or a user writes.
constexpr size_t kMaxSettingsBytes = 1 << 20;

} // namespace

int ItemStore::ReadOptions() {
    std::string path = SettingsFilePath();
    if (!platform_->FileExists(path))
        return 0;
    // The file's bytes are read once for all the keys: every read is a
    // round of system calls, and the program reads the options as it starts.
    std::string text;
    const bool marked = SettingsTextAfterMark(path, &text);
    for (const OptionKey& option : kOptionKeys) {
        options_.*option.flag =
            ReadSettingInt(path, marked ? &text : nullptr, "Detail", option.key, 0);
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
    int readX = kNoPosition;
    int readY = kNoPosition;
    if (platform_->FileExists(path)) {
        std::string text;
        const std::string* marked = SettingsTextAfterMark(path, &text) ? &text : nullptr;
        readX = ReadSettingInt(path, marked, "Info", "X", kNoPosition);
        readY = ReadSettingInt(path, marked, "Info", "Y", kNoPosition);
    }
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

int ItemStore::ReadHotkeyText(std::string* text, const char* key) {
    return ReadSettingString(SettingsFilePath(), "Hotkey", key, text) ? 1 : 0;
}

bool ItemStore::SettingsTextAfterMark(const std::string& path, std::string* text) {
    std::vector<unsigned char> bytes;
    if (platform_->ReadFileBytes(path, kMaxSettingsBytes, &bytes) != ReadResult::Ok)
        return false;
    std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!all.starts_with(kUtf8Mark))
        return false;
    text->assign(all.substr(sizeof kUtf8Mark - 1));
    return true;
}

// In a file with the mark, what the system reads comes first: a value the
// program wrote went to a section the system found, and is the newer one.
int ItemStore::ReadSettingInt(const std::string& path, const std::string* markedText,
                              const char* section, const char* key, int defaultValue) {
    std::string value;
    if (markedText && !platform_->ProfileReadString(path, section, key, &value))
        return profile_text::ReadInt(*markedText, section, key, defaultValue);
    return platform_->ProfileReadInt(path, section, key, defaultValue);
}

bool ItemStore::ReadSettingString(const std::string& path, const char* section, const char* key,
                                  std::string* value) {
    if (platform_->ProfileReadString(path, section, key, value))
        return true;
    std::string text;
    return SettingsTextAfterMark(path, &text) &&
           profile_text::ReadString(text, section, key, value);
}
