// A window is a value: a copyable HWND with one-line methods over the real
// calls. It owns nothing; destroying the window is always explicit.
#pragma once

#include <windows.h>

#include <string>

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    HWND Handle() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(hwnd_, msg, wParam, lParam);
    }
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return PostMessageA(hwnd_, msg, wParam, lParam) != 0;
    }

    std::string Text() const;
    void SetText(const char* text) const { SetWindowTextA(hwnd_, text); }
    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != 0; }
    void Show(int command) const { ShowWindow(hwnd_, command); }
    bool IsVisible() const { return IsWindowVisible(hwnd_) != 0; }
    bool IsIconic() const { return ::IsIconic(hwnd_) != 0; }
    Window Item(int id) const { return Window(GetDlgItem(hwnd_, id)); }
    int Id() const { return GetDlgCtrlID(hwnd_); }
    RECT WindowRect() const;
    RECT ClientRect() const;
    void Invalidate(bool erase = true) const {
        InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
    }

protected:
    HWND hwnd_ = nullptr;
};
