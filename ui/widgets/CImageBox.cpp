#include "ui/widgets/CImageBox.h"
#include "ui/widgets/Skin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

CImageBox::CImageBox(QWidget* parent) : QWidget(parent), m_keyboard(this) {
    setFocusPolicy(Qt::NoFocus);
}

void CImageBox::setPicture(const QPixmap& picture, Fit fit) {
    m_picture = picture;
    m_fit = fit;
    if (fit == Fit::Natural && !picture.isNull())
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void CImageBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture.isNull()) {
        Skin::smoothWhenRescaled(painter, m_picture);
        if (m_fit == Fit::Stretch)
            painter.drawPixmap(rect(), m_picture);
        else
            painter.drawPixmap(0, 0, m_picture);
    }
    m_keyboard.paint(painter, rect());
}

void CImageBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CImageBox::changeEvent(QEvent* event) {
    // Qt already hands a disabled widget's presses to its parent; being transparent as well makes sure
    // the window under it also gets the moves and the release of a drag that starts here.
    if (event->type() == QEvent::EnabledChange)
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    QWidget::changeEvent(event);
}
