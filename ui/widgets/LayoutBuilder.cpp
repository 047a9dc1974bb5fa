#include "ui/widgets/LayoutBuilder.h"

#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/Skin.h"

#include <QPushButton>
#include <algorithm>

namespace LayoutBuilder {
namespace {

QWidget* make(const Layout::Control& control, QWidget* parent) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case Layout::Kind::Image:
        return new CImageBox(parent);
    case Layout::Kind::PictureBox:
        return new CPictureBox(parent);
    case Layout::Kind::TextBox: {
        auto* box = new CTextBox(parent);
        box->setText(text);
        if (control.look.takesDrops)
            box->setOLEDropMode(CTextBox::DropMode::Manual);
        return box;
    }
    case Layout::Kind::Label:
        return new CLabel(text, parent);
    case Layout::Kind::Button:
        return new QPushButton(text, parent);
    case Layout::Kind::Line:
        break;
    }
    return new QWidget(parent);
}

QAccessible::Role roleOf(Layout::Role role) {
    switch (role) {
    case Layout::Role::PageTab:
        return QAccessible::PageTab;
    case Layout::Role::Button:
        return QAccessible::Button;
    case Layout::Role::Grouping:
        return QAccessible::Grouping;
    case Layout::Role::StaticText:
        return QAccessible::StaticText;
    case Layout::Role::ProgressBar:
        return QAccessible::ProgressBar;
    case Layout::Role::Link:
        return QAccessible::Link;
    case Layout::Role::Graphic:
        return QAccessible::Graphic;
    case Layout::Role::Default:
        break;
    }
    return QAccessible::NoRole;
}

// After the place: an image that does not stretch takes its picture's size.
void setPicture(QWidget* widget, const Layout::Control& control) {
    if (!*control.picture)
        return;
    const QPixmap picture = Skin::picture(QString::fromUtf8(control.picture));
    if (control.kind == Layout::Kind::Image)
        static_cast<CImageBox*>(widget)->setPicture(picture);
    else if (control.kind == Layout::Kind::PictureBox)
        static_cast<CPictureBox*>(widget)->setPicture(picture);
}

void setBack(QWidget* widget, const Layout::Look& look) {
    if (auto* box = qobject_cast<CPictureBox*>(widget)) {
        box->setBackColor(Skin::colour(look.back));
    } else if (auto* label = qobject_cast<CLabel*>(widget)) {
        label->setBackColor(look.transparent ? QColor() : Skin::colour(look.back));
    } else if (qobject_cast<CTextBox*>(widget)) {
        QPalette pal = widget->palette();
        pal.setColor(QPalette::Base, Skin::colour(look.back));
        widget->setPalette(pal);
    }
}

// The text's colour; a line is drawn in it whole.
void setFore(QWidget* widget, const Layout::Control& control) {
    const QColor fore = Skin::colour(control.look.fore);
    QPalette pal = widget->palette();
    if (control.kind == Layout::Kind::Line) {
        pal.setColor(QPalette::Window, fore);
        widget->setAutoFillBackground(true);
    } else if (control.kind != Layout::Kind::Button) {
        pal.setColor(QPalette::WindowText, fore);
        pal.setColor(QPalette::Text, fore);
    }
    widget->setPalette(pal);
}

void setBorder(QWidget* widget, Layout::Border border) {
    if (auto* box = qobject_cast<CPictureBox*>(widget)) {
        box->setBorder(border);
    } else if (auto* label = qobject_cast<CLabel*>(widget)) {
        label->setBorder(border == Layout::Border::Flat ? CLabel::Border::FlatSingle : CLabel::Border::None);
    }
}

// The arrow is left unset, so that a text box keeps its I-beam.
void setCursor(QWidget* widget, Layout::Cursor cursor) {
    if (cursor == Layout::Cursor::Hand)
        widget->setCursor(Skin::handCursor());
    else if (cursor == Layout::Cursor::UpArrow)
        widget->setCursor(Qt::UpArrowCursor);
}

void applyLook(QWidget* widget, const Layout::Control& control) {
    const Layout::Look& look = control.look;
    setBack(widget, look);
    setFore(widget, control);
    setBorder(widget, look.border);
    setCursor(widget, look.cursor);
    if (auto* label = qobject_cast<CLabel*>(widget))
        label->setAlignment((look.align == Layout::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    widget->setEnabled(look.enabled);
}

QRect rectOf(const Layout::Pixels& place) {
    return QRect(place.left, place.top, place.width, place.height);
}

} // namespace

std::vector<QWidget*> build(QWidget* window, const std::vector<Layout::Control>& table) {
    std::vector<QWidget*> widgets;
    for (const Layout::Control& control : table) {
        QWidget* parent = control.parent == Layout::OnWindow ? window : widgets[std::size_t(control.parent)];
        QWidget* widget = make(control, parent);
        widget->setObjectName(QString::fromUtf8(control.name));
        widget->setGeometry(rectOf(Layout::placeOf(table, control)));
        setPicture(widget, control);
        if (const auto shown = Layout::shownPartOf(table, control))
            widget->setMask(QRegion(rectOf(*shown)));
        applyLook(widget, control);
        if (*control.toolTip)
            widget->setToolTip(QString::fromUtf8(control.toolTip));
        if (*control.accessibleName)
            Accessible::describe(widget, QString::fromUtf8(control.accessibleName),
                                 QString::fromUtf8(control.accessibleDescription), roleOf(control.role));
        // Reached with Tab only: where a click puts the focus is the window's rule, which gives it itself.
        widget->setFocusPolicy(control.tabPlace == Layout::NoTab ? Qt::NoFocus : Qt::TabFocus);
        widgets.push_back(widget);
    }
    return widgets;
}

} // namespace LayoutBuilder
