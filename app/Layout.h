#pragma once

#include "app/Colours.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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
    bool takesDrops = false;  // a text box that files can be dropped on
};

// Each window's controls by their design names, in creation order, which is also the stacking order in each
// container: lower first. A member of a control array is named name_index. The value is the control's row in its
// window's table.
enum class frmMain : std::uint8_t {
    Image1,
    imgExit,
    imgInfo,
    imgTab_1,
    imgTab_0,
    picCHolder_1,
    picCHolder_0,
    Label_2,
    lblBrowse,
    Picture2,
    Picture1,
    txtSegSize,
    txtSFName,
    lblSBrowse,
    txtSegfname,
    Picture3,
    picProgress,
    Picture4,
};
enum class frmAbout : std::uint8_t { cmdOK, Picture1, Line1, Label_3, Image1 };
// The same, where a window's class of that name hides them.
using MainControl = frmMain;
using AboutControl = frmAbout;

template <typename Id> constexpr std::size_t rowOf(Id control) {
    return static_cast<std::size_t>(control);
}

// The parent of a control that lies on the window itself.
constexpr int OnWindow = -1;
constexpr int NoTab = -1;

struct Control {
    const char* name = ""; // the design name, which the faces give the control for outside tools
    Kind kind = Kind::Image;
    int parent = OnWindow; // the row of the panel it lies in
    Twips place;
    const char* picture = ""; // a picture file of resources/, or "" for none
    const char* text = "";    // the caption or the box's first text, UTF-8
    const char* toolTip = "";
    int tabPlace = NoTab; // place in the window's Tab order, or NoTab when Tab never reaches it
    const char* accessibleName = "";
    const char* accessibleDescription = "";
    Role role = Role::Default;
    Look look = {};
};

// In row order (frmMain's and frmAbout's).
const std::vector<Control>& mainWindow();
const std::vector<Control>& aboutWindow();

template <typename Id> const std::vector<Control>& table();
template <> inline const std::vector<Control>& table<frmMain>() {
    return mainWindow();
}
template <> inline const std::vector<Control>& table<frmAbout>() {
    return aboutWindow();
}

// The ground a control is filled with, pressed or not; none for a transparent one, which shows its container's.
inline std::optional<Colours::Colour> groundOf(const Look& look, bool pressed) {
    if (look.transparent)
        return std::nullopt;
    return pressed ? look.pressedBack : look.back;
}

// Where Tab (backwards: Shift+Tab) takes the focus from the control in row `from` (none: from the window itself):
// the next place of the table's Tab order, round from the last to the first, passing over the controls that cannot
// take the focus now (disabled or hidden); none when none can.
std::optional<std::size_t> nextByTab(const std::vector<Control>& table, std::optional<std::size_t> from, bool backwards,
                                     const std::function<bool(std::size_t row)>& canTake);
// Tab selects the whole text of a text box it enters, so that typing replaces it.
inline bool selectsOnTab(const Control& control) {
    return control.kind == Kind::TextBox;
}

// A control's row: an index, never a search.
template <typename Id> const Control& of(Id control) {
    return table<Id>()[rowOf(control)];
}

// The control of a row; none for a row beyond the table (an id that is no control's).
template <typename Id> std::optional<Id> controlAt(std::size_t row) {
    return row < table<Id>().size() ? std::optional<Id>(static_cast<Id>(row)) : std::nullopt;
}

// Every control of the window, in row order.
template <typename Id> std::vector<Id> controls() {
    std::vector<Id> all;
    for (std::size_t row = 0; row < table<Id>().size(); ++row)
        all.push_back(static_cast<Id>(row));
    return all;
}

template <typename Id>
std::optional<Id> nextByTab(std::optional<Id> from, bool backwards, const std::function<bool(Id)>& canTake) {
    const auto row = nextByTab(table<Id>(), from ? std::optional<std::size_t>(rowOf(*from)) : std::nullopt, backwards,
                               [&](std::size_t next) { return canTake(static_cast<Id>(next)); });
    return row ? std::optional<Id>(static_cast<Id>(*row)) : std::nullopt;
}

// A place in pixels of the design.
struct Pixels {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The width of a container's border in pixels of the design; its inner area lies inside it.
int borderWidth(Border border);
// Where a control lies in its container's own coordinates: the table's place, measured from the corner of the
// container's inner area, so a panel's controls start inside its border.
Pixels placeOf(const std::vector<Control>& table, const Control& control);
// The part of the control that shows, in its own coordinates, where its container's inner area cuts it off; none
// where the whole control shows.
std::optional<Pixels> shownPartOf(const std::vector<Control>& table, const Control& control);

// A true window of its own (a box or a button), as opposed to a label, image or line drawn on its container:
// those always lie behind the true windows of the same container.
bool isWindowed(Kind kind);
// A mouse press gives it the focus: text boxes, picture boxes (panels too) and buttons; never a label or image.
bool takesFocusOnClick(const Control& control);
// The letter after the single '&' of a caption, upper case ("&Ok" gives 'O'); 0 for none.
char mnemonicOf(std::string_view caption);

// Which control of the main window's containers lies in front of which, starting from the table's order.
class Stacking {
public:
    Stacking();

    // Brings the control to the front of its layer and gives its container's order, lowest first.
    const std::vector<frmMain>& raise(frmMain control);

private:
    std::map<int, std::vector<frmMain>> m_orders; // by the container's row
};

} // namespace Layout
