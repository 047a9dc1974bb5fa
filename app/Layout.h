#pragma once

#include "app/Colours.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// Both windows as data: every control with its design name, what it is, where it sits, what it tells and how it
// looks. Each face builds its widgets from these tables and only turns them into its toolkit's terms.
namespace Layout {

enum class Kind { Image, PictureBox, TextBox, Label, Button, Line };

// What a control is to assistive technology, where its kind alone does not say it.
enum class Role { Default, PageTab, Button, Grouping, StaticText, ProgressBar, Link, Graphic };

// The design's units: 15 twips to a pixel at 96 dots per inch.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// To the nearest pixel: one design length (550) is not a whole number of pixels and rounds up.
constexpr int px(int twips) {
    return (twips >= 0 ? twips + 7 : twips - 7) / 15;
}

enum class Border { None, Flat, Sunken };
enum class Cursor { Arrow, Hand, UpArrow };
enum class Align { Left, Centre };

struct Look {
    Colours::Colour back = Colours::Silver;
    Colours::Colour pressedBack = Colours::Silver; // while a mouse button is down on it
    Colours::Colour fore = Colours::Black;         // its text
    Border border = Border::None;
    Cursor cursor = Cursor::Arrow;
    Align align = Align::Left;
    bool transparent = false; // a label that shows its container's ground
    bool clickable = false;   // acts on a click, and on Space or Enter while it has the focus
    bool enabled = true;      // a disabled picture lets the mouse through to the window
};

struct Control {
    const char* name; // the design name; a member of a control array as name_index
    Kind kind;
    const char* parent; // the window's own name, or the panel it lies in
    Twips place;
    const char* picture; // a picture file of resources/, or "" for none
    const char* text;    // the caption or the box's first text, UTF-8
    const char* toolTip;
    int tabPlace; // place in the window's Tab order, or -1 when Tab never reaches it
    const char* accessibleName;
    const char* accessibleDescription;
    Role role;
    Look look = {};
};

constexpr int NoTab = -1;

// In creation order, which is also stacking order in each container: lower first.
const std::vector<Control>& mainWindow();
const std::vector<Control>& aboutWindow();

// The control of that name in the table; a name that is not there is a programming error.
const Control& find(const std::vector<Control>& window, std::string_view name);

// A true window of its own (a box or a button), as opposed to a label, image or line drawn on its container:
// those always lie behind the true windows of the same container.
bool isWindowed(Kind kind);
// A mouse press gives it the focus: text boxes, picture boxes (panels too) and buttons; never a label or image.
bool takesFocusOnClick(const Control& control);
// The letter after the single '&' of a caption, upper case ("&Ok" gives 'O'); 0 for none.
char mnemonicOf(std::string_view caption);

// Which control of a container lies in front of which, starting from the table's order.
class Stacking {
public:
    explicit Stacking(const std::vector<Control>& table);

    // Brings the control to the front of its layer and gives its container's order, lowest first.
    const std::vector<std::string>& raise(std::string_view name);
    const std::vector<std::string>& order(std::string_view container) const;
    std::string containerOf(std::string_view name) const;

private:
    const std::vector<Control>& m_table;
    std::map<std::string, std::vector<std::string>, std::less<>> m_orders;
};

} // namespace Layout
