#pragma once

#include "ui/widgets/KeyboardFocus.h"

#include <QColor>
#include <QLabel>

// A label that can act as a flat button: it keeps the mouse from press to release, so a release outside it still
// reaches it, and the window decides what the press means. `clicked` comes from assistive technology's press.
class CLabel : public QLabel {
    Q_OBJECT
public:
    enum class Border { None, FlatSingle };

    explicit CLabel(const QString& text, QWidget* parent = nullptr);

    void setBackColor(const QColor& colour); // an invalid colour makes the label transparent
    QColor backColor() const { return m_backColor; }
    void setForeColor(const QColor& colour);
    void setBorder(Border border);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_backColor;
    KeyboardFocus m_keyboard;
};
