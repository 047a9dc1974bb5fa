#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

// How the skinned controls present themselves to assistive technology. Pictures that act as buttons or
// tabs are plain widgets to Qt, so they get their role here, and a box drawn as a progress bar reports
// its value as a progress bar does.
namespace Accessible {

// Gives `control` its name and description and, unless `role` is NoRole, the role it plays. Call before
// anything asks for the control's accessible interface: the first answer is kept.
void describe(QWidget* control, const QString& name, const QString& description,
              QAccessible::Role role = QAccessible::NoRole);

// The value a control described as a progress bar reports, from 0 to 100; listeners hear of every change.
void setValue(QWidget* control, int value);
int value(const QWidget* control);

} // namespace Accessible
