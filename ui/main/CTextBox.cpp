#include "ui/main/CTextBox.h"

#include <QPainter>

CTextBox::CTextBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(2, 1, 2, 1);
    setAcceptDrops(false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
}

void CTextBox::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
