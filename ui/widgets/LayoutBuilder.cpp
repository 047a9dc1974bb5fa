#include "ui/widgets/LayoutBuilder.h"

#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/Skin.h"

#include <QPushButton>
#include <algorithm>
#include <map>

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

QRect placeOf(const Layout::Twips& place) {
    return QRect(Layout::px(place.left), Layout::px(place.top), Layout::px(place.width), Layout::px(place.height));
}

} // namespace

QHash<QString, QWidget*> build(QWidget* window, const std::vector<Layout::Control>& table) {
    QHash<QString, QWidget*> widgets;
    std::map<int, QWidget*> tabOrder;
    for (const Layout::Control& control : table) {
        QWidget* parent = widgets.value(QString::fromUtf8(control.parent), window);
        QWidget* widget = make(control, parent);
        widget->setObjectName(QString::fromUtf8(control.name));
        widget->setGeometry(placeOf(control.place));
        setPicture(widget, control);
        if (*control.toolTip)
            widget->setToolTip(QString::fromUtf8(control.toolTip));
        if (*control.accessibleName)
            Accessible::describe(widget, QString::fromUtf8(control.accessibleName),
                                 QString::fromUtf8(control.accessibleDescription), roleOf(control.role));
        if (control.tabPlace != Layout::NoTab) {
            // Reached with Tab only, so a click on a picture or label leaves the focus where it was; set before
            // the chain, which skips what takes no focus inside a panel.
            if (widget->focusPolicy() == Qt::NoFocus)
                widget->setFocusPolicy(Qt::TabFocus);
            tabOrder[control.tabPlace] = widget;
        }
        widgets.insert(widget->objectName(), widget);
    }
    QWidget* previous = nullptr;
    for (const auto& [place, widget] : tabOrder) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return widgets;
}

} // namespace LayoutBuilder
