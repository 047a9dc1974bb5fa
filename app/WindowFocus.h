#pragma once

#include "app/Keys.h"

#include <optional>

// Where a window's keyboard focus belongs, and whether the window shows it. A window remembers the control that
// had the focus last, so that the focus can go back there after a box, another window or a dialog. The dotted
// frame (the keyboard cues) stays hidden until the keyboard is used in that window, as Windows does, unless the
// user asked to see it always.
template <typename Control> class WindowFocus {
public:
    explicit WindowFocus(bool cuesAlways) : m_cuesShown(cuesAlways) {}

    // A control of the window took the focus; a focus that left for no control changes nothing.
    void moved(std::optional<Control> control) {
        if (control)
            m_home = control;
    }
    const std::optional<Control>& home() const { return m_home; }

    bool cuesShown() const { return m_cuesShown; }
    // True when this key made the cues appear, so the face draws the focused control again.
    bool keyPressed(const Keys::Press& press) {
        if (m_cuesShown || !Keys::showsCues(press))
            return false;
        m_cuesShown = true;
        return true;
    }

private:
    std::optional<Control> m_home;
    bool m_cuesShown;
};
