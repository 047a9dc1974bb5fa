#include "ui/main/frmMainFace.h"

#include "app/Layout.h"
#include "ui/about/frmAbout.h"
#include "ui/main/Messages.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QLineEdit>

std::u16string frmMain::Face::text(Layout::frmMain box) const {
    return static_cast<QLineEdit*>(m_window.control(box))->text().toStdU16String();
}

void frmMain::Face::setText(Layout::frmMain box, const std::u16string& text) {
    static_cast<QLineEdit*>(m_window.control(box))->setText(QString::fromStdU16String(text));
}

void frmMain::Face::setEnabled(Layout::frmMain control, bool enabled) {
    QWidget* widget = m_window.control(control);
    // Qt would hand the focus of a control it disables to the next one; here it goes nowhere, and the form
    // brings it back once the control is on again.
    if (!enabled && widget->hasFocus())
        widget->clearFocus();
    widget->setEnabled(enabled);
}

void frmMain::Face::stack(const std::vector<Layout::frmMain>& lowestFirst) {
    for (const Layout::frmMain name : lowestFirst)
        m_window.control(name)->raise();
}

void frmMain::Face::setPressed(Layout::frmMain control, bool pressed) {
    const auto ground = Layout::groundOf(Layout::of(control).look, pressed);
    if (auto* label = qobject_cast<CLabel*>(m_window.control(control)); label && ground)
        label->setBackColor(Skin::colour(*ground));
}

void frmMain::Face::drawProgress(std::int16_t percent) {
    m_window.spProg(percent);
}

void frmMain::Face::showTaskbarProgress(const TaskbarProgress& progress) {
    m_dock.show(progress);
    // The dock's signal has no error state: the window asks for the user's attention as the platform does.
    if (progress.state == TaskbarProgress::State::Error)
        QApplication::alert(&m_window);
}

void frmMain::Face::focus(Layout::frmMain control) {
    m_window.control(control)->setFocus(Qt::OtherFocusReason);
    // A window manager hands the activation back to the owner of a box or dialog that closed; without one (a bare
    // X server, the offscreen platform) nothing does, and the keys would go nowhere.
    const QWidget* active = QApplication::activeWindow();
    if (m_window.isVisible() && (!active || !active->isVisible()))
        m_window.activateWindow();
}

bool frmMain::Face::isShown(Layout::frmMain control) const {
    return m_window.control(control)->isVisible();
}

void frmMain::Face::selectAll(Layout::frmMain box) {
    static_cast<QLineEdit*>(m_window.control(box))->selectAll();
}

void frmMain::Face::showCues() {
    KeyboardFocus::showCues(&m_window);
}

void frmMain::Face::runFrames(bool on) {
    if (on)
        m_window.m_frames.start();
    else
        m_window.m_frames.stop();
}

void frmMain::Face::showBox(Messages::Outcome outcome, std::int16_t count) {
    Messages::show(&m_window, outcome, count);
}

void frmMain::Face::showAbout() {
    frmAbout::showModal(&m_window);
}

std::uintptr_t frmMain::Face::dialogOwner() const {
    return static_cast<std::uintptr_t>(m_window.winId());
}

void frmMain::Face::hide() {
    m_window.hide();
}

void frmMain::Face::close() {
    const bool hidden = m_window.isHidden();
    if (!m_window.close() || !hidden)
        return;
    // Qt ends the program when its last visible window closes. The window that a close during a run hid is no
    // longer counted, so its close, once the engine has cleaned up, ends the program itself.
    if (QGuiApplication::quitOnLastWindowClosed() && m_window.testAttribute(Qt::WA_QuitOnClose))
        QCoreApplication::quit();
}
