// The process entry: the application object runs everything.
#include <windows.h>

#include "app/LauncherApp.h"

namespace {
LauncherApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return theApp.Run();
}
