#pragma once

#include <windows.h>

// The one way a window of this program finds its object: the object's address rides in on WM_NCCREATE and stays
// in the window's user data, so that every later message reaches T::HandleMessage. The object outlives its window;
// once the window is gone, messages no longer reach it.
template <class T> class BaseWindow {
public:
    HWND hwnd() const { return m_hwnd; }

protected:
    BaseWindow() = default;
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // Registers the class with this pattern's procedure; a class that a second window of the same kind already
    // registered counts as registered.
    static bool registerClass(WNDCLASSEXW windowClass) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &BaseWindow::windowProc;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }

    // False when the system made no window (or WM_CREATE refused it).
    bool create(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& frame, HWND owner) {
        CreateWindowExW(exStyle, className, title, style, frame.left, frame.top, frame.right - frame.left,
                        frame.bottom - frame.top, owner, nullptr, GetModuleHandleW(nullptr), this);
        return m_hwnd != nullptr;
    }

    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* created = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            created->m_hwnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        }
        auto* self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(hwnd, message, wParam, lParam);
        const LRESULT result = static_cast<T*>(self)->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->m_hwnd = nullptr;
        }
        return result;
    }
};
