#include "tray/Hotkey.h"

#include <string_view>
#include <vector>

#include "ui/SystemCalls.h"

namespace {

// Held down, the key opens the menu once, not again at every repeat.
constexpr UINT kNoRepeat = 0x4000; // MOD_NOREPEAT
// Longer than any hotkey anyone writes: a value this long is a mistake.
constexpr size_t kMaxTextLength = 63;

struct KeyName {
    const char* name;
    UINT key;
};

constexpr KeyName kModifierNames[] = {
    {"ctrl", MOD_CONTROL}, {"control", MOD_CONTROL}, {"alt", MOD_ALT},
    {"shift", MOD_SHIFT},  {"win", MOD_WIN},         {"windows", MOD_WIN},
};

constexpr KeyName kKeyNames[] = {
    {"space", VK_SPACE},
    {"enter", VK_RETURN},
    {"return", VK_RETURN},
    {"tab", VK_TAB},
    {"esc", VK_ESCAPE},
    {"escape", VK_ESCAPE},
    {"backspace", VK_BACK},
    {"insert", VK_INSERT},
    {"ins", VK_INSERT},
    {"delete", VK_DELETE},
    {"del", VK_DELETE},
    {"home", VK_HOME},
    {"end", VK_END},
    {"pageup", VK_PRIOR},
    {"pgup", VK_PRIOR},
    {"pagedown", VK_NEXT},
    {"pgdn", VK_NEXT},
    {"up", VK_UP},
    {"down", VK_DOWN},
    {"left", VK_LEFT},
    {"right", VK_RIGHT},
    {"pause", VK_PAUSE},
    {"printscreen", VK_SNAPSHOT},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A number of one or two digits without a leading zero, or -1.
int SmallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 2 || digits.front() == '0')
        return -1;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A punctuation mark is read as the key the keyboard has it on, and only
// when it is typed without Shift: "Ctrl+-" is the key with the minus on it.
UINT PunctuationKey(char c) {
    SHORT scan = VkKeyScanA(c);
    if (scan == -1 || HIBYTE(scan) != 0)
        return 0;
    return LOBYTE(scan);
}

// The virtual key of a key's name (lower case), or 0.
UINT KeyOfName(const std::string& name) {
    if (name.size() == 1) {
        char c = name[0];
        if (c >= 'a' && c <= 'z')
            return static_cast<UINT>('A' + (c - 'a'));
        if (c >= '0' && c <= '9')
            return static_cast<UINT>(c);
        if (c > ' ' && c < 0x7F)
            return PunctuationKey(c);
        return 0;
    }
    if (name[0] == 'f') {
        int number = SmallNumber(std::string_view(name).substr(1));
        return number >= 1 && number <= 24 ? static_cast<UINT>(VK_F1 + number - 1) : 0;
    }
    if (name.size() == 7 && name.starts_with("numpad") && name[6] >= '0' && name[6] <= '9')
        return static_cast<UINT>(VK_NUMPAD0 + (name[6] - '0'));
    for (const KeyName& entry : kKeyNames)
        if (name == entry.name)
            return entry.key;
    return 0;
}

UINT ModifierOfName(const std::string& name) {
    for (const KeyName& entry : kModifierNames)
        if (name == entry.name)
            return entry.key;
    return 0;
}

// Blanks around the names may be tabs.
bool IsPrintableAscii(const std::string& text) {
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte >= 0x7F)
            return false;
    }
    return true;
}

} // namespace

