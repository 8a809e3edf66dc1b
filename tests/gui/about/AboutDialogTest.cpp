// The version dialog: its texts, the link's look and cursor, and the click.
#include <gtest/gtest.h>

#include <string>

#include "Version.h"
#include "dialogs/AboutDialog.h"
#include "resource.h"
#include "support/GuiTest.h"
#include "support/LauncherTestSupport.h"

namespace {

// The version line as a reader writes it from the program's version: the
// minor number is the hundredths, 0.2 reads "0.20".
std::string ExpectedVersionLine() {
    const int minor = BRINDLEWAY_VERSION_MINOR;
    return "Version " + std::to_string(BRINDLEWAY_VERSION_MAJOR) + "." +
           (minor < 10 ? std::to_string(minor) + "0" : std::to_string(minor));
}

// Runs the dialog modally and hands its window to the check, then closes it.
template <typename Check>
void WithDialog(AboutDialog& dialog, Check check) {
    int runs = 0;
    ModalDriver driver([&](HWND hwnd) {
        ++runs;
        check(hwnd);
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, dialog.RunModal());
    EXPECT_EQ(1, runs);
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

// The static control of the dialog whose text is this.
HWND StaticWithText(HWND dialog, const char* text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[128] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (std::string(buffer) == text)
            return child;
    }
    return nullptr;
}

TEST(AboutDialogTest, ShowsTheVersionCopyrightAndAddress) {
    AboutDialog dialog;
    WithDialog(dialog, [](HWND hwnd) {
        EXPECT_EQ(ExpectedVersionLine(), DialogItemText(hwnd, IDC_ABOUT_VERSION));
        EXPECT_EQ("https://brindleway.example.org/", DialogItemText(hwnd, IDC_ABOUT_LINK));
        EXPECT_NE(nullptr, StaticWithText(hwnd, "Copyright (C) 2026 Brindleway"));
        char caption[64] = {};
        GetWindowTextA(hwnd, caption, sizeof caption);
        EXPECT_STREQ("バージョン情報", caption);
    });
}

TEST(AboutDialogTest, OnlyTheLinkIsUnderlinedAndTheFontGoesWithTheDialog) {
    HFONT first = nullptr;
    for (int run = 0; run < 2; ++run) {
        AboutDialog dialog;
        HFONT font = nullptr;
        WithDialog(dialog, [&](HWND hwnd) {
            HWND link = GetDlgItem(hwnd, IDC_ABOUT_LINK);
            font = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
            EXPECT_EQ(dialog.LinkFont(), font);
            LOGFONTA linkFont = FontOf(link);
            LOGFONTA versionFont = FontOf(GetDlgItem(hwnd, IDC_ABOUT_VERSION));
            EXPECT_EQ(1, linkFont.lfUnderline);
            EXPECT_EQ(0, versionFont.lfUnderline);
            // Otherwise the dialog's own font.
            EXPECT_STREQ(versionFont.lfFaceName, linkFont.lfFaceName);
            EXPECT_EQ(versionFont.lfHeight, linkFont.lfHeight);
        });
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(0u, GetObjectType(font)) << "the underlined font is deleted on close";
        EXPECT_EQ(nullptr, dialog.LinkFont());
        if (run == 0)
            first = font;
    }
    EXPECT_NE(nullptr, first);
}

TEST(AboutDialogTest, OnlyTheLinkIsBlue) {
    AboutDialog dialog;
    WithDialog(dialog, [](HWND hwnd) {
        HDC dc = CreateCompatibleDC(nullptr);
        const COLORREF marker = RGB(1, 2, 3);
        for (int id : {IDC_ABOUT_LINK, IDC_ABOUT_VERSION}) {
            SCOPED_TRACE(id);
            SetTextColor(dc, marker);
            LRESULT brush = SendMessageA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, id)));
            EXPECT_NE(0, brush);
            if (id == IDC_ABOUT_LINK)
                EXPECT_EQ(RGB(0, 0, 255), GetTextColor(dc));
            else
                EXPECT_NE(RGB(0, 0, 255), GetTextColor(dc));
        }
        DeleteDC(dc);
    });
}

TEST(AboutDialogTest, TheHandCursorShowsOverTheLinkOnly) {
    AboutDialog dialog;
    WithDialog(dialog, [](HWND hwnd) {
        HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
        HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
        SetCursor(arrow);
        HWND version = GetDlgItem(hwnd, IDC_ABOUT_VERSION);
        SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(version),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_NE(hand, GetCursor());
        HWND link = GetDlgItem(hwnd, IDC_ABOUT_LINK);
        EXPECT_EQ(TRUE, SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(hand, GetCursor());
    });
}

TEST(AboutDialogTest, AClickOnTheLinkOpensWhatItShows) {
    ShellRecorder shell;
    AboutDialog dialog;
    std::string shown;
    WithDialog(dialog, [&](HWND hwnd) {
        HWND link = GetDlgItem(hwnd, IDC_ABOUT_LINK);
        SetWindowTextA(link, "https://example.org/other");
        shown = DialogItemText(hwnd, IDC_ABOUT_LINK);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        // Other notifications of the link do nothing.
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_DBLCLK),
                     reinterpret_cast<LPARAM>(link));
    });
    std::vector<ShellCall> calls = shell.Of("ShellExecute");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(shown, calls[0].file);
    EXPECT_EQ("(null)", calls[0].verb);
    EXPECT_TRUE(calls[0].noParameters && calls[0].noDirectory && calls[0].noWindow);
    EXPECT_EQ(SW_SHOWNORMAL, calls[0].show);
}

} // namespace
