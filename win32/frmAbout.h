#pragma once

#include "app/AboutForm.h"
#include "win32/BaseWindow.h"
#include "win32/Controls.h"

#include <windows.h>

#include <optional>
#include <string>

// The About window: the program's picture, the maker's address and OK, modal over the main window. It draws and
// turns the system's events into AboutForm's calls; the form decides.
class frmAbout : public BaseWindow<frmAbout>, private AboutFace {
public:
    static bool registerClass(HINSTANCE instance);

    frmAbout(HWND owner, UINT dpi, bool cuesAlways);
    ~frmAbout();

    // Shows the window centred over the owner, which takes no input until the window has closed. False, with
    // the owner as it was, when the system made no window.
    bool showModal();
    HWND control(Layout::frmAbout control) const { return m_controls[control]; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void focus(Layout::frmAbout control) override;
    void showCues() override;
    void close() override;
    void openAddress(const std::string& address) override;

    bool open();
    void style();
    bool onKey(std::optional<Layout::frmAbout> control, const Keys::Press& press);
    void onMouse(Layout::frmAbout control, LPARAM event);

    HWND m_owner;
    UINT m_dpi;
    AboutForm m_form;
    Controls::Built m_controls;
    bool m_shown = false;
};