bool ParseHotkey(const std::string& text, HotkeyKeys* keys) {
    // Only the ASCII names count: full-width letters and other Shift-JIS
    // text are no key names, and their trail bytes could look like '+'.
    if (text.size() > kMaxTextLength || !IsPrintableAscii(text))
        return false;
    std::vector<std::string> parts;
    std::string_view rest = text;
    for (;;) {
        size_t plus = rest.find('+');
        parts.push_back(Lower(Trim(rest.substr(0, plus))));
        if (parts.back().empty())
            return false;
        if (plus == std::string_view::npos)
            break;
        rest.remove_prefix(plus + 1);
    }

    HotkeyKeys read;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        UINT modifier = ModifierOfName(parts[i]);
        if (modifier == 0 || (read.modifiers & modifier))
            return false;
        read.modifiers |= modifier;
    }
    read.key = KeyOfName(parts.back());
    if (read.key == 0)
        return false;
    bool extraKey = read.key >= VK_F13 && read.key <= VK_F24;
    if (!extraKey && !(read.modifiers & (MOD_CONTROL | MOD_ALT | MOD_WIN)))
        return false;
    *keys = read;
    return true;
}

// The system's error after a refused registration (never 0).
static DWORD RefusalError() {
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

HotkeyState LauncherHotkey::Register(HWND owner, bool written, const std::string& text) {
    Unregister();
    text_ = written ? text : use_.defaultText;
    HotkeyKeys keys;
    if (text_.empty()) {
        state_ = HotkeyState::Off;
        return state_;
    }
    if (!ParseHotkey(text_, &keys)) {
        state_ = HotkeyState::Unreadable;
        return state_;
    }
    SetLastError(ERROR_SUCCESS);
    bool registered =
        System().registerHotKey(owner, id_, keys.modifiers | kNoRepeat, keys.key) != FALSE;
    DWORD error = registered ? 0 : RefusalError();
    // Windows Vista refuses the no-repeat flag it does not know; a held key
    // then repeats, which is better than no hotkey.
    if (!registered && error != ERROR_HOTKEY_ALREADY_REGISTERED) {
        SetLastError(ERROR_SUCCESS);
        registered = System().registerHotKey(owner, id_, keys.modifiers, keys.key) != FALSE;
        error = registered ? 0 : RefusalError();
    }
    if (registered) {
        owner_ = owner;
        state_ = HotkeyState::Registered;
    } else {
        error_ = error;
        state_ =
            error == ERROR_HOTKEY_ALREADY_REGISTERED ? HotkeyState::Taken : HotkeyState::Refused;
    }
    return state_;
}

void LauncherHotkey::Unregister() {
    if (owner_)
        System().unregisterHotKey(owner_, id_);
    owner_ = nullptr;
    state_ = HotkeyState::Off;
    error_ = 0;
}

bool LauncherHotkey::IsHotkeyMessage(UINT msg, WPARAM wParam) const {
    return msg == WM_HOTKEY && owner_ && wParam == static_cast<WPARAM>(id_);
}

std::string HotkeyProblemMessage(const LauncherHotkey& hotkey, const std::string& settingsFile) {
    const HotkeyUse& use = hotkey.Use();
    std::string opening = std::string(use.opens) + "を開くホットキー「" + hotkey.Text();
    std::string message;
    switch (hotkey.State()) {
    case HotkeyState::Taken:
        message = opening + "」は、他のプログラムが使用しているため使えません。";
        break;
    case HotkeyState::Refused:
        message = opening + "」は、システムに登録できなかったため使えません (エラー " +
                  std::to_string(hotkey.Error()) + ")。";
        break;
    case HotkeyState::Unreadable:
        // Full-width letters look like the ASCII ones in most fonts: the
        // hint tells the user what the eye cannot.
        message = opening + "」を読み取れないため、ホットキーは使えません。"
                            "キーの名前は半角で書き、修飾キー (Ctrl、Alt、Shift、Win) とキーを"
                            "「+」でつなぎます。";
        break;
    default:
        return message;
    }
    return message + "\n\nホットキーは、次の設定ファイルの [Hotkey] セクションにある " + use.key +
           " の値で変更できます。空にするとホットキーを使いません。変更はプログラムを次に起動した"
           "ときから有効です。\n\n" +
           settingsFile + "\n\n例:\n[Hotkey]\n" + use.key + "=" + use.defaultText;
}
