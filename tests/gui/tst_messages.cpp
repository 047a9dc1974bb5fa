#include "gui/support/ModalCatcher.h"
#include "ui/main/Messages.h"

#include <QWidget>
#include <QtTest>

Q_DECLARE_METATYPE(Messages::Outcome)

using Messages::Outcome;

class tst_Messages : public QObject {
    Q_OBJECT

private slots:
    void shownBox_data();
    void shownBox();
};

void tst_Messages::shownBox_data() {
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("split success, three pieces") << Outcome::SplitSuccess << 3 << "Kamiyaabi!"
                                                 << "Apka kaam kamiyabi se mukamal ho gaya hai\x0a"
                                                    "or apki file ko 3 hisson main taqseem ker dia gaya hai.";
    QTest::newRow("split success, 999 pieces") << Outcome::SplitSuccess << 999 << "Kamiyaabi!"
                                               << "Apka kaam kamiyabi se mukamal ho gaya hai\x0a"
                                                  "or apki file ko 999 hisson main taqseem ker dia gaya hai.";
    QTest::newRow("split failure ignores the count") << Outcome::SplitFailure << 7 << "Aik masla derpesh hai!"
                                                     << "Mumkina hal->\x0d"
                                                        "1. File ke hisson ka hujam tabdel ker k dobara dekhen\x0a"
                                                        "2. Yeh dekhen k file ka naam darust likha gaya hai ya nahi";
    QTest::newRow("join success, twelve pieces") << Outcome::JoinSuccess << 12 << "Kamyaabi"
                                                 << "Apka kaam kamiyabi se mukamal ho gaya hai.\x0a"
                                                    "or apki file k 12 hisson ko dobara mila dia gaya hai ";
    QTest::newRow("join failure")
        << Outcome::JoinFailure << 0 << "Aik masla darpesh hai!"
        << "Mumkina hal->Yeh itmenan ker len ke\x0a"
           "1. Jo file jorne ja rahe hain directory main us ke tamam hisse mojod hain\x0a"
           "2. Tamam files ko jor ker jis file main tabdeel kerna hai wo ya uske nam ki koi or file pehle se "
           "folder main mojod to nahi?";
}

void tst_Messages::shownBox() {
    QFETCH(Outcome, outcome);
    QFETCH(int, count);
    QFETCH(QString, title);
    QFETCH(QString, text);

    QWidget owner;
    owner.show();
    ModalCatcher catcher;
    Messages::show(&owner, outcome, static_cast<std::int16_t>(count));
    catcher.compareOnlyOutcomeBox(title, text, &owner);
}

QTEST_MAIN(tst_Messages)
#include "tst_messages.moc"
