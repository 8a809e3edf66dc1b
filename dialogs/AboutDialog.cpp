#include "dialogs/AboutDialog.h"

#include <string>

#include "resource.h"
#include "ui/SystemCalls.h"

AboutDialog::AboutDialog() : Dialog(IDD_ABOUT) {}

BOOL AboutDialog::OnInitDialog() {
    ShowVersion();
    UnderlineLink();
    return TRUE;
}

// "Version 0.20": the version with two decimals, rounded as "%0.2f" would
// print it. Formatted by hand: the C library's printf, with its floating-
// point conversion, would add some 20 KB to the program for this one line.
void AboutDialog::ShowVersion() {
    const long hundredths = static_cast<long>(kVersion * 100.0f + 0.5f);
    const std::string decimals = std::to_string(hundredths % 100);
    const std::string text = "Version " + std::to_string(hundredths / 100) + "." +
                             (decimals.size() < 2 ? "0" : "") + decimals;
    Item(IDC_ABOUT_VERSION).SetText(text.c_str());
}

// The link keeps the dialog's font, underlined.
void AboutDialog::UnderlineLink() {
    Window link = Item(IDC_ABOUT_LINK);
    auto current = reinterpret_cast<HFONT>(link.Send(WM_GETFONT));
    LOGFONTA logFont{};
    GetObjectA(current ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    logFont.lfUnderline = 1;
    linkFont.Reset(CreateFontIndirectA(&logFont));
    link.Send(WM_SETFONT, reinterpret_cast<WPARAM>(linkFont.Get()), TRUE);
}

bool AboutDialog::OnCommand(int id, int code, HWND) {
    if (id == IDC_ABOUT_LINK && code == STN_CLICKED) {
        OpenLink();
        return true;
    }
    return false;
}

bool AboutDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        return ColourLink(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    case WM_SETCURSOR:
        if (!SetLinkCursor(reinterpret_cast<HWND>(wParam)))
            return false;
        *result = TRUE;
        return true;
    case WM_DESTROY:
        linkFont.Reset();
        return false;
    default:
        return false;
    }
}

// Only the link is blue; the background stays the dialog's.
bool AboutDialog::ColourLink(HDC dc, HWND control, LRESULT* result) {
    if (GetDlgCtrlID(control) != IDC_ABOUT_LINK)
        return false;
    *result = DefWindowProcA(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(control));
    SetTextColor(dc, RGB(0, 0, 255));
    return true;
}

bool AboutDialog::SetLinkCursor(HWND control) {
    if (GetDlgCtrlID(control) != IDC_ABOUT_LINK)
        return false;
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    return true;
}

// Opens exactly what the link shows.
void AboutDialog::OpenLink() {
    std::string address = Item(IDC_ABOUT_LINK).Text();
    System().shellExecute(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
