#pragma once

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPainter>
#include <QRect>
#include <QWidget>
#include <functional>
#include <utility>

// The keyboard side of a picture or label that acts on a click, kept in one place for every such control. Space
// and Enter act like the click; the focus is shown with a dotted frame only when it arrived from the keyboard, so
// a mouse user sees the control exactly as drawn. It watches the control's events itself, so the control only
// constructs it and calls paint().
class KeyboardFocus : public QObject {
public:
    KeyboardFocus(QWidget* control, std::function<void()> activate)
        : m_control(control), m_activate(std::move(activate)) {
        control->installEventFilter(this);
    }

    // True when the key acts on the control (a held key acts once).
    static bool activates(const QKeyEvent* event) {
        if (event->isAutoRepeat() || (event->modifiers() & ~Qt::KeypadModifier))
            return false;
        const int key = event->key();
        return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    }

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_control)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            // The filter sees the key before the control's own refusal of input while disabled.
            if (!m_control->isEnabled() || !activates(static_cast<QKeyEvent*>(event)))
                return false;
            event->accept();
            m_activate();
            return true;
        case QEvent::FocusIn:
            m_shown = fromKeyboard(static_cast<QFocusEvent*>(event)->reason());
            m_control->update();
            return false;
        case QEvent::FocusOut:
            m_shown = false;
            m_control->update();
            return false;
        default:
            return false;
        }
    }

private:
    static bool fromKeyboard(Qt::FocusReason reason) {
        return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    }

    QWidget* m_control;
    std::function<void()> m_activate;
    bool m_shown = false;
};
