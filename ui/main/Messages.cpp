#include "ui/main/Messages.h"

#include <QMessageBox>

namespace Messages {
namespace {

QMessageBox::Icon iconOf(Icon icon) {
    switch (icon) {
    case Icon::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    }
    return QMessageBox::Ok;
}

} // namespace

void show(QWidget* owner, Outcome outcome, std::int16_t count) {
    QMessageBox box(iconOf(BoxIcon), QString::fromStdString(title(outcome)),
                    QString::fromStdString(prompt(outcome, count)), buttonsOf(BoxButtons), owner);
    // Paths and counts are plain text; never let a stray '<' turn the prompt into markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace Messages
