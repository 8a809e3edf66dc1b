#include "OptionsTestSupport.h"

#include <gtest/gtest.h>

#include "dialogs/Autostart.h"
#include "resource.h"
#include "ui/Application.h"

namespace {

HKEY OpenRunKey(REGSAM access) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, nullptr, 0, access, nullptr, &key, nullptr);
    return key;
}

} // namespace

void SetRunValueBytes(const std::string& bytes, DWORD type) {
    HKEY key = OpenRunKey(KEY_SET_VALUE);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegSetValueExA(key, kRunValueName, 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetRunValue(const std::string& data, DWORD type) {
    SetRunValueBytes(std::string(data.c_str(), data.size() + 1), type);
}

std::optional<std::string> RunValue() {
    HKEY key = OpenRunKey(KEY_QUERY_VALUE);
    if (!key)
        return std::nullopt;
    DWORD size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(key, kRunValueName, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        RegQueryValueExA(key, kRunValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(bytes.data()), &size);
        bytes.resize(size);
        if (!bytes.empty() && bytes.back() == '\0')
            bytes.pop_back();
        value = bytes;
    }
    RegCloseKey(key);
    return value;
}

void DeleteRunValue() {
    HKEY key = OpenRunKey(KEY_SET_VALUE);
    if (!key)
        return;
    RegDeleteValueA(key, kRunValueName);
    RegCloseKey(key);
}

OptionsRun RunOptions(OptionsDialog& dialog, ItemStore& store,
                      const std::function<void(HWND)>& action, int boxAnswer) {
    OptionsRun run;
    ModalDriver driver([&](HWND window) {
        if (GetDlgItem(window, IDC_OPT_AUTOSTART)) {
            action(window);
            return;
        }
        // A message box: its text is the static control 0xFFFF.
        run.messages.push_back(
            {DialogItemText(window, 0xFFFF), Application::Instance().PromptContext()});
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(boxAnswer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, boxAnswer)));
    });
    run.result = dialog.Run(&store);
    return run;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

int CheckState(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}

LaunchEntry MakeEntry(const char* name, const char* path, int kind, int parent) {
    LaunchEntry entry = EmptyLaunchEntry();
    lstrcpynA(entry.name, name, sizeof entry.name);
    lstrcpynA(entry.path, path, sizeof entry.path);
    entry.kind = kind;
    entry.parent = parent;
    return entry;
}

std::vector<std::string> WorkingNames(ItemStore& store) {
    std::vector<std::string> names;
    for (int i = 0; i < store.GetDataNum(); ++i)
        names.push_back(store.GetData(i)->name);
    return names;
}

std::vector<std::string> CommittedNames(ItemStore& store) {
    std::vector<std::string> names;
    for (int i = 0; i < store.GetCommittedNum(); ++i)
        names.push_back(store.GetCommittedData(i)->name);
    return names;
}

void OptionsTestBase::SetUp() {
    saved = System();
    DeleteRunValue();
    store.SetDirectory(folder.Path());
}

void OptionsTestBase::TearDown() {
    System() = saved;
    RegistryRecorder::active = nullptr;
    DeleteRunValue();
}

int OptionsTestBase::IniFlag(int number) const {
    std::string key = "opt" + std::to_string(number);
    return static_cast<int>(GetPrivateProfileIntA("Detail", key.c_str(), -1, IniPath().c_str()));
}

RegistryRecorder* RegistryRecorder::active = nullptr;

namespace {

LONG WINAPI RecordOpen(HKEY key, LPCSTR name, DWORD options, REGSAM access, PHKEY result) {
    RegistryRecorder::active->openAccess = access;
    return RegOpenKeyExA(key, name, options, access, result);
}

LONG WINAPI RecordCreate(HKEY key, LPCSTR name, DWORD reserved, LPSTR cls, DWORD options,
                         REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                         LPDWORD disposition) {
    ++RegistryRecorder::active->creates;
    return RegCreateKeyExA(key, name, reserved, cls, options, access, security, result,
                           disposition);
}

LONG WINAPI RecordSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD size) {
    ++RegistryRecorder::active->sets;
    return RegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI RecordDelete(HKEY key, LPCSTR name) {
    ++RegistryRecorder::active->deletes;
    return RegDeleteValueA(key, name);
}

} // namespace

void RegistryRecorder::Install() {
    active = this;
    System().regOpenKeyEx = RecordOpen;
    System().regCreateKeyEx = RecordCreate;
    System().regSetValueEx = RecordSet;
    System().regDeleteValue = RecordDelete;
}

LONG WINAPI DenyOpen(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) {
    return ERROR_ACCESS_DENIED;
}
LONG WINAPI DenyCreate(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                       LPDWORD) {
    return ERROR_ACCESS_DENIED;
}
LONG WINAPI DenySet(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_ACCESS_DENIED;
}
LONG WINAPI DenyDelete(HKEY, LPCSTR) {
    return ERROR_ACCESS_DENIED;
}
