#pragma once

#include "ui/widgets/KeyboardFocus.h"

#include <QPixmap>
#include <QWidget>

// A light control that shows a picture. Unless it stretches its picture, it has the picture's size. Its presses
// are its own, never the window's; what they mean is the window's to decide. When disabled it ignores the mouse,
// so presses reach the control behind it. `clicked` comes from assistive technology's press.
class CImageBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { Natural, Stretch };

    explicit CImageBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture, Fit fit = Fit::Natural);
    const QPixmap& picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap m_picture;
    Fit m_fit = Fit::Natural;
    KeyboardFocus m_keyboard;
};
