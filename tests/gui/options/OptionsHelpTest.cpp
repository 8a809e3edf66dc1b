// F1 on the options dialog's controls: which controls ask the help control,
// and with which file text, command and map.
#include <gtest/gtest.h>

#include "OptionsTestSupport.h"
#include "dialogs/TemplateHelpIds.h"
#include "resource.h"
#include "ui/Application.h"
#include "ui/HtmlHelp.h"
#include "ui/HtmlHelpLoader.h"

namespace {

struct HelpRequest {
    HWND caller;
    std::string file;
    UINT command;
    std::vector<std::pair<DWORD, DWORD>> map;
};

std::vector<HelpRequest> requests;
HWND helpAnswer = nullptr;

// Stands in for the help control's HtmlHelpA; reads the map up to its
// (0, 0) end as the control would.
HWND WINAPI RecordHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    HelpRequest request{caller, file ? file : "", command, {}};
    const auto* pairs = reinterpret_cast<const DWORD*>(data);
    for (int i = 0; pairs && (pairs[i] != 0 || pairs[i + 1] != 0) && i < 64; i += 2)
        request.map.emplace_back(pairs[i], pairs[i + 1]);
    requests.push_back(request);
    return helpAnswer;
}

HMODULE WINAPI LoadNothing(LPCSTR, HANDLE, DWORD) {
    return GetModuleHandleA(nullptr);
}

FARPROC WINAPI FindRecorder(HMODULE, LPCSTR name) {
    if (name != MAKEINTRESOURCEA(14))
        return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordHtmlHelp));
}

FARPROC WINAPI FindNothing(HMODULE, LPCSTR) {
    return nullptr;
}

constexpr const char* kHelpFile = "C:\\Program Files\\Brindleway\\Brindleway.chm";

class OptionsHelpTest : public OptionsTestBase {
protected:
    void SetUp() override {
        OptionsTestBase::SetUp();
        requests.clear();
        helpAnswer = nullptr;
        html_help_loader::Reset();
        System().loadLibraryEx = LoadNothing;
        System().getProcAddress = FindRecorder;
        savedHelpFile = Application::Instance().HelpFilePath();
        Application::Instance().SetHelpFilePath(kHelpFile);
    }
    void TearDown() override {
        Application::Instance().SetHelpFilePath(savedHelpFile);
        html_help_loader::Reset();
        OptionsTestBase::TearDown();
    }

    // F1 on the control, as the dialog manager sends it.
    static LRESULT PressF1(HWND dialog, int id) {
        HWND control = GetDlgItem(dialog, id);
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = control;
        info.dwContextId = GetWindowContextHelpId(control);
        return SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }

    // Runs the dialog, lets `inside` press keys, and closes it.
    void WithDialog(const std::function<void(HWND)>& inside) {
        OptionsDialog dialog;
        RunOptions(dialog, store, [&](HWND window) {
            inside(window);
            Click(window, IDCANCEL);
        });
    }

    std::string savedHelpFile;
};

const std::vector<std::pair<DWORD, DWORD>> kExpectedMap = {
    {1, static_cast<DWORD>(-1)}, {2, static_cast<DWORD>(-1)}, {1010, 7000}, {1013, 7100}};

TEST_F(OptionsHelpTest, ControlsWithAHelpContextShowTheTextFilesPopup) {
    for (int id : {1010, 1013, 1015}) {
        SCOPED_TRACE(id);
        requests.clear();
        HWND control = nullptr;
        LRESULT answer = -1;
        WithDialog([&](HWND window) {
            control = GetDlgItem(window, id);
            EXPECT_EQ(GetWindowContextHelpId(control), 0x80890000u + id);
            helpAnswer = window; // any window stands for the popup
            answer = PressF1(window, id);
        });
        EXPECT_EQ(answer, TRUE);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].caller, control);
        EXPECT_EQ(requests[0].file, std::string(kHelpFile) + "::/Brindleway.txt");
        EXPECT_EQ(requests[0].command, HH_TP_HELP_WM_HELP);
        EXPECT_EQ(requests[0].map, kExpectedMap);
    }
}

