#include "app/Layout.h"

#include "app/About.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Layout {
namespace {

constexpr const char* Main = "frmMain";
constexpr const char* SplitPanel = "picCHolder_0";
constexpr const char* JoinPanel = "picCHolder_1";
constexpr const char* AboutWindow = "frmAbout";

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
    static const std::vector<Control> table = {
        {"Image1", Kind::Image, Main, {555, -30, 1710, 330}, "title.gif", "", "", NoTab, "", "", Role::Default, disabled()},
        {"imgExit",
         Kind::Image,
         Main,
         {0, 0, 285, 270},
         "exit.gif",
         "",
         "Zarvel Ko Band Keren",
         15,
         "Zarvel Ko Band Keren",
         "Zarvel Foran Band Ho Jaye Ga",
         Role::Button, handButton()},
        {"imgInfo",
         Kind::Image,
         Main,
         {285, 0, 285, 270},
         "info.gif",
         "",
         "Zarvel Ke Baare Main",
         14,
         "Zarvel Ke Baare Main",
         "Zarvel Ke Baare Main Maloomat Ka Window Kholen",
         Role::Button, handButton()},
        {"imgTab_1",
         Kind::Image,
         Main,
         {2280, 0, 1095, 480},
         "tabjoin.gif",
         "",
         "",
         13,
         "Joren",
         "Hisso Ko Jor Ker File Banane Ka Safha",
         Role::PageTab, handButton()},
        {"imgTab_0",
         Kind::Image,
         Main,
         {3240, 0, 1095, 480},
         "tabsplit.gif",
         "",
         "",
         12,
         "Toren",
         "File Ko Hisso Main Torne Ka Safha",
         Role::PageTab, handButton()},
        {"picCHolder_1",
         Kind::PictureBox,
         Main,
         {0, 480, 4335, 1185},
         "",
         "",
         "",
         5,
         "Jorne Ka Safha",
         "Yaha Taqseem Shuda Hisse Ka Rasta Likhen",
         Role::Grouping, panel()},
        {"picCHolder_0",
         Kind::PictureBox,
         Main,
         {0, 465, 4335, 1155},
         "",
         "",
         "",
         0,
         "Torne Ka Safha",
         "Yaha File Aur Har Hisse Ka Hujam Likhen",
         Role::Grouping, panel()},
        {"Label_2", Kind::Label, SplitPanel, {195, 840, 240, 195}, "", "MB", "", NoTab, "", "", Role::Default, plainLabel()},
        {"lblBrowse",
         Kind::Label,
         SplitPanel,
         {165, 120, 270, 285},
         "",
         "...",
         "Browse",
         3,
         "File Ka Rasta Browse Keren",
         "File Chun Ker Uss Ka Rasta File Ke Khane Main Likhen",
         Role::Button, browseLabel()},
        {"Picture2",
         Kind::PictureBox,
         SplitPanel,
         {3120, 600, 900, 550},
         "size.gif",
         "",
         "",
         9,
         "Unwan: Har Hisse Ka Hujam",
         "Hujam Wale Khane Ka Unwan",
         Role::StaticText, caption(Colours::Window)},
        {"Picture1",
         Kind::PictureBox,
         SplitPanel,
         {3120, 0, 915, 435},
         "path.gif",
         "",
         "",
         8,
         "Unwan: File Ka Rasta",
         "Neeche Wale Khane Ka Unwan",
         Role::StaticText, caption(Colours::Window)},
        {"txtSegSize",
         Kind::TextBox,
         SplitPanel,
         {600, 780, 2415, 285},
         "",
         "1.38",
         "Har Hisse Ka Hujam...",
         2,
         "Har Hisse Ka Hujam",
         "Har Hisse Ka Hujam MB Main Likhen",
         Role::Default, textBox()},
        {"txtSFName",
         Kind::TextBox,
         SplitPanel,
         {585, 120, 2415, 285},
         "",
         "",
         "File Ka Rasta Yaha Likhen...",
         1,
         "File Ka Rasta",
         "File Ka Rasta Yaha Likhen...",
         Role::Default, textBox()},
        {"lblSBrowse",
         Kind::Label,
         JoinPanel,
         {45, 735, 390, 300},
         "",
         "...",
         "Browse",
         7,
         "Hisse Ka Rasta Browse Keren",
         "Aik Hissa Chun Ker Uss Ka Rasta Hisse Ke Khane Main Likhen",
         Role::Button, browseLabel()},
        {"txtSegfname",
         Kind::TextBox,
         JoinPanel,
         {585, 735, 3495, 285},
         "",
         "",
         "Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta",
         6,
         "Taqseem Shuda Hisse Ka Rasta",
         "Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta",
         Role::Default, textBox()},
        {"Picture3",
         Kind::PictureBox,
         JoinPanel,
         {1320, 120, 2895, 540},
         "piecepath.gif",
         "",
         "",
         10,
         "Unwan: Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta",
         "Hisse Wale Khane Ka Unwan",
         Role::StaticText, caption(Colours::Silver)},
        {"picProgress",
         Kind::PictureBox,
         Main,
         {1080, 1830, 3075, 255},
         "",
         "",
         "",
         4,
         "Kaam Ki Raftar",
         "Kaam Kitne Fisad Mukammal Ho Chuka Hai",
         Role::ProgressBar, panel()},
        {"Picture4",
         Kind::PictureBox,
         Main,
         {0, 1680, 900, 525},
         "start.gif",
         "",
         "Iss Button Per Click Ker Ke Aghaz Kijiye",
         11,
         "Aghaz",
         "Iss Button Per Click Ker Ke Aghaz Kijiye",
         Role::Button, startButton()},
    };
    return table;
}

