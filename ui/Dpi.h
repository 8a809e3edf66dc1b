// The DPI the program draws for. The calls that answer it per window or per
// monitor are newer than Windows 7, the oldest system the program runs on:
// they are looked up at run time, and without them every answer is the
// screen's one DPI (GetDeviceCaps LOGPIXELSY).
#pragma once

#include <windows.h>

// The DPI at which the program's pixel sizes are given.
constexpr UINT kBaseDpi = 96;

// A size given at 96 DPI, at the DPI given.
inline int ScaleForDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// The system's DPI: what the shell's icons, the tray and the system
// metrics without a DPI are made for.
UINT SystemDpi();

// A system font (from SPI_GETNONCLIENTMETRICS, made for the system's DPI)
// at the size it has at the DPI given.
void ScaleSystemFontToDpi(LOGFONTA* font, UINT dpi);

// The DPI of the monitor the window is on.
UINT DpiForWindow(HWND window);

// The DPI of the monitor a screen point lies on (the nearest one when it
// lies on none).
UINT DpiAtPoint(POINT point);

// A system metric (SM_CXICON, SM_CXSMICON ...) for the DPI given.
int SystemMetricForDpi(int index, UINT dpi);
