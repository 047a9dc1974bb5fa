#include "app/Layout.h"

#include "app/About.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace Layout {
namespace {

// Names each field where a row is written, so that a row reads without counting; the standard the window's rules
// keep to has no designated initializers.
template <typename Id> class Row {
public:
    Row(Id control, const char* name, Kind kind) : m_id(control) {
        m_control.name = name;
        m_control.kind = kind;
    }
    Row& in(Id panel) {
        m_control.parent = static_cast<int>(rowOf(panel));
        return *this;
    }
    Row& at(int left, int top, int width, int height) {
        m_control.place = {left, top, width, height};
        return *this;
    }
    Row& picture(const char* file) {
        m_control.picture = file;
        return *this;
    }
    Row& text(const char* text) {
        m_control.text = text;
        return *this;
    }
    Row& toolTip(const char* tip) {
        m_control.toolTip = tip;
        return *this;
    }
    Row& tab(int place) {
        m_control.tabPlace = place;
        return *this;
    }
    Row& accessible(const char* name, const char* description, Role role) {
        m_control.accessibleName = name;
        m_control.accessibleDescription = description;
        m_control.role = role;
        return *this;
    }
    Row& look(const Look& look) {
        m_control.look = look;
        return *this;
    }

    Id id() const { return m_id; }
    const Control& control() const { return m_control; }

private:
    Id m_id;
    Control m_control;
};

// Each row at its control's place, whatever order it was written in; a control missing or written twice is a
// programming error that the first use reports.
template <typename Id> std::vector<Control> tableOf(std::initializer_list<Row<Id>> rows) {
    std::vector<Control> table(rows.size());
    std::vector<bool> written(rows.size());
    for (const Row<Id>& row : rows) {
        const std::size_t at = rowOf(row.id());
        if (at >= table.size() || written[at])
            throw std::logic_error(std::string("misplaced layout row ") + row.control().name);
        table[at] = row.control();
        written[at] = true;
    }
    return table;
}

// The looks the design gives, by what the control is for.
Look handButton() {
    Look look;
    look.clickable = true;
    look.cursor = Cursor::Hand;
    return look;
}

Look panel() {
    Look look;
    look.fore = Colours::WindowText;
    look.border = Border::Flat;
    return look;
}

Look browseLabel() {
    Look look = handButton();
    look.back = Colours::LightGrey;
    look.pressedBack = Colours::Silver;
    look.border = Border::Flat;
    look.align = Align::Centre;
    return look;
}

Look caption(Colours::Colour back) {
    Look look;
    look.back = back;
    look.fore = Colours::WindowText;
    return look;
}

Look textBox() {
    Look look;
    look.back = Colours::Window;
    look.border = Border::Flat;
    return look;
}

Look pathBox() {
    Look look = textBox();
    look.takesDrops = true;
    return look;
}

Look plainLabel() {
    Look look;
    look.transparent = true;
    return look;
}

Look startButton() {
    Look look;
    look.clickable = true;
    look.cursor = Cursor::UpArrow;
    return look;
}

Look disabled() {
    Look look;
    look.enabled = false;
    return look;
}

Look sunken() {
    Look look;
    look.border = Border::Sunken;
    return look;
}

Look line() {
    Look look;
    look.fore = Colours::ButtonShadow;
    return look;
}

Look link() {
    Look look = plainLabel();
    look.fore = Colours::LinkBlue;
    look.clickable = true;
    return look;
}

Look button() {
    Look look;
    look.clickable = true;
    return look;
}

} // namespace

