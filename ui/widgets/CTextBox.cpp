#include "ui/widgets/CTextBox.h"

#include <QDropEvent>
#include <QPainter>
#include <limits>

CTextBox::CTextBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(2, 1, 2, 1);
    setAcceptDrops(false);
    // No length limit of its own: a long path or a pasted size text is kept whole, not cut at 32767.
    setMaxLength(std::numeric_limits<int>::max());
    setAutoFillBackground(true);
}

void CTextBox::setOLEDropMode(DropMode mode) {
    m_dropMode = mode;
    setAcceptDrops(mode == DropMode::Manual);
}

void CTextBox::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// The line edit's own drag handling would move the caret over the text and insert dragged text; in the
// manual mode nothing looks at the data until it is dropped.
void CTextBox::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropMode == DropMode::Manual)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTextBox::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropMode == DropMode::Manual)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTextBox::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void CTextBox::dropEvent(QDropEvent* event) {
    event->ignore();
    if (m_dropMode == DropMode::Manual)
        emit OLEDragDrop(event);
}
