#include "win32/SkinnedControl.h"

#include "win32/Art.h"
#include "win32/Fonts.h"
#include "win32/Gdi.h"
#include "win32/Text.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace Controls {
namespace {

constexpr wchar_t SkinnedClass[] = L"ZarvelSkinned";
constexpr int NoButton = -1;

// What a skinned control draws and how it takes the mouse; everything else is its window's business.
struct State {
    const Layout::Control* row = nullptr;
    Colours::Colour ground = Colours::Silver; // its container's, for a transparent label
    Gdi::Bitmap picture;
    int pictureWidth = 0; // the picture's design size, in the screen's pixels
    int pictureHeight = 0;
    Painter painter;
    HFONT font = nullptr;
    bool pressed = false;
    int buttonDown = NoButton;
    UINT dpi = 96;
};

State* stateOf(HWND control) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

// Asked of the window, which answers from its rules: not every system keeps the state for its controls.
bool cuesShown(HWND control) {
    return (SendMessageW(GetAncestor(control, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

void drawLabel(HWND control, const State& state, HDC dc, const RECT& inside) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    Gdi::Selected selected(dc, state.font ? state.font : Fonts::window(state.dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour(state.row->look.fore));
    RECT area = inside;
    const UINT align = state.row->look.align == Layout::Align::Centre ? DT_CENTER : DT_LEFT;
    DrawTextW(dc, text, -1, &area, align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void drawPicture(const State& state, HDC dc) {
    Gdi::MemoryDc source(dc);
    Gdi::Selected selected(source.get(), state.picture.get());
    BITMAP info{};
    GetObjectW(state.picture.get(), sizeof info, &info);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, state.pictureWidth, state.pictureHeight, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
}

void paintInside(HWND control, const State& state, HDC dc, const RECT& inside) {
    const Layout::Look& look = state.row->look;
    Colours::Colour ground = Layout::groundOf(look, state.pressed).value_or(state.ground);
    if (state.row->kind == Layout::Kind::Line)
        ground = look.fore;
    Gdi::Brush back(CreateSolidBrush(colour(ground)));
    FillRect(dc, &inside, back.get());
    if (state.painter)
        state.painter(dc, inside);
    else if (state.picture)
        drawPicture(state, dc);
    else if (state.row->kind == Layout::Kind::Label)
        drawLabel(control, state, dc, inside);
    // A flat border is one pixel of the design: as thick as everything else at the screen's density.
    const int flat = look.border == Layout::Border::Flat ? scaled(Layout::borderWidth(look.border), state.dpi) : 0;
    RECT ring = inside;
    for (int drawn = 0; drawn < flat; ++drawn, InflateRect(&ring, -1, -1))
        FrameRect(dc, &ring, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (look.border == Layout::Border::Sunken) {
        RECT frame = inside;
        DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    }
    if (GetFocus() == control && cuesShown(control)) {
        RECT frame = inside;
        InflateRect(&frame, -std::max(flat, 1), -std::max(flat, 1));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &frame);
    }
}

void paint(HWND control, const State& state) {
    Gdi::PaintDc window(control);
    RECT inside{};
    GetClientRect(control, &inside);
    // Off screen first, so that a frame of the progress box never shows half drawn.
    Gdi::MemoryDc canvas(window.get());
    Gdi::Bitmap bitmap(CreateCompatibleBitmap(window.get(), inside.right, inside.bottom));
    Gdi::Selected selected(canvas.get(), bitmap.get());
    paintInside(control, state, canvas.get(), inside);
    BitBlt(window.get(), 0, 0, inside.right, inside.bottom, canvas.get(), 0, 0, SRCCOPY);
}

int buttonOf(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 1;
    default:
        return 2;
    }
}

void mouseDown(HWND control, State& state, int button) {
    // Only a clickable control follows the mouse off itself: the release must still come here.
    if (state.row->look.clickable && state.buttonDown == NoButton) {
        state.buttonDown = button;
        SetCapture(control);
    }
    tellWindow(control, WM_CONTROL_MOUSE, MAKELPARAM(button, MouseDown));
}

void mouseUp(HWND control, State& state, int button, LPARAM at) {
    if (state.buttonDown == button) {
        state.buttonDown = NoButton;
        if (GetCapture() == control)
            ReleaseCapture();
    }
    RECT inside{};
    GetClientRect(control, &inside);
    const bool over = PtInRect(&inside, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}) != FALSE;
    tellWindow(control, WM_CONTROL_MOUSE, MAKELPARAM(button, over ? MouseOver : 0));
}

// The capture went elsewhere (a box came up): the press ends without a click.
void captureLost(HWND control, State& state) {
    const int button = std::exchange(state.buttonDown, NoButton);
    if (button != NoButton)
        tellWindow(control, WM_CONTROL_MOUSE, MAKELPARAM(button, 0));
}

HCURSOR cursorOf(const State& state) {
    switch (state.row->look.cursor) {
    case Layout::Cursor::Hand:
        return Art::handCursor(GetModuleHandleW(nullptr), state.dpi);
    case Layout::Cursor::UpArrow:
        return LoadCursorW(nullptr, IDC_UPARROW);
    case Layout::Cursor::Arrow:
        break;
    }
    return LoadCursorW(nullptr, IDC_ARROW);
}

LRESULT CALLBACK skinnedProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    State* state = stateOf(control);
    if (!state)
        return DefWindowProcW(control, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(control, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // A picture the design disables lets the press through, so the window is moved by it.
        return state->row->look.enabled ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        mouseDown(control, *state, buttonOf(message));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        mouseUp(control, *state, buttonOf(message), lParam);
        return 0;
    case WM_CAPTURECHANGED:
        captureLost(control, *state);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT)
            break;
        SetCursor(cursorOf(*state));
        return TRUE;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_UPDATEUISTATE:
        DefWindowProcW(control, message, wParam, lParam);
        InvalidateRect(control, nullptr, FALSE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(control, nullptr, FALSE);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        delete state;
        return 0;
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

std::unique_ptr<State> skinnedState(const Layout::Control& control, Colours::Colour ground, UINT dpi) {
    auto state = std::make_unique<State>();
    state->row = &control;
    state->ground = ground;
    state->dpi = dpi;
    if (*control.picture) {
        state->picture = Art::picture(GetModuleHandleW(nullptr), control.picture, dpi);
        BITMAP info{};
        GetObjectW(state->picture.get(), sizeof info, &info);
        const int density = dpi >= Art::DenseDpi ? 2 : 1;
        state->pictureWidth = scaled(info.bmWidth / density, dpi);
        state->pictureHeight = scaled(info.bmHeight / density, dpi);
    }
    return state;
}
} // namespace

LRESULT tellWindow(HWND control, UINT message, LPARAM lParam) {
    return SendMessageW(GetAncestor(control, GA_ROOT), message, static_cast<WPARAM>(GetDlgCtrlID(control)), lParam);
}

bool registerSkinnedClass(HINSTANCE instance) {
    WNDCLASSEXW skinned{};
    skinned.cbSize = sizeof skinned;
    skinned.lpfnWndProc = skinnedProc;
    skinned.hInstance = instance;
    skinned.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    skinned.lpszClassName = SkinnedClass;
    return RegisterClassExW(&skinned) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND createSkinned(HWND parent, const Layout::Control& control, int id, UINT dpi, Colours::Colour ground,
                   const RECT& place) {
    std::unique_ptr<State> state = skinnedState(control, ground, dpi);
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (control.tabPlace >= 0 ? WS_TABSTOP : 0);
    const std::wstring text = Text::wide(*control.text ? control.text : control.accessibleName);
    HWND hwnd = CreateWindowExW(0, SkinnedClass, text.c_str(), style, place.left, place.top, place.right - place.left,
                                place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
    return hwnd;
}

void setPainter(HWND control, Painter painter) {
    if (State* state = stateOf(control))
        state->painter = std::move(painter);
}

void setPressed(HWND control, bool pressed) {
    State* state = stateOf(control);
    if (!state || state->pressed == pressed)
        return;
    state->pressed = pressed;
    InvalidateRect(control, nullptr, FALSE);
}

} // namespace Controls