const std::vector<Control>& mainWindow() {
    // The title lies lowest so that the About button keeps the one column where the two meet; the join panel
    // comes before the split panel, which therefore starts in front; in each panel the labels and pictures
    // come before the boxes, which lie in front of them.
    using Id = frmMain;
    using R = Row<Id>;
    static const std::vector<Control> table = tableOf<Id>({
        R(Id::Image1, "Image1", Kind::Image).at(555, -30, 1710, 330).picture("title.gif").look(disabled()),
        R(Id::imgExit, "imgExit", Kind::Image)
            .at(0, 0, 285, 270)
            .picture("exit.gif")
            .toolTip("Zarvel Ko Band Keren")
            .tab(15)
            .accessible("Zarvel Ko Band Keren", "Zarvel Foran Band Ho Jaye Ga", Role::Button)
            .look(handButton()),
        R(Id::imgInfo, "imgInfo", Kind::Image)
            .at(285, 0, 285, 270)
            .picture("info.gif")
            .toolTip("Zarvel Ke Baare Main")
            .tab(14)
            .accessible("Zarvel Ke Baare Main", "Zarvel Ke Baare Main Maloomat Ka Window Kholen", Role::Button)
            .look(handButton()),
        R(Id::imgTab_1, "imgTab_1", Kind::Image)
            .at(2280, 0, 1095, 480)
            .picture("tabjoin.gif")
            .tab(13)
            .accessible("Joren", "Hisso Ko Jor Ker File Banane Ka Safha", Role::PageTab)
            .look(handButton()),
        R(Id::imgTab_0, "imgTab_0", Kind::Image)
            .at(3240, 0, 1095, 480)
            .picture("tabsplit.gif")
            .tab(12)
            .accessible("Toren", "File Ko Hisso Main Torne Ka Safha", Role::PageTab)
            .look(handButton()),
        R(Id::picCHolder_1, "picCHolder_1", Kind::PictureBox)
            .at(0, 480, 4335, 1185)
            .tab(5)
            .accessible("Jorne Ka Safha", "Yaha Taqseem Shuda Hisse Ka Rasta Likhen", Role::Grouping)
            .look(panel()),
        R(Id::picCHolder_0, "picCHolder_0", Kind::PictureBox)
            .at(0, 465, 4335, 1155)
            .tab(0)
            .accessible("Torne Ka Safha", "Yaha File Aur Har Hisse Ka Hujam Likhen", Role::Grouping)
            .look(panel()),
        R(Id::Label_2, "Label_2", Kind::Label)
            .in(Id::picCHolder_0)
            .at(195, 840, 240, 195)
            .text("MB")
            .look(plainLabel()),
        R(Id::lblBrowse, "lblBrowse", Kind::Label)
            .in(Id::picCHolder_0)
            .at(165, 120, 270, 285)
            .text("...")
            .toolTip("Browse")
            .tab(3)
            .accessible("File Ka Rasta Browse Keren", "File Chun Ker Uss Ka Rasta File Ke Khane Main Likhen",
                        Role::Button)
            .look(browseLabel()),
        R(Id::Picture2, "Picture2", Kind::PictureBox)
            .in(Id::picCHolder_0)
            .at(3120, 600, 900, 550)
            .picture("size.gif")
            .tab(9)
            .accessible("Unwan: Har Hisse Ka Hujam", "Hujam Wale Khane Ka Unwan", Role::StaticText)
            .look(caption(Colours::Window)),
        R(Id::Picture1, "Picture1", Kind::PictureBox)
            .in(Id::picCHolder_0)
            .at(3120, 0, 915, 435)
            .picture("path.gif")
            .tab(8)
            .accessible("Unwan: File Ka Rasta", "Neeche Wale Khane Ka Unwan", Role::StaticText)
            .look(caption(Colours::Window)),
        R(Id::txtSegSize, "txtSegSize", Kind::TextBox)
            .in(Id::picCHolder_0)
            .at(600, 780, 2415, 285)
            .text("1.38")
            .toolTip("Har Hisse Ka Hujam...")
            .tab(2)
            .accessible("Har Hisse Ka Hujam", "Har Hisse Ka Hujam MB Main Likhen", Role::Default)
            .look(textBox()),
        R(Id::txtSFName, "txtSFName", Kind::TextBox)
            .in(Id::picCHolder_0)
            .at(585, 120, 2415, 285)
            .toolTip("File Ka Rasta Yaha Likhen...")
            .tab(1)
            .accessible("File Ka Rasta", "File Ka Rasta Yaha Likhen...", Role::Default)
            .look(pathBox()),
        R(Id::lblSBrowse, "lblSBrowse", Kind::Label)
            .in(Id::picCHolder_1)
            .at(45, 735, 390, 300)
            .text("...")
            .toolTip("Browse")
            .tab(7)
            .accessible("Hisse Ka Rasta Browse Keren", "Aik Hissa Chun Ker Uss Ka Rasta Hisse Ke Khane Main Likhen",
                        Role::Button)
            .look(browseLabel()),
        R(Id::txtSegfname, "txtSegfname", Kind::TextBox)
            .in(Id::picCHolder_1)
            .at(585, 735, 3495, 285)
            .toolTip("Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta")
            .tab(6)
            .accessible("Taqseem Shuda Hisse Ka Rasta", "Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta", Role::Default)
            .look(pathBox()),
        R(Id::Picture3, "Picture3", Kind::PictureBox)
            .in(Id::picCHolder_1)
            .at(1320, 120, 2895, 540)
            .picture("piecepath.gif")
            .tab(10)
            .accessible("Unwan: Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta", "Hisse Wale Khane Ka Unwan",
                        Role::StaticText)
            .look(caption(Colours::Silver)),
        R(Id::picProgress, "picProgress", Kind::PictureBox)
            .at(1080, 1830, 3075, 255)
            .tab(4)
            .accessible("Kaam Ki Raftar", "Kaam Kitne Fisad Mukammal Ho Chuka Hai", Role::ProgressBar)
            .look(panel()),
        R(Id::Picture4, "Picture4", Kind::PictureBox)
            .at(0, 1680, 900, 525)
            .picture("start.gif")
            .toolTip("Iss Button Per Click Ker Ke Aghaz Kijiye")
            .tab(11)
            .accessible("Aghaz", "Iss Button Per Click Ker Ke Aghaz Kijiye", Role::Button)
            .look(startButton()),
    });
    return table;
}

