// One small dialog base: a static dialog procedure stores `this` at
// WM_INITDIALOG and forwards to virtual handlers. Modal and modeless dialogs
// differ only in how they are started and how they end.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/Window.h"

class Dialog : public Window {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog();

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally. With no owner the application's main window
    // owns it (and is disabled while it runs). Returns the End() result, or -1.
    INT_PTR RunModal(HWND owner = nullptr);

    // Creates the dialog modeless and returns whether the window exists.
    bool CreateModeless(HWND parent = nullptr);

    // Ends a modal run with the result; a modeless dialog is hidden instead.
    void End(INT_PTR result);

    bool IsModal() const { return modal_; }

protected:
    // Seen before every handler below; return true to consume the message
    // with *result as the window procedure's answer.
    virtual bool HookMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    virtual BOOL OnInitDialog() { return TRUE; }
    // Commands other than IDOK / IDCANCEL; return true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // Notifications not taken by a subclassed control; return true when
    // handled, with *result as the notification's answer.
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Everything else. Return true with *result when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Answer(UINT msg, LRESULT result);

    int templateId_;
    bool modal_ = false;
};
