#pragma once

#include "app/Layout.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

// A container that can also show a picture and be drawn into. The picture is shown unscaled from the
// top-left corner of the inner area and cut off where it does not fit; the canvas, when there is one,
// keeps what was drawn into it so that the box can repaint it after being covered. Its presses are its own, never
// the window's. `clicked` comes from assistive technology's press.
class CPictureBox : public QWidget {
    Q_OBJECT
public:
    using Border = Layout::Border;

    explicit CPictureBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    void setBackColor(const QColor& colour);
    QColor backColor() const { return m_backColor; }
    void setBorder(Border border);
    Border border() const { return m_border; }
    int borderWidth() const;
    QRect innerRect() const;

    // The drawing surface of the inner area, created on first use with the box's background.
    QImage& canvas();
    const QImage& canvasImage() const { return m_canvas; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintBorder(QPainter& painter) const;

    QPixmap m_picture;
    QImage m_canvas;
    QColor m_backColor;
    Border m_border = Border::None;
    KeyboardFocus m_keyboard;
};
