#include "gui/support/ModalCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTest>

ModalCatcher::ModalCatcher(std::function<void(QWidget*)> otherModal) : m_otherModal(std::move(otherModal)) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
    m_timer.start();
}

void ModalCatcher::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                      static_cast<int>(box->buttons().size()), box->parentWidget()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
        return;
    }
    ++otherModals;
    if (m_otherModal)
        m_otherModal(modal);
    else if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
}

void ModalCatcher::compareOnlyOutcomeBox(const QString& title, const QString& text, const QWidget* owner) const {
    QCOMPARE(boxes.size(), 1);
    const SeenBox& box = boxes.first();
    QCOMPARE(box.title, title);
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(box.parent, owner);
}
