// The version dialog: the program's icon, name and version, the copyright
// line and the web address, which works as a link.
#pragma once

#include <windows.h>

#include "Version.h"
#include "ui/Dialog.h"
#include "ui/Gdi.h"

class AboutDialog : public Dialog {
public:
    AboutDialog();

    // The version control's text once the dialog is open.
    static constexpr float kVersion = BRINDLEWAY_VERSION_NUMBER;

    // For tests: the link's underlined font while the dialog is open.
    HFONT LinkFont() const { return linkFont.Get(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void ShowVersion();
    void UnderlineLink();
    bool ColourLink(HDC dc, HWND control, LRESULT* result);
    bool SetLinkCursor(HWND control);
    void OpenLink();

    Font linkFont;
};
