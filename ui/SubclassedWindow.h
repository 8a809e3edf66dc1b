// A control whose window procedure the program replaces, to add behaviour
// (like dragging in a tree view) while the control keeps its own. The object
// is found from the HWND through a window property.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/Window.h"

class SubclassedWindow : public Window {
public:
    SubclassedWindow() = default;
    virtual ~SubclassedWindow();

    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    // Takes over the window procedure of an existing window.
    bool Subclass(HWND hwnd);
    void Unsubclass();

    static SubclassedWindow* FromHandle(HWND hwnd);

    // Notifications the control sent to its parent, offered back to the
    // control first; return true when handled, with *result as the answer.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT* result);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC previous_ = nullptr;
};
