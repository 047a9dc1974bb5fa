#pragma once

#include "app/Keys.h"
#include "app/Layout.h"
#include "app/Mode.h"

#include <algorithm>
#include <string>
#include <vector>

// What a user does to a fresh main window and what the system must then show, the same for every face: each
// face's test plays the rows with real input (mouse and key events, window messages) and reads the focus, the
// dotted frame and the front tab from the toolkit, never from the window's rules. The expectations come from the
// layout table and its rules.
namespace Behaviours {

enum class Action { LeftClick, RightClick, Key };

struct Row {
    std::string name;
    Action action = Action::LeftClick;
    Layout::frmMain control;    // clicked, or given the focus before the key
    Keys::Press key;            // with Action::Key
    Layout::frmMain focusAfter; // the control the system reports as focused
    bool cuesAfter = false;
    Mode modeAfter = Mode::Split;
};

inline Keys::Press keyOf(Keys::Key key, bool repeat = false, bool ctrl = false, bool shift = false) {
    Keys::Press press;
    press.key = key;
    press.repeat = repeat;
    press.ctrl = ctrl;
    press.shift = shift;
    return press;
}

// The control Tab moves to from `from`: the next place of the focus order.
inline Layout::frmMain nextByTab(Layout::frmMain from) {
    const int place = Layout::of(from).tabPlace;
    Layout::frmMain next = from;
    for (const Layout::frmMain control : Layout::controls<Layout::frmMain>()) {
        const Layout::Control& row = Layout::of(control);
        if (row.tabPlace > place && row.look.enabled && (next == from || row.tabPlace < Layout::of(next).tabPlace))
            next = control;
    }
    return next;
}

inline std::vector<Row> mainWindowRows() {
    using Layout::frmMain;
    const frmMain start = frmMain::picCHolder_0;
    std::vector<Row> rows;
    // A click on anything in sight that neither opens a window, starts a run nor moves the window: boxes take
    // the focus, labels and images leave it where it was. The join panel lies behind the split panel.
    for (const frmMain id : Layout::controls<frmMain>()) {
        const Layout::Control& control = Layout::of(id);
        const std::string name = control.name;
        if (id == frmMain::imgExit || id == frmMain::imgInfo || id == frmMain::lblBrowse || id == frmMain::Picture4 ||
            !control.look.enabled || id == frmMain::picCHolder_1 ||
            control.parent == int(Layout::rowOf(frmMain::picCHolder_1)))
            continue;
        const bool mayTake = Layout::takesFocusOnClick(control);
        Row left{"left click on " + name, Action::LeftClick, id, {}, mayTake ? id : start};
        left.modeAfter = id == frmMain::imgTab_1 ? Mode::Join : Mode::Split;
        rows.push_back(left);
        if (mayTake && control.kind != Layout::Kind::TextBox)
            rows.push_back(Row{"right click on " + name, Action::RightClick, id, {}, id});
    }
    // Keys: Tab moves on in the table's order and shows the focus; Space and Enter act once per plain press.
    rows.push_back(Row{"Tab", Action::Key, start, keyOf(Keys::Key::Tab), nextByTab(start), true});
    // Shift+Tab from the first place: round to the last.
    const std::vector<frmMain> all = Layout::controls<frmMain>();
    const auto last = std::max_element(
        all.begin(), all.end(), [](frmMain a, frmMain b) { return Layout::of(a).tabPlace < Layout::of(b).tabPlace; });
    rows.push_back(Row{"Shift+Tab", Action::Key, start, keyOf(Keys::Key::Tab, false, false, true), *last, true});
    const struct {
        const char* name;
        Keys::Press key;
    } presses[] = {
        {"Space", keyOf(Keys::Key::Space)},
        {"Enter", keyOf(Keys::Key::Enter)},
        {"Space held (repeat)", keyOf(Keys::Key::Space, true)},
        {"Ctrl+Space", keyOf(Keys::Key::Space, false, true)},
        {"Shift+Enter", keyOf(Keys::Key::Enter, false, false, true)},
    };
    for (const auto& press : presses) {
        Row row{std::string(press.name) + " on the join tab", Action::Key, frmMain::imgTab_1, press.key,
                frmMain::imgTab_1};
        row.modeAfter = Keys::activates(press.key) ? Mode::Join : Mode::Split;
        rows.push_back(row);
    }
    return rows;
}

} // namespace Behaviours