const std::vector<Control>& aboutWindow() {
    // Creation order is the focus order: OK first, then the picture box.
    using Id = frmAbout;
    using R = Row<Id>;
    static const std::vector<Control> table = tableOf<Id>({
        R(Id::cmdOK, "cmdOK", Kind::Button)
            .at(3120, 240, 1125, 345)
            .text("&Ok")
            .tab(0)
            .accessible("Ok", "Zarvel Ke Bare Main Window Band Keren", Role::Default)
            .look(button()),
        R(Id::Picture1, "Picture1", Kind::PictureBox)
            .at(0, 840, 5175, 8535)
            .picture("about.gif")
            .tab(1)
            .accessible("Zarvel Ke Bare Main Tehreer", "Zarvel Kya Kerta Hai, Urdu Main", Role::Graphic)
            .look(sunken()),
        R(Id::Line1, "Line1", Kind::Line).at(90, 720, 4605, 15).look(line()),
        R(Id::Label_3, "Label_3", Kind::Label)
            .at(885, 270, 1950, 255)
            .text(About::MakerAddress)
            .accessible("Zarvel Banane Wale Ki Website", "Click Ker Ke Website Browser Main Kholen", Role::Link)
            .look(link()),
        // The program's icon, drawn by the face.
        R(Id::Image1, "Image1", Kind::Image).at(120, 0, 600, 720),
    });
    return table;
}

int borderWidth(Border border) {
    switch (border) {
    case Border::Flat:
        return 1;
    case Border::Sunken:
        return 2;
    case Border::None:
        break;
    }
    return 0;
}

Pixels placeOf(const std::vector<Control>& table, const Control& control) {
    const int inset = control.parent == OnWindow ? 0 : borderWidth(table[std::size_t(control.parent)].look.border);
    return {inset + px(control.place.left), inset + px(control.place.top), px(control.place.width),
            px(control.place.height)};
}

std::optional<Pixels> shownPartOf(const std::vector<Control>& table, const Control& control) {
    if (control.parent == OnWindow)
        return std::nullopt;
    const Pixels place = placeOf(table, control);
    const Control& container = table[std::size_t(control.parent)];
    const int border = borderWidth(container.look.border);
    const int innerRight = px(container.place.width) - border, innerBottom = px(container.place.height) - border;
    const int left = std::max(border - place.left, 0), top = std::max(border - place.top, 0);
    const int right = std::min(place.width, innerRight - place.left);
    const int bottom = std::min(place.height, innerBottom - place.top);
    if (left == 0 && top == 0 && right == place.width && bottom == place.height)
        return std::nullopt;
    return Pixels{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

bool isWindowed(Kind kind) {
    return kind == Kind::PictureBox || kind == Kind::TextBox || kind == Kind::Button;
}

bool takesFocusOnClick(const Control& control) {
    return isWindowed(control.kind) && control.look.enabled;
}

char mnemonicOf(std::string_view caption) {
    const std::size_t at = caption.find('&');
    if (at == std::string_view::npos || at + 1 >= caption.size() || caption[at + 1] == '&')
        return 0;
    const char letter = caption[at + 1];
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

Stacking::Stacking() {
    const std::vector<Control>& table = mainWindow();
    for (std::size_t row = 0; row < table.size(); ++row)
        m_orders[table[row].parent].push_back(static_cast<frmMain>(row));
}

const std::vector<frmMain>& Stacking::raise(frmMain control) {
    std::vector<frmMain>& order = m_orders.find(of(control).parent)->second;
    const auto windowed = [](frmMain sibling) { return isWindowed(of(sibling).kind); };
    order.erase(std::find(order.begin(), order.end(), control));
    // A label or image goes to the top of its own layer: just under the lowest true window.
    auto at = order.end();
    if (!windowed(control))
        at = std::find_if(order.begin(), order.end(), windowed);
    order.insert(at, control);
    return order;
}

} // namespace Layout

namespace Layout {

std::optional<std::size_t> nextByTab(const std::vector<Control>& table, std::optional<std::size_t> from, bool backwards,
                                     const std::function<bool(std::size_t row)>& canTake) {
    std::vector<std::size_t> order;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].tabPlace != NoTab)
            order.push_back(row);
    }
    if (order.empty())
        return std::nullopt;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return table[a].tabPlace < table[b].tabPlace; });
    const auto at = from ? std::find(order.begin(), order.end(), *from) : order.end();
    // From outside the order, Tab starts at the first place and Shift+Tab at the last.
    std::size_t index = at != order.end() ? std::size_t(at - order.begin()) : backwards ? 0 : order.size() - 1;
    for (std::size_t step = 0; step < order.size(); ++step) {
        index = (index + (backwards ? order.size() - 1 : 1)) % order.size();
        if (canTake(order[index]))
            return order[index];
    }
    return std::nullopt;
}

} // namespace Layout
