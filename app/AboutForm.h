#pragma once

#include "app/Keys.h"
#include "app/Layout.h"
#include "app/WindowFocus.h"

#include <optional>
#include <string>

// What the About window's face does when the window's rules ask.
class AboutFace {
public:
    virtual ~AboutFace() = default;
    virtual void focus(Layout::frmAbout control) = 0;
    virtual void showCues() = 0;
    // Ends the modal display; the main window gets the focus back.
    virtual void close() = 0;
    // Opens the address in the user's browser; whatever fails is ignored.
    virtual void openAddress(const std::string& address) = 0;
};

// The About window's rules: OK first in the focus and pressed by a click, by Enter or Space while it has the
// focus, or by Alt and its underlined letter; neither the default nor the cancel button, so Esc does nothing; the
// link opens the maker's page and the window stays.
class AboutForm {
public:
    AboutForm(AboutFace& face, bool cuesAlways) : m_face(face), m_focus(cuesAlways) {}

    void opened();
    void clicked(Layout::frmAbout control);
    // A key on the control that has the focus, or on the window while none has; true when the window took it,
    // and the face swallows it then.
    bool keyPressed(std::optional<Layout::frmAbout> control, const Keys::Press& press);
    void focusMoved(std::optional<Layout::frmAbout> control) { m_focus.moved(control); }
    void activated();
    const WindowFocus<Layout::frmAbout>& focus() const { return m_focus; }

private:
    AboutFace& m_face;
    WindowFocus<Layout::frmAbout> m_focus;
};