const std::vector<Control>& aboutWindow() {
    // Creation order is the focus order: OK first, then the picture box.
    static const std::vector<Control> table = {
        {"cmdOK",
         Kind::Button,
         AboutWindow,
         {3120, 240, 1125, 345},
         "",
         "&Ok",
         "",
         0,
         "Ok",
         "Zarvel Ke Bare Main Window Band Keren",
         Role::Default, button()},
        {"Picture1",
         Kind::PictureBox,
         AboutWindow,
         {0, 840, 5175, 8535},
         "about.gif",
         "",
         "",
         1,
         "Zarvel Ke Bare Main Tehreer",
         "Zarvel Kya Kerta Hai, Urdu Main",
         Role::Graphic, sunken()},
        {"Line1", Kind::Line, AboutWindow, {90, 720, 4605, 15}, "", "", "", NoTab, "", "", Role::Default, line()},
        {"Label_3",
         Kind::Label,
         AboutWindow,
         {885, 270, 1950, 255},
         "",
         About::MakerAddress,
         "",
         NoTab,
         "Zarvel Banane Wale Ki Website",
         "Click Ker Ke Website Browser Main Kholen",
         Role::Link, link()},
        // The program's icon, drawn by the face.
        {"Image1", Kind::Image, AboutWindow, {120, 0, 600, 720}, "", "", "", NoTab, "", "", Role::Default},
    };
    return table;
}

const Control& find(const std::vector<Control>& window, std::string_view name) {
    for (const Control& control : window) {
        if (name == control.name)
            return control;
    }
    throw std::out_of_range("no control " + std::string(name));
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

Stacking::Stacking(const std::vector<Control>& table) : m_table(table) {
    for (const Control& control : table)
        m_orders[containerOf(control.name)].push_back(control.name);
}

std::string Stacking::containerOf(std::string_view name) const {
    return find(m_table, name).parent;
}

const std::vector<std::string>& Stacking::order(std::string_view container) const {
    return m_orders.find(container)->second;
}

const std::vector<std::string>& Stacking::raise(std::string_view name) {
    std::vector<std::string>& order = m_orders.find(containerOf(name))->second;
    const auto isWindowedName = [this](const std::string& sibling) {
        return isWindowed(find(m_table, sibling).kind);
    };
    order.erase(std::find(order.begin(), order.end(), name));
    // A label or image goes to the top of its own layer: just under the lowest true window.
    auto at = order.end();
    if (!isWindowed(find(m_table, name).kind))
        at = std::find_if(order.begin(), order.end(), isWindowedName);
    order.insert(at, std::string(name));
    return order;
}

} // namespace Layout
