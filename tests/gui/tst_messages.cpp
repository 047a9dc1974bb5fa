#include "gui/support/ModalCatcher.h"
#include "ui/main/Messages.h"

#include <QWidget>
#include <QtTest>

Q_DECLARE_METATYPE(Messages::Outcome)

using Messages::Outcome;

// The box's texts are the app's (tests/app/test_messages.cpp); here, that the face shows them whole, as a
// warning with one OK button over its owner.
class tst_Messages : public QObject {
    Q_OBJECT

private slots:
    void shownBox_data();
    void shownBox();
};

void tst_Messages::shownBox_data() {
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("count");
    QTest::newRow("split success, three pieces") << Outcome::SplitSuccess << 3;
    QTest::newRow("split failure") << Outcome::SplitFailure << 7;
    QTest::newRow("join success, twelve pieces") << Outcome::JoinSuccess << 12;
    QTest::newRow("join failure") << Outcome::JoinFailure << 0;
}

void tst_Messages::shownBox() {
    QFETCH(Outcome, outcome);
    QFETCH(int, count);

    QWidget owner;
    owner.show();
    ModalCatcher catcher;
    Messages::show(&owner, outcome, static_cast<std::int16_t>(count));
    catcher.compareOnlyOutcomeBox(QString::fromStdString(Messages::title(outcome)),
                                  QString::fromStdString(Messages::prompt(outcome, static_cast<std::int16_t>(count))),
                                  &owner);
}

QTEST_MAIN(tst_Messages)
#include "tst_messages.moc"
