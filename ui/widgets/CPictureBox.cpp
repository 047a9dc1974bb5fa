#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/Skin.h"

#include <QMouseEvent>
#include <QPainter>

CPictureBox::CPictureBox(QWidget* parent) : QWidget(parent), m_backColor(192, 192, 192), m_keyboard(this) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPictureBox::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void CPictureBox::setBackColor(const QColor& colour) {
    m_backColor = colour;
    update();
}

void CPictureBox::setBorder(Border border) {
    m_border = border;
    m_canvas = QImage();
    update();
}

int CPictureBox::borderWidth() const {
    return Layout::borderWidth(m_border);
}

QRect CPictureBox::innerRect() const {
    const int b = borderWidth();
    return rect().adjusted(b, b, -b, -b);
}

QImage& CPictureBox::canvas() {
    // One canvas pixel per screen pixel, so what is drawn into it is as sharp as the screen allows; drawing
    // goes in logical pixels all the same.
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(innerRect().size()) * ratio).toSize().expandedTo(QSize(1, 1));
    if (m_canvas.size() != size || m_canvas.devicePixelRatio() != ratio) {
        m_canvas = QImage(size, QImage::Format_RGB32);
        m_canvas.setDevicePixelRatio(ratio);
        m_canvas.fill(m_backColor);
    }
    return m_canvas;
}

void CPictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inner = innerRect();
    painter.fillRect(inner, m_backColor);
    painter.setClipRect(inner);
    if (!m_canvas.isNull())
        painter.drawImage(inner.topLeft(), m_canvas);
    if (!m_picture.isNull()) {
        Skin::smoothWhenRescaled(painter, m_picture);
        painter.drawPixmap(inner.topLeft(), m_picture);
    }
    painter.setClipping(false);
    paintBorder(painter);
    m_keyboard.paint(painter, inner);
}

void CPictureBox::paintBorder(QPainter& painter) const {
    const QRect r = rect();
    switch (m_border) {
    case Border::None:
        return;
    case Border::Flat:
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    case Border::Sunken: {
        const QPalette& pal = palette();
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(pal.color(QPalette::Shadow));
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1));
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -1));
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(pal.color(QPalette::Button));
        painter.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
        painter.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
        return;
    }
    }
}

void CPictureBox::mousePressEvent(QMouseEvent* event) {
    // A press on a box is the box's own, never a press on the window behind it.
    event->accept();
}

void CPictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_canvas.isNull())
        canvas();
}
