#pragma once

#include <QEvent>
#include <QObject>
#include <QPainter>
#include <QRect>
#include <QVariant>
#include <QWidget>

// The dotted frame of a picture or label that has the focus. It is drawn only while its window shows the keyboard
// cues, which the window's rules turn on once the keyboard is used there, so a mouse user sees every control
// exactly as drawn. The keys themselves go to the window's rules, not to the control.
class KeyboardFocus : public QObject {
public:
    explicit KeyboardFocus(QWidget* control) : m_control(control) { control->installEventFilter(this); }

    // The window's rules decided that the cues show from now on; the focused control is drawn again with them.
    static void showCues(QWidget* window) {
        window->setProperty(CuesProperty, true);
        if (QWidget* focused = window->focusWidget())
            focused->update();
    }

    static bool cuesShown(const QWidget* window) { return window->property(CuesProperty).toBool(); }
    bool shown() const { return m_control->hasFocus() && cuesShown(m_control->window()); }

    // Draws the frame just inside `area` when the focus is to be shown.
    void paint(QPainter& painter, const QRect& area) const {
        if (!shown())
            return;
        painter.save();
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(1, 1, -2, -2));
        painter.restore();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_control && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
            m_control->update();
        return false;
    }

private:
    static constexpr const char* CuesProperty = "keyboardCuesShown";

    QWidget* m_control;
};
