#include "ui/widgets/CLabel.h"

#include <QMouseEvent>
#include <QPainter>

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent), m_keyboard(this) {
    setFocusPolicy(Qt::NoFocus);
    setBackColor(QColor());
}

void CLabel::setBackColor(const QColor& colour) {
    m_backColor = colour;
    setAutoFillBackground(colour.isValid());
    if (colour.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, colour);
        setPalette(pal);
    }
    update();
}

void CLabel::setForeColor(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}

void CLabel::setBorder(Border border) {
    if (border == Border::FlatSingle) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

void CLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    m_keyboard.paint(painter, rect().adjusted(1, 1, -1, -1));
}

void CLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
