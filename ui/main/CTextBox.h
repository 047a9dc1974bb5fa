#pragma once

#include <QLineEdit>

// A one-line text box with a flat one-pixel border instead of the sunken frame.
class CTextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit CTextBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
