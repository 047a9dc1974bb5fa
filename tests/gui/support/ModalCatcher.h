#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

// Watches for modal windows while a test runs code that blocks in exec(). Message boxes are recorded
// and closed with their OK button (or Escape); any other modal window goes to the given handler, or
// is rejected.
class ModalCatcher {
public:
    struct SeenBox {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        int buttonCount = 0;
        QWidget* parent = nullptr;
    };

    explicit ModalCatcher(std::function<void(QWidget*)> otherModal = {});

    QList<SeenBox> boxes;
    int otherModals = 0;

    // Checks that exactly one box was seen and that it is an outcome box of the start action: this title and
    // text, the warning icon, one OK button, owned by `owner`. Check QTest::currentTestFailed() after it.
    void compareOnlyOutcomeBox(const QString& title, const QString& text, const QWidget* owner) const;

private:
    void poll();

    QTimer m_timer;
    std::function<void(QWidget*)> m_otherModal;
};
