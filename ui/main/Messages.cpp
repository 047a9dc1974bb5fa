#include "ui/main/Messages.h"

#include <QMessageBox>

namespace Messages {

void show(QWidget* owner, Outcome outcome, std::int16_t count) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title(outcome)),
                    QString::fromStdString(prompt(outcome, count)), QMessageBox::Ok, owner);
    // Paths and counts are plain text; never let a stray '<' turn the prompt into markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace Messages
