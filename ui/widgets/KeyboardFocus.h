#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRect>

// The keyboard side of a picture or label that acts on a click. Space and Enter act like the click; the focus
// is shown with a dotted frame only when it arrived from the keyboard, so a mouse user sees the control
// exactly as drawn.
class KeyboardFocus {
public:
    // True when the key acts on the control (a held key acts once).
    static bool activates(const QKeyEvent* event) {
        if (event->isAutoRepeat() || (event->modifiers() & ~Qt::KeypadModifier))
            return false;
        const int key = event->key();
        return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    }

    void focusIn(const QFocusEvent* event) {
        const Qt::FocusReason reason = event->reason();
        m_shown = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    }
    void focusOut() { m_shown = false; }
    bool shown() const { return m_shown; }

    // Draws the frame just inside `area` when the focus is to be shown.
    void paint(QPainter& painter, const QRect& area) const {
        if (!m_shown)
            return;
        painter.save();
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(1, 1, -2, -2));
        painter.restore();
    }

private:
    bool m_shown = false;
};
