#pragma once

#include "app/Keys.h"
#include "win32/Controls.h"
#include "win32/UiState.h"

#include <windows.h>

#include <optional>

// The messages both windows handle alike: what their controls tell them (Controls' messages), the keys that reach
// the window while no control has the focus, and the system's questions about the keyboard cues. Each becomes a
// call of the window's form (MainForm, AboutForm), whose controls are the identities `Id`.
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

// A key on a control, or on the window while none has the focus: the form's first; a Tab it left moves the focus.
template <typename Form, typename Id>
bool key(Form& form, const Controls::Built& controls, std::optional<Id> control, const Keys::Press& press) {
    if (form.keyPressed(control, press))
        return true;
    return press.key == Keys::Key::Tab && !press.ctrl && !press.alt && Controls::moveFocus(controls, press.shift);
}

// The message's result when it is one of these and handled; none when the window's own handling comes next.
template <typename Id, typename Form>
std::optional<LRESULT> dispatch(Form& form, const Controls::Built& controls, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    switch (message) {
    case Controls::WM_CONTROL_MOUSE:
        if (const std::optional<Id> control = Controls::controlOfId<Id>(wParam))
            mouse(form, *control, lParam);
        return 0;
    case Controls::WM_CONTROL_KEY:
        return key(form, controls, Controls::controlOfId<Id>(wParam), *reinterpret_cast<const Keys::Press*>(lParam));
    case Controls::WM_CONTROL_FOCUS:
        form.focusMoved(Controls::controlOfId<Id>(wParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // No control has the focus: the keys still move it and show it.
        if (key(form, controls, std::optional<Id>(), Controls::pressOf(message, wParam, lParam)))
            return 0;
        return std::nullopt;
    case WM_QUERYUISTATE:
        return UiState::query(form.focus().cuesShown());
    case WM_CHANGEUISTATE:
        if (!UiState::allows(wParam, form.focus().cuesShown()))
            return 0;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace ControlMessages
