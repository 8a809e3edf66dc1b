// What the options dialog tests share: the Run value read and written
// directly, a store in a test folder, and a modal run of the dialog that
// answers the message boxes it opens.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/OptionsDialog.h"
#include "store/ItemStore.h"
#include "support/GuiTest.h"
#include "ui/SystemCalls.h"

// The Run value "Brindleway" straight from the registry, bypassing the
// program's code. The data is stored as given, terminator included.
void SetRunValue(const std::string& data, DWORD type = REG_SZ);
void SetRunValueBytes(const std::string& bytes, DWORD type = REG_SZ);
std::optional<std::string> RunValue();
void DeleteRunValue();

// A message box seen during a run: its text and the prompt help context
// the application held while it was open.
struct SeenMessage {
    std::string text;
    DWORD promptContext = 0;
};

struct OptionsRun {
    INT_PTR result = -1;
    std::vector<SeenMessage> messages;
};

// Runs the dialog modally on the store. `action` gets the options dialog's
// window and must end it (Press IDOK or IDCANCEL); each message box opened
// meanwhile is answered with `boxAnswer`.
OptionsRun RunOptions(OptionsDialog& dialog, ItemStore& store,
                      const std::function<void(HWND)>& action, int boxAnswer = IDOK);

// A click on a dialog button (BM_CLICK, so that automatic boxes toggle
// themselves and the dialog gets BN_CLICKED as from the mouse).
void Click(HWND dialog, int id);
int CheckState(HWND dialog, int id);

// A top-level entry for InsertData.
LaunchEntry MakeEntry(const char* name, const char* path, int kind, int parent = -1);

// The names of a table, front to back.
std::vector<std::string> WorkingNames(ItemStore& store);
std::vector<std::string> CommittedNames(ItemStore& store);

// Restores the system call table and removes the Run value around each
// test; gives each test a store in its own folder.
class OptionsTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string IniPath() const { return folder.File("Brindleway.ini"); }
    // A flag as the settings file holds it; -1 when it is missing.
    int IniFlag(int number) const;

    TempFolder folder;
    ItemStore store;
    SystemCalls saved;
};

// Recorders for the registry seam: they note the read access asked for and
// count the writing calls, then pass them on to the registry.
struct RegistryRecorder {
    int creates = 0;
    int sets = 0;
    int deletes = 0;
    REGSAM openAccess = 0;
    static RegistryRecorder* active;
    void Install();
};

// Stand-ins for a user without the rights to change the machine-wide key.
LONG WINAPI DenyOpen(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
LONG WINAPI DenyCreate(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                       LPDWORD);
LONG WINAPI DenySet(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
LONG WINAPI DenyDelete(HKEY, LPCSTR);
