#pragma once

#include "app/Keys.h"

#include <QKeyEvent>
#include <QMouseEvent>

// Qt's key and mouse events in the windows' own terms, so that the rules in app/ decide what they mean.
namespace InputEvents {

inline Keys::Key keyOf(int key) {
    switch (key) {
    case Qt::Key_Space:
        return Keys::Key::Space;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Keys::Key::Enter;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Keys::Key::Tab;
    case Qt::Key_Escape:
        return Keys::Key::Escape;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return Keys::Key::Arrow;
    case Qt::Key_Alt:
        return Keys::Key::Alt;
    default:
        return key >= Qt::Key_A && key <= Qt::Key_Z ? Keys::Key::Letter : Keys::Key::Other;
    }
}

inline Keys::Press pressOf(const QKeyEvent* event) {
    Keys::Press press;
    press.key = keyOf(event->key());
    if (press.key == Keys::Key::Letter)
        press.letter = static_cast<char>('A' + (event->key() - Qt::Key_A));
    press.repeat = event->isAutoRepeat();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    press.ctrl = modifiers & Qt::ControlModifier;
    press.alt = modifiers & Qt::AltModifier;
    press.shift = modifiers & Qt::ShiftModifier;
    return press;
}

inline MouseButton buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Right;
    }
}

} // namespace InputEvents
