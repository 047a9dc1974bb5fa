#include "win32/frmAbout.h"

#include "app/About.h"
#include "app/Layout.h"
#include "win32/Fonts.h"
#include "win32/Text.h"
#include "win32/UiState.h"
#include "win32/resource.h"

#include <shellapi.h>

using Layout::AboutControl;

namespace {

constexpr wchar_t ClassName[] = L"ZarvelAbout";
constexpr DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

} // namespace

bool frmAbout::registerClass(HINSTANCE instance) {
    WNDCLASSEXW window{};
    window.hInstance = instance;
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_ACTIVEBORDER + 1);
    window.lpszClassName = ClassName;
    return BaseWindow::registerClass(window);
}

frmAbout::frmAbout(HWND owner, UINT dpi, bool cuesAlways) : m_owner(owner), m_dpi(dpi), m_form(*this, cuesAlways) {}

frmAbout::~frmAbout() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

bool frmAbout::open() {
    RECT frame{0, 0, Controls::scaled(About::InnerWidth, m_dpi), Controls::scaled(About::InnerHeight, m_dpi)};
    AdjustWindowRectExForDpi(&frame, Style, FALSE, WS_EX_TOOLWINDOW, m_dpi);
    RECT over{};
    GetWindowRect(m_owner, &over);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = (over.left + over.right - width) / 2, top = (over.top + over.bottom - height) / 2;
    if (!create(WS_EX_TOOLWINDOW, ClassName, Text::wide(About::Title).c_str(), Style,
                RECT{left, top, left + width, top + height}, m_owner))
        return false;
    if (!Controls::build(m_hwnd, Layout::aboutWindow(), m_dpi, Colours::ActiveBorder, m_controls)) {
        DestroyWindow(m_hwnd);
        return false;
    }
    style();
    UiState::apply(m_hwnd, m_form.focus().cuesShown());
    return true;
}

void frmAbout::style() {
    SendMessageW(control(AboutControl::Label_3), WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::link(m_dpi)), FALSE);
    Controls::setPainter(control(AboutControl::Image1), [](HDC dc, const RECT& inside) {
        const auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZARVEL), IMAGE_ICON, 16, 16, LR_SHARED));
        DrawIconEx(dc, 0, 0, icon, inside.right, inside.bottom, 0, nullptr, DI_NORMAL);
    });
}

bool frmAbout::showModal() {
    if (!open())
        return false;
    EnableWindow(m_owner, FALSE);
    ShowWindow(m_hwnd, SW_SHOW);
    m_form.opened();
    m_shown = true;
    MSG message{};
    while (m_shown && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A quit that arrived while the window was open belongs to the loop of the program.
    if (message.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(message.wParam));
    // The owner comes back before this window goes, so that the system activates it and no other program.
    EnableWindow(m_owner, TRUE);
    DestroyWindow(m_hwnd);
    return true;
}

bool frmAbout::onKey(std::optional<AboutControl> control, const Keys::Press& press) {
    if (m_form.keyPressed(control, press))
        return true;
    return press.key == Keys::Key::Tab && !press.ctrl && !press.alt && Controls::moveFocus(m_controls, press.shift);
}

void frmAbout::onMouse(AboutControl control, LPARAM event) {
    // The link acts on a left click that ends over it, like a button.
    if (LOWORD(event) == 0 && HIWORD(event) == Controls::MouseOver)
        m_form.clicked(control);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (const auto control = Controls::controlOfId<AboutControl>(LOWORD(wParam));
            HIWORD(wParam) == BN_CLICKED && control)
            m_form.clicked(*control);
        return 0;
    case Controls::WM_CONTROL_MOUSE:
        if (const auto control = Controls::controlOfId<AboutControl>(wParam))
            onMouse(*control, lParam);
        return 0;
    case Controls::WM_CONTROL_KEY:
        return onKey(Controls::controlOfId<AboutControl>(wParam), *reinterpret_cast<const Keys::Press*>(lParam));
    case Controls::WM_CONTROL_FOCUS:
        m_form.focusMoved(Controls::controlOfId<AboutControl>(wParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (onKey(std::nullopt, Controls::pressOf(message, wParam, lParam)))
            return 0;
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && m_shown) {
            m_form.activated();
            return 0;
        }
        break;
    case WM_QUERYUISTATE:
        return UiState::query(m_form.focus().cuesShown());
    case WM_CHANGEUISTATE:
        if (!UiState::allows(wParam, m_form.focus().cuesShown()))
            return 0;
        break;
    case WM_CLOSE:
        close();
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

void frmAbout::focus(AboutControl control) {
    SetFocus(this->control(control));
}

void frmAbout::showCues() {
    UiState::apply(m_hwnd, true);
}

void frmAbout::close() {
    m_shown = false;
    // The modal loop sees the end at its next message, which may otherwise be long in coming.
    PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

void frmAbout::openAddress(const std::string& address) {
    // Opening the page is a courtesy: whatever fails, the window stays as it is.
    ShellExecuteW(m_hwnd, L"open", Text::wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
