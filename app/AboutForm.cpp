#include "app/AboutForm.h"

#include "app/About.h"
#include "app/Layout.h"

using Layout::frmAbout;

void AboutForm::opened() {
    m_face.focus(frmAbout::cmdOK);
    m_focus.moved(frmAbout::cmdOK);
}

void AboutForm::clicked(frmAbout control) {
    if (control == frmAbout::cmdOK)
        m_face.close();
    else if (control == frmAbout::Label_3)
        m_face.openAddress(About::MakerAddress);
}

bool AboutForm::keyPressed(std::optional<frmAbout> control, const Keys::Press& press) {
    if (m_focus.keyPressed(press))
        m_face.showCues();
    const Layout::Control& ok = Layout::of(frmAbout::cmdOK);
    if (Keys::pressesMnemonic(press, Layout::mnemonicOf(ok.text))) {
        clicked(frmAbout::cmdOK);
        return true;
    }
    if (press.key == Keys::Key::Escape)
        return true;
    if (!Keys::activates(press))
        return false;
    if (control == frmAbout::cmdOK)
        clicked(frmAbout::cmdOK);
    // Enter on anything else is not a default button's press.
    return true;
}

void AboutForm::activated() {
    if (m_focus.home())
        m_face.focus(*m_focus.home());
}
