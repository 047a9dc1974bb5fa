#pragma once

#include "win32/Controls.h"

// The skinned control behind every picture, picture box, label and line: it draws its row's look and tells its
// top-level window what the mouse did. Controls builds it; nothing else needs it.
namespace Controls {

bool registerSkinnedClass(HINSTANCE instance);
HWND createSkinned(HWND parent, const Layout::Control& control, int id, UINT dpi, Colours::Colour ground,
                   const RECT& place);

// Sends one of Controls' messages to the control's top-level window, with the control's id.
LRESULT tellWindow(HWND control, UINT message, LPARAM lParam);

} // namespace Controls
