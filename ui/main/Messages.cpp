#include "ui/main/Messages.h"

#include <QMessageBox>

namespace Messages {

QString title(Outcome outcome) {
    switch (outcome) {
    case Outcome::SplitSuccess:
        return QStringLiteral("Kamiyaabi!");
    case Outcome::SplitFailure:
        return QStringLiteral("Aik masla derpesh hai!");
    case Outcome::JoinSuccess:
        return QStringLiteral("Kamyaabi");
    case Outcome::JoinFailure:
        return QStringLiteral("Aik masla darpesh hai!");
    }
    return {};
}

QString prompt(Outcome outcome, std::int16_t count) {
    const QString number = QString::number(count);
    switch (outcome) {
    case Outcome::SplitSuccess:
        return QStringLiteral("Apka kaam kamiyabi se mukamal ho gaya hai\nor apki file ko ") + number +
               QStringLiteral(" hisson main taqseem ker dia gaya hai.");
    case Outcome::SplitFailure:
        // The first break is a carriage return alone: that is how this box has always been written.
        return QStringLiteral("Mumkina hal->\r1. File ke hisson ka hujam tabdel ker k dobara dekhen\n"
                              "2. Yeh dekhen k file ka naam darust likha gaya hai ya nahi");
    case Outcome::JoinSuccess:
        return QStringLiteral("Apka kaam kamiyabi se mukamal ho gaya hai.\nor apki file k ") + number +
               QStringLiteral(" hisson ko dobara mila dia gaya hai ");
    case Outcome::JoinFailure:
        return QStringLiteral("Mumkina hal->Yeh itmenan ker len ke\n"
                              "1. Jo file jorne ja rahe hain directory main us ke tamam hisse mojod hain\n"
                              "2. Tamam files ko jor ker jis file main tabdeel kerna hai wo ya uske nam ki koi or "
                              "file pehle se folder main mojod to nahi?");
    }
    return {};
}

void show(QWidget* owner, Outcome outcome, std::int16_t count) {
    QMessageBox box(QMessageBox::Warning, title(outcome), prompt(outcome, count), QMessageBox::Ok, owner);
    // Paths and counts are plain text; never let a stray '<' turn the prompt into markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace Messages
