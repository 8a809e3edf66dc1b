#include "ui/SubclassedWindow.h"

namespace {
const char kObjectProperty[] = "Brindleway.Object";
}

SubclassedWindow::~SubclassedWindow() {
    Unsubclass();
}

bool SubclassedWindow::Subclass(HWND hwnd) {
    Unsubclass();
    if (!hwnd || !SetPropA(hwnd, kObjectProperty, this))
        return false;
    hwnd_ = hwnd;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    return true;
}

void SubclassedWindow::Unsubclass() {
    if (!hwnd_)
        return;
    if (previous_)
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    RemovePropA(hwnd_, kObjectProperty);
    previous_ = nullptr;
    hwnd_ = nullptr;
}

SubclassedWindow* SubclassedWindow::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<SubclassedWindow*>(GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool SubclassedWindow::OnReflectedNotify(NMHDR*, LRESULT*) {
    return false;
}

LRESULT SubclassedWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT SubclassedWindow::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(previous_, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassedWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SubclassedWindow* self = FromHandle(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window is going: hand back its procedure before it is gone.
        WNDPROC previous = self->previous_;
        self->Unsubclass();
        return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
    }
    return self->WindowProc(msg, wParam, lParam);
}
