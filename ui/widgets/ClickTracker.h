#pragma once

#include <QMouseEvent>
#include <QWidget>

// A click as the pictures and labels of these windows know it: the left button pressed on the control and
// released over it. Other buttons neither start nor spoil one.
class ClickTracker {
public:
    void press(const QMouseEvent* event) {
        if (event->button() == Qt::LeftButton)
            m_leftDown = true;
    }

    // True when this release completes a click on `control`.
    bool release(const QMouseEvent* event, const QWidget* control) {
        if (event->button() != Qt::LeftButton)
            return false;
        const bool wasDown = m_leftDown;
        m_leftDown = false;
        return wasDown && control->rect().contains(event->position().toPoint());
    }

private:
    bool m_leftDown = false;
};
