#pragma once

#include "app/Layout.h"
#include "win32/Gdi.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// The skinned controls of both windows, built from their layout table: pictures and picture boxes, labels, text
// boxes, a push button and a line. A clickable one tells its window by WM_COMMAND with BN_CLICKED, from a mouse
// click or from Space or Enter while it has the focus.
namespace Controls {

// The skin's colours.
constexpr COLORREF Silver = RGB(192, 192, 192);
constexpr COLORREF LightGrey = RGB(224, 224, 224);
constexpr COLORREF MidGrey = RGB(128, 128, 128);

// The first control's command id; the others follow in table order.
constexpr int FirstId = 1000;

// Draws a control's inside in place of its picture, into a device context the size of the control.
using Painter = std::function<void(HDC dc, const RECT& inside)>;

struct Look {
    COLORREF back = Silver;
    COLORREF pressedBack = Silver; // while the mouse button is down on a clickable control
    COLORREF fore = RGB(0, 0, 0);  // a label's text
    HFONT font = nullptr;          // a label's, when not the window's
    bool border = false;           // a flat one-pixel frame
    bool sunken = false;           // a sunken three-dimensional frame
    bool clickable = false;
    LPCWSTR cursor = nullptr; // over a clickable control; the hand when none
};

// The window's controls by design name, each also under its table row.
struct Built {
    std::map<std::string, HWND> byName;
    std::vector<HWND> inTableOrder;
    HWND toolTips = nullptr;

    HWND operator[](const std::string& name) const { return byName.at(name); }
};

void registerClasses(HINSTANCE instance);

// Creates every control of the table in `window` at the screen's density, stacked in table order (the later
// in front), with their tool tips and accessible names.
Built build(HWND window, const std::vector<Layout::Control>& table, UINT dpi);

// A text box then takes the first of the files dropped on it as its whole text.
void acceptFileDrops(HWND box);
void setLook(HWND control, const Look& look);
void setPainter(HWND control, Painter painter);
bool isPressed(HWND control);
// An image or a label: on the other platform drawn on its container, so never above a true window there.
bool isLightweight(HWND control);

// One pixel of the design at the screen's density.
inline int scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), 96);
}

// The window's font at the screen's density, made once per density.
HFONT font(UINT dpi);

// Tab and Shift+Tab through the table's tab places, skipping what is hidden or disabled; true when the key
// was taken.
bool moveFocus(const std::vector<Layout::Control>& table, const Built& controls, bool backwards);

} // namespace Controls
