#pragma once

// A mouse button in the windows' own terms.
enum class MouseButton { Left, Right, Middle };

// A key press in the window's own terms, so that both faces act on the same keys in the same way.
namespace Keys {

enum class Key { Space, Enter, Tab, Escape, Arrow, Alt, Letter, Other };

struct Press {
    Key key = Key::Other;
    char letter = 0; // with Key::Letter, upper case
    bool repeat = false;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};

// Space and Enter act on a clickable control like a click: once per press, never on auto-repeat, and not with
// Ctrl, Alt or Shift held, which mean something else.
constexpr bool activates(const Press& press) {
    return (press.key == Key::Space || press.key == Key::Enter) && !press.repeat && !press.ctrl && !press.alt &&
           !press.shift;
}

// Alt with a caption's underlined letter presses that control, as on a dialog.
constexpr bool pressesMnemonic(const Press& press, char mnemonic) {
    return mnemonic != 0 && press.key == Key::Letter && press.alt && !press.ctrl && press.letter == mnemonic;
}

// Tab moves the focus on, Shift+Tab back; with Ctrl or Alt it means something else.
constexpr bool movesFocus(const Press& press) {
    return press.key == Key::Tab && !press.ctrl && !press.alt;
}

// Moving about by keyboard (Tab, the arrows, Alt for the mnemonics) is what makes a window show its focus.
constexpr bool showsCues(const Press& press) {
    return press.key == Key::Tab || press.key == Key::Arrow || press.key == Key::Alt || press.alt;
}

} // namespace Keys
