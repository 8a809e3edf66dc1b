#include "ui/DroppedFiles.h"

#include "ui/SystemCalls.h"
#include "ui/WideText.h"

namespace {

// Explorer sends these while it hands a drop over: the drop itself, and the
// two messages that carry its data across the integrity boundary.
constexpr UINT kCopyGlobalData = 0x0049;
constexpr UINT kDropMessages[] = {WM_DROPFILES, WM_COPYDATA, kCopyGlobalData};

constexpr DWORD kAllowMessage = 1; // MSGFLT_ALLOW

// The longest address the shell and browsers take (INTERNET_MAX_URL_LENGTH).
constexpr size_t kLongestAddress = 2083;

using ChangeFilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);

} // namespace

void AcceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    FARPROC entry = System().getProcAddress(user32, "ChangeWindowMessageFilterEx");
    auto changeFilter = reinterpret_cast<ChangeFilterFunction>(reinterpret_cast<void*>(entry));
    if (!changeFilter)
        return;
    // A refusal leaves drops from lower levels blocked, as before; nothing
    // else depends on it.
    for (UINT message : kDropMessages)
        changeFilter(window, message, kAllowMessage, nullptr);
}

// Read wide: the ANSI reading would hand over "Cafe.pdf" for Café.pdf and
// "?" for characters without a look-alike.
std::vector<DroppedPath> DroppedPaths(HDROP drop) {
    std::vector<DroppedPath> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        length = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        if (name.empty())
            continue;
        DroppedPath path;
        path.hasAnsiForm = AnsiFormOf(name, &path.path);
        path.name = std::move(name);
        paths.push_back(std::move(path));
    }
    return paths;
}

bool DropPointInClient(HDROP drop, POINT* point) {
    return DragQueryPoint(drop, point) != FALSE;
}

std::string InternetShortcutAddress(const std::string& path) {
    // Longer than any address a URL entry can hold, so that an address that
    // does not fit is seen whole and refused rather than cut.
    std::string address(kLongestAddress + 1, '\0');
    DWORD length = GetPrivateProfileStringA("InternetShortcut", "URL", "", address.data(),
                                            static_cast<DWORD>(address.size()), path.c_str());
    address.resize(length);
    return address;
}
