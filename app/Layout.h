#pragma once

#include <string_view>
#include <vector>

// Both windows as data: every control with its design name, what it is, where it sits and what it tells. Each
// face builds its widgets from these tables and adds only its toolkit's look (colours, borders, cursors).
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
};

constexpr int NoTab = -1;

// In creation order, which is also stacking order in each container: lower first.
const std::vector<Control>& mainWindow();
const std::vector<Control>& aboutWindow();

// The control of that name in the table; a name that is not there is a programming error.
const Control& find(const std::vector<Control>& window, std::string_view name);

} // namespace Layout
