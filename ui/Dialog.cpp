#include "ui/Dialog.h"

#include "ui/Application.h"
#include "ui/SubclassedWindow.h"

Dialog::~Dialog() {
    if (hwnd_ && !modal_)
        DestroyWindow(hwnd_);
}

INT_PTR Dialog::RunModal(HWND owner) {
    if (!owner)
        owner = Application::Instance().MainWindow();
    modal_ = true;
    ModalScope scope;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HWND parent) {
    modal_ = false;
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent, DialogProc,
                       reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void Dialog::End(INT_PTR result) {
    if (modal_)
        EndDialog(hwnd_, result);
    else
        ShowWindow(hwnd_, SW_HIDE);
}

bool Dialog::HookMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}
bool Dialog::OnCommand(int, int, HWND) {
    return false;
}
bool Dialog::OnNotify(NMHDR*, LRESULT*) {
    return false;
}
bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR answer = self->Dispatch(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return answer;
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HookMessage(msg, wParam, lParam, &result))
        return Answer(msg, result);

    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        auto control = reinterpret_cast<HWND>(lParam);
        // IDOK / IDCANCEL come from the buttons, Enter / Esc and the close box.
        if (id == IDOK && (code == BN_CLICKED || !control)) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || !control)) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, code, control) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        // A control that handles its own notifications (like the group
        // tree's begin-drag) gets them first, as if reflected back to it.
        SubclassedWindow* control = SubclassedWindow::FromHandle(header->hwndFrom);
        if ((control && control->OnReflectedNotify(header, &result)) || OnNotify(header, &result))
            return Answer(msg, result);
        return FALSE;
    }
    default:
        if (OnMessage(msg, wParam, lParam, &result))
            return Answer(msg, result);
        return FALSE;
    }
}

// A dialog procedure answers most messages through DWLP_MSGRESULT; a few
// return their value directly.
INT_PTR Dialog::Answer(UINT msg, LRESULT result) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
