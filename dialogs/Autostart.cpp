#include "dialogs/Autostart.h"

#include <cstring>

#include "dialogs/MultiByteCompare.h"
#include "ui/SystemCalls.h"

namespace {

// The text between a leading and a trailing quote; false when the value is
// not quoted.
bool Unquoted(const char* value, std::string* inner) {
    size_t length = std::strlen(value);
    if (length < 2 || value[0] != '"' || value[length - 1] != '"')
        return false;
    inner->assign(value + 1, length - 2);
    return true;
}

// Reads the Run value into a buffer of kRunValueSize + 1 bytes, so that the
// text always ends within it. A value too long for it is another program's.
AutostartState QueryRunValue(HKEY key, char* value, const char* modulePath) {
    DWORD type = 0;
    DWORD size = 0;
    if (System().regQueryValueEx(key, kRunValueName, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return AUTOSTART_OFF;
    if (size > kRunValueSize)
        return AUTOSTART_OTHER;
    size = kRunValueSize;
    LONG read = System().regQueryValueEx(key, kRunValueName, nullptr, &type,
                                         reinterpret_cast<BYTE*>(value), &size);
    if (read == ERROR_MORE_DATA)
        return AUTOSTART_OTHER;
    if (read != ERROR_SUCCESS)
        return AUTOSTART_OFF;
    return AutostartStateOf(value, modulePath);
}

} // namespace

AutostartState AutostartStateOf(const char* runValue, const char* modulePath, UINT codePage) {
    if (runValue[0] == '\0')
        return AUTOSTART_OFF;
    if (MbsICompare(runValue, modulePath, codePage) == 0)
        return AUTOSTART_ON;
    std::string inner;
    if (Unquoted(runValue, &inner) && MbsICompare(inner.c_str(), modulePath, codePage) == 0)
        return AUTOSTART_ON;
    return AUTOSTART_OTHER;
}

AutostartState ToggledAutostartState(int state) {
    return state == AUTOSTART_OFF ? AUTOSTART_ON : AUTOSTART_OFF;
}

std::string RunValueFor(const char* modulePath) {
    return std::string("\"") + modulePath + "\"";
}

AutostartState ReadAutostartState(const char* modulePath) {
    HKEY key = nullptr;
    if (System().regOpenKeyEx(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return AUTOSTART_OFF;
    char value[kRunValueSize + 1] = {};
    AutostartState state = QueryRunValue(key, value, modulePath);
    System().regCloseKey(key);
    return state;
}

bool WriteAutostartState(int state, const char* modulePath) {
    char noClass[] = "";
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (System().regCreateKeyEx(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, noClass,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                &disposition) != ERROR_SUCCESS)
        return false;
    LONG result;
    if (state != AUTOSTART_OFF) {
        std::string value = RunValueFor(modulePath);
        result = System().regSetValueEx(key, kRunValueName, 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() + 1));
    } else {
        result = System().regDeleteValue(key, kRunValueName);
        if (result == ERROR_FILE_NOT_FOUND)
            result = ERROR_SUCCESS;
    }
    System().regCloseKey(key);
    return result == ERROR_SUCCESS;
}
