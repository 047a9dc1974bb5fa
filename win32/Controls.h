#pragma once

#include "app/Colours.h"
#include "app/Keys.h"
#include "app/Layout.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

// The controls of both windows, built from their layout table and drawn by its looks: pictures and picture boxes,
// labels, text boxes, a push button and a line. They decide nothing: each tells its top-level window, by the
// messages below with its id in wParam, what the mouse and the keyboard did and when it took the focus.
namespace Controls {

// The first row's id; the others follow in table order.
constexpr int FirstId = 1000;

// A mouse button went down or up on a control. lParam: the button (0 left, 1 right, 2 middle) in the low word;
// in the high word MouseDown, and MouseOver when it went up over the control.
constexpr UINT WM_CONTROL_MOUSE = WM_APP + 10;
constexpr WORD MouseDown = 1;
constexpr WORD MouseOver = 2;
// A key went down on the control that has the focus. lParam: a const Keys::Press*. TRUE when the window took it;
// the control then ignores the key and the character it makes.
constexpr UINT WM_CONTROL_KEY = WM_APP + 11;
// The control took the focus.
constexpr UINT WM_CONTROL_FOCUS = WM_APP + 12;
// Files were dropped on a control that the table lets take them. lParam: a const std::vector<std::u16string>*,
// their full paths in the drop's order.
constexpr UINT WM_CONTROL_DROP = WM_APP + 13;

// Draws a control's inside in place of its picture, into a device context the size of the control.
using Painter = std::function<void(HDC dc, const RECT& inside)>;

// A window's controls by table row.
struct Built {
    const std::vector<Layout::Control>* table = nullptr;
    std::vector<HWND> rows;
    HWND toolTips = nullptr;

    template <typename Id> HWND operator[](Id control) const { return rows[Layout::rowOf(control)]; }
};

// The control an id stands for, or none.
template <typename Id> std::optional<Id> controlOfId(WPARAM id) {
    return id >= FirstId ? Layout::controlAt<Id>(id - FirstId) : std::nullopt;
}

bool registerClasses(HINSTANCE instance);

// Creates every control of the table in `window` at the screen's density, stacked in table order (the later in
// front), with their tool tips and accessible names. `ground` is the window's own colour, which its transparent
// labels show. False, with nothing left behind, when the system made one of them not.
bool build(HWND window, const std::vector<Layout::Control>& table, UINT dpi, Colours::Colour ground, Built& built);
void destroy(Built& built);

void setPainter(HWND control, Painter painter);
void setPressed(HWND control, bool pressed);

// The design's colour on this system: a system colour follows the user's theme.
COLORREF colour(Colours::Colour colour);

// One pixel of the design at the screen's density.
inline int scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), 96);
}

// A key message in the window's own terms: the auto-repeat from bit 30, Alt from bit 29 of a system key.
Keys::Press pressOf(UINT message, WPARAM key, LPARAM flags);

// Tab and Shift+Tab by the layout's Tab order, over the controls' windows that are shown and enabled; true when
// it moved.
bool moveFocus(const Built& built, bool backwards);

} // namespace Controls
