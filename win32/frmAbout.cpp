#include "win32/frmAbout.h"

#include "app/About.h"
#include "app/Layout.h"
#include "win32/Controls.h"
#include "win32/Text.h"
#include "win32/resource.h"

#include <shellapi.h>

namespace frmAbout {
namespace {

constexpr wchar_t ClassName[] = L"ZarvelAbout";
HWND g_window = nullptr;
Controls::Built g_controls;

void Label_Click() {
    // Opening the page is a courtesy: whatever fails, the window stays as it is.
    ShellExecuteW(g_window, L"open", Text::wide(About::MakerAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void style(UINT dpi) {
    Controls::Look picture;
    picture.sunken = true;
    Controls::setLook(g_controls["Picture1"], picture);

    // The link's own face, made once; the window's font where it is missing.
    static const Gdi::Font linkFont(CreateFontW(-Controls::scaled(12, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                DEFAULT_QUALITY, FF_SCRIPT, L"Comic Sans MS"));
    Controls::Look link;
    link.fore = RGB(0, 0, 0xC0);
    link.font = linkFont.get();
    link.clickable = true;
    link.cursor = IDC_ARROW;
    Controls::setLook(g_controls["Label_3"], link);

    Controls::setPainter(g_controls["Image1"], [](HDC dc, const RECT& inside) {
        const auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZARVEL), IMAGE_ICON, 16, 16, LR_SHARED));
        DrawIconEx(dc, 0, 0, icon, inside.right, inside.bottom, 0, nullptr, DI_NORMAL);
    });
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == g_controls["cmdOK"])
            DestroyWindow(hwnd);
        else if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == g_controls["Label_3"])
            Label_Click();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        g_window = nullptr;
        g_controls = {};
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// OK is neither the default nor the cancel button: Esc does nothing, Enter presses OK only while it has the
// focus; Tab goes through the window's own order.
bool preTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.hwnd != g_window && !IsChild(g_window, message.hwnd)))
        return false;
    if (message.wParam == VK_TAB)
        return Controls::moveFocus(Layout::aboutWindow(), g_controls, GetKeyState(VK_SHIFT) < 0);
    if (message.wParam == VK_RETURN && GetFocus() == g_controls["cmdOK"]) {
        SendMessageW(g_controls["cmdOK"], BM_CLICK, 0, 0);
        return true;
    }
    return message.wParam == VK_ESCAPE || message.wParam == VK_RETURN;
}

HWND create(HWND owner, UINT dpi) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, Controls::scaled(About::InnerWidth, dpi), Controls::scaled(About::InnerHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_TOOLWINDOW, dpi);
    RECT over{};
    GetWindowRect(owner, &over);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    return CreateWindowExW(WS_EX_TOOLWINDOW, ClassName, Text::wide(About::Title).c_str(), style,
                           (over.left + over.right - width) / 2, (over.top + over.bottom - height) / 2, width, height,
                           owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

void registerClass(HINSTANCE instance) {
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = instance;
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window.lpszClassName = ClassName;
    RegisterClassExW(&window);
}

void showModal(HWND owner, UINT dpi) {
    if (g_window)
        return;
    g_window = create(owner, dpi);
    if (!g_window)
        return;
    g_controls = Controls::build(g_window, Layout::aboutWindow(), dpi);
    style(dpi);
    EnableWindow(owner, FALSE);
    ShowWindow(g_window, SW_SHOW);
    SetFocus(g_controls["cmdOK"]);
    MSG message{};
    while (g_window && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (preTranslate(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A quit that arrived while the window was open belongs to the loop of the program.
    if (message.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(message.wParam));
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
}

HWND current() {
    return g_window;
}

} // namespace frmAbout