// F1 pressed on the focused box reaches the dialog as WM_HELP through the
// system's own route.
TEST_F(OptionsHelpTest, TheF1KeyOnAControlAsksForItsPopup) {
    HWND control = nullptr;
    WithDialog([&](HWND window) {
        control = GetDlgItem(window, IDC_OPT_SWAP_BUTTONS);
        SetForegroundWindow(window);
        SetFocus(control);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof keys[0]);
        PumpUntil([] { return !requests.empty(); });
    });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].caller, control);
    EXPECT_EQ(requests[0].command, HH_TP_HELP_WM_HELP);
}

TEST_F(OptionsHelpTest, NoPopupWindowAnswersFalse) {
    LRESULT answer = -1;
    WithDialog([&](HWND window) { answer = PressF1(window, IDC_OPT_AUTOSTART); });
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(answer, FALSE);
}

TEST_F(OptionsHelpTest, WithoutTheHelpControlNothingIsShownAndTheAnswerIsFalse) {
    System().getProcAddress = FindNothing;
    LRESULT answer = -1;
    WithDialog([&](HWND window) { answer = PressF1(window, IDC_OPT_SWAP_BUTTONS); });
    EXPECT_EQ(answer, FALSE);
    EXPECT_TRUE(requests.empty());
}

TEST_F(OptionsHelpTest, ControlsWithoutAHelpContextAskForNothing) {
    const int ids[] = {1017, 1016, 1018, 1021, 1022, 1023, 1006, 1020, IDOK, IDCANCEL};
    std::vector<LRESULT> answers;
    WithDialog([&](HWND window) {
        helpAnswer = window;
        for (int id : ids)
            answers.push_back(PressF1(window, id));
    });
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(answers, std::vector<LRESULT>(std::size(ids), FALSE));
}

TEST_F(OptionsHelpTest, HelpForAMenuItemAsksForNothing) {
    WithDialog([&](HWND window) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_MENUITEM;
        info.iCtrlId = IDC_OPT_AUTOSTART;
        info.hItemHandle = GetDlgItem(window, IDC_OPT_AUTOSTART);
        SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    });
    EXPECT_TRUE(requests.empty());
}

} // namespace

namespace {

struct TemplateBytes {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

TemplateBytes OptionsTemplate() {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDD_OPTIONS), RT_DIALOG);
    if (!resource)
        return {};
    return {static_cast<const unsigned char*>(LockResource(LoadResource(module, resource))),
            SizeofResource(module, resource)};
}

const std::vector<std::pair<int, DWORD>> kTemplateHelpIds = {
    {1010, 0x808903F2}, {1015, 0x808903F7}, {1013, 0x808903F5}};

TEST(TemplateHelpIds, ReadsTheControlsHelpContextsFromTheTemplate) {
    TemplateBytes dialog = OptionsTemplate();
    ASSERT_NE(dialog.bytes, nullptr);
    EXPECT_EQ(TemplateHelpIds(dialog.bytes, dialog.size), kTemplateHelpIds);
}

// Every cut of the template reads only within it and gives a front part of
// the full answer.
TEST(TemplateHelpIds, ATemplateCutShortGivesWhatWasReadBeforeTheCut) {
    TemplateBytes dialog = OptionsTemplate();
    ASSERT_NE(dialog.bytes, nullptr);
    for (size_t size = 0; size < dialog.size; ++size) {
        std::vector<unsigned char> cut(dialog.bytes, dialog.bytes + size);
        auto ids = TemplateHelpIds(cut.data(), cut.size());
        ASSERT_LE(ids.size(), kTemplateHelpIds.size()) << size;
        EXPECT_TRUE(std::equal(ids.begin(), ids.end(), kTemplateHelpIds.begin())) << size;
    }
}

TEST(TemplateHelpIds, AClassicTemplateGivesNone) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDD_ABOUT), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    EXPECT_TRUE(TemplateHelpIds(LockResource(LoadResource(module, resource)),
                                SizeofResource(module, resource))
                    .empty());
}

} // namespace
