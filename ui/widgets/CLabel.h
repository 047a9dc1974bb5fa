#pragma once

#include "ui/widgets/ClickTracker.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QColor>
#include <QLabel>

// A label that can act as a flat button: it reports press, release and click, and keeps the mouse from
// press to release, so a release outside it still reaches it. Given a focus policy, Space and Enter click it.
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
    void pressed(Qt::MouseButton button);
    void released(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_backColor;
    ClickTracker m_click;
    KeyboardFocus m_keyboard;
};
