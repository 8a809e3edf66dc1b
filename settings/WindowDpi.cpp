// The settings window at the DPI of its monitor: its icons, and what it
// resizes itself when it moves to a monitor with another DPI.
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "tray/OwnerDraw.h"
#include "ui/Dpi.h"

// The window's big and small icons at the sizes the DPI asks for. The new
// ones are in place before the old ones are destroyed.
void SettingsWindow::SetWindowIcons(UINT dpi) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    Icon big = LoadIconAtSize(module, IDI_BRINDLEWAY, SystemMetricForDpi(SM_CXICON, dpi));
    Icon small = LoadIconAtSize(module, IDI_BRINDLEWAY, SystemMetricForDpi(SM_CXSMICON, dpi));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    bigIcon = std::move(big);
    smallIcon = std::move(small);
    windowDpi = dpi;
}

// The window takes the rectangle the system suggests for the new DPI; the
// dialog's own handling, which runs after this, scales its font and
// controls. The list's columns keep their share of the list, and the icons
// are loaded again at the new sizes; the menus' kept paints and text widths
// were made for the old DPI.
void SettingsWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == windowDpi)
        return;
    ForgetMenuPaintsAndWidths();
    UINT previous = windowDpi;
    for (int column = 0; column < 2; ++column) {
        int width = ListView_GetColumnWidth(itemList.Handle(), column);
        ListView_SetColumnWidth(itemList.Handle(), column,
                                MulDiv(width, static_cast<int>(dpi), static_cast<int>(previous)));
    }
    SetWindowIcons(dpi);
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}
