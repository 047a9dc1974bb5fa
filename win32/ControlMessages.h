#pragma once

#include "app/Keys.h"
#include "win32/Controls.h"

#include <windows.h>

// The controls' messages to their window, turned into the calls of the window's form; both windows' forms take
// the same mouse calls.
namespace ControlMessages {

// A control's WM_CONTROL_MOUSE: a press, or a release over the control or away from it.
template <typename Form, typename Id> void mouse(Form& form, Id control, LPARAM event) {
    const WORD index = LOWORD(event);
    const MouseButton button = index == 0 ? MouseButton::Left : index == 1 ? MouseButton::Right : MouseButton::Middle;
    if (HIWORD(event) & Controls::MouseDown)
        form.mousePressed(control, button);
    else
        form.mouseReleased(control, button, (HIWORD(event) & Controls::MouseOver) != 0);
}

} // namespace ControlMessages
