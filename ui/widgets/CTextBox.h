#pragma once

#include <QLineEdit>

class QDropEvent;

// A one-line text box with a flat one-pixel border instead of the sunken frame. Dropping onto it is off
// unless the manual drop mode is chosen; then every drop goes to the OLEDragDrop handler and the box
// itself never inserts dragged text.
class CTextBox : public QLineEdit {
    Q_OBJECT
public:
    enum class DropMode { None, Manual };

    explicit CTextBox(QWidget* parent = nullptr);

    void setOLEDropMode(DropMode mode);
    DropMode OLEDropMode() const { return m_dropMode; }

signals:
    // The handler decides whether the drop is taken (accept) or refused (ignore, the default).
    void OLEDragDrop(QDropEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    DropMode m_dropMode = DropMode::None;
};
