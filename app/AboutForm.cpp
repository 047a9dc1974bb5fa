#include "app/AboutForm.h"

#include "app/About.h"
#include "app/Layout.h"

namespace {

constexpr const char* OkButton = "cmdOK";
constexpr const char* LinkLabel = "Label_3";

} // namespace

void AboutForm::opened() {
    m_face.focus(OkButton);
    m_focus.moved(OkButton);
}

void AboutForm::clicked(const std::string& control) {
    if (control == OkButton)
        m_face.close();
    else if (control == LinkLabel)
        m_face.openAddress(About::MakerAddress);
}

bool AboutForm::keyPressed(const std::string& control, const Keys::Press& press) {
    if (m_focus.keyPressed(press))
        m_face.showCues();
    const Layout::Control& ok = Layout::find(Layout::aboutWindow(), OkButton);
    if (Keys::pressesMnemonic(press, Layout::mnemonicOf(ok.text))) {
        clicked(OkButton);
        return true;
    }
    if (press.key == Keys::Key::Escape)
        return true;
    if (!Keys::activates(press))
        return false;
    if (control == OkButton)
        clicked(OkButton);
    // Enter on anything else is not a default button's press.
    return true;
}

void AboutForm::activated() {
    if (!m_focus.home().empty())
        m_face.focus(m_focus.home());
}
