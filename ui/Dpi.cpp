#include "ui/Dpi.h"

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI, from a header the program's target
// does not include.
constexpr int kEffectiveDpi = 0;

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

// The function's address in the module, or null on systems without it.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE User32() {
    return GetModuleHandleA("user32.dll");
}

// shcore.dll exists from Windows 8.1 on; it is loaded once and kept.
HMODULE Shcore() {
    static HMODULE module = LoadLibraryA("shcore.dll");
    return module;
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

} // namespace

UINT SystemDpi() {
    static const auto getDpiForSystem = Lookup<GetDpiForSystemFn>(User32(), "GetDpiForSystem");
    if (getDpiForSystem)
        return getDpiForSystem();
    return ScreenDpi();
}

void ScaleSystemFontToDpi(LOGFONTA* font, UINT dpi) {
    UINT systemDpi = SystemDpi();
    if (dpi != systemDpi)
        font->lfHeight = MulDiv(font->lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
}

UINT DpiForWindow(HWND window) {
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (getDpiForWindow && window) {
        UINT dpi = getDpiForWindow(window);
        if (dpi)
            return dpi;
    }
    return SystemDpi();
}

UINT DpiAtPoint(POINT point) {
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor");
    if (getDpiForMonitor) {
        UINT x = 0;
        UINT y = 0;
        HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y)
            return y;
    }
    return SystemDpi();
}

// Without the call, the system's metric is scaled from the system's DPI.
int SystemMetricForDpi(int index, UINT dpi) {
    static const auto getSystemMetricsForDpi =
        Lookup<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi)
        return getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}
