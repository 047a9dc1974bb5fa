// Building the main window's controls. Creation order is stacking order: in each container the light
// controls (labels, images) come first so that the boxes created after them lie in front.
#include "ui/main/frmMain.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/Skin.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace {

constexpr int InnerWidth = 289;
constexpr int InnerHeight = 148;

QColor systemWindowText(const QWidget* w) {
    return w->palette().color(QPalette::Text);
}

} // namespace

void frmMain::setUpWindow() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Zarvel v1.0.0"));
    setWindowIcon(QIcon(Skin::iconPath()));
    setFixedSize(InnerWidth, InnerHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Skin::Silver);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(designFont(font()));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

CImageBox* frmMain::makeImage(QWidget* parent, const char* name, const QRect& place, const QString& picture) {
    auto* image = new CImageBox(parent);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(place);
    image->setPicture(Skin::picture(picture));
    return image;
}

CPictureBox* frmMain::makePictureBox(QWidget* parent, const char* name, const QRect& place) {
    auto* box = new CPictureBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    return box;
}

CTextBox* frmMain::makeTextBox(QWidget* parent, const char* name, const QRect& place, const QString& toolTip) {
    auto* box = new CTextBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->setToolTip(toolTip);
    return box;
}

CLabel* frmMain::makeBrowseLabel(QWidget* parent, const char* name, const QRect& place) {
    auto* label = new CLabel(QStringLiteral("..."), parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setBackColor(Skin::LightGrey);
    label->setForeColor(Qt::black);
    label->setBorder(CLabel::Border::FlatSingle);
    label->setCursor(Skin::handCursor());
    label->setToolTip(QStringLiteral("Browse"));
    label->setFocusPolicy(Qt::TabFocus);
    return label;
}

void frmMain::createTopStrip() {
    // The title lies lowest so that the About button keeps the one column where the two meet.
    Image1 = makeImage(this, "Image1", Skin::twips(555, -30, 1710, 330), QStringLiteral("title.gif"));
    Image1->setEnabled(false);
    imgExit = makeImage(this, "imgExit", Skin::twips(0, 0, 285, 270), QStringLiteral("exit.gif"));
    imgExit->setToolTip(QStringLiteral("Zarvel Ko Band Keren"));
    imgInfo = makeImage(this, "imgInfo", Skin::twips(285, 0, 285, 270), QStringLiteral("info.gif"));
    imgInfo->setToolTip(QStringLiteral("Zarvel Ke Baare Main"));
    imgTab[1] = makeImage(this, "imgTab_1", Skin::twips(2280, 0, 1095, 480), QStringLiteral("tabjoin.gif"));
    imgTab[0] = makeImage(this, "imgTab_0", Skin::twips(3240, 0, 1095, 480), QStringLiteral("tabsplit.gif"));
    // Reached with Tab only, so a click on them leaves the focus where it was.
    for (QWidget* clickable : {static_cast<QWidget*>(imgExit), static_cast<QWidget*>(imgInfo),
                               static_cast<QWidget*>(imgTab[0]), static_cast<QWidget*>(imgTab[1])}) {
        clickable->setCursor(Skin::handCursor());
        clickable->setFocusPolicy(Qt::TabFocus);
    }
}

void frmMain::createPanels() {
    // The join panel first: the split panel, created after it, starts in front.
    picCHolder[1] = makePictureBox(this, "picCHolder_1", Skin::twips(0, 480, 4335, 1185));
    picCHolder[0] = makePictureBox(this, "picCHolder_0", Skin::twips(0, 465, 4335, 1155));
    for (CPictureBox* panel : picCHolder) {
        panel->setBackColor(Skin::Silver);
        panel->setBorder(CPictureBox::Border::FlatSingle);
    }
    createSplitPanel();
    createJoinPanel();
}

void frmMain::createSplitPanel() {
    QWidget* panel = picCHolder[0];
    Label_2 = new CLabel(QStringLiteral("MB"), panel);
    Label_2->setObjectName(QStringLiteral("Label_2"));
    Label_2->setGeometry(Skin::twips(195, 840, 240, 195));
    Label_2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_2->setForeColor(Qt::black);
    lblBrowse = makeBrowseLabel(panel, "lblBrowse", Skin::twips(165, 120, 270, 285));

    Picture2 = makePictureBox(panel, "Picture2", Skin::twips(3120, 600, 900, 550));
    Picture2->setBackColor(palette().color(QPalette::Base));
    Picture2->setPicture(Skin::picture(QStringLiteral("size.gif")));
    Picture1 = makePictureBox(panel, "Picture1", Skin::twips(3120, 0, 915, 435));
    Picture1->setBackColor(palette().color(QPalette::Base));
    Picture1->setPicture(Skin::picture(QStringLiteral("path.gif")));
    Picture1->resize(Picture1->picture().deviceIndependentSize().toSize());
    txtSegSize =
        makeTextBox(panel, "txtSegSize", Skin::twips(600, 780, 2415, 285), QStringLiteral("Har Hisse Ka Hujam..."));
    txtSegSize->setText(QStringLiteral("1.38"));
    txtSFName = makeTextBox(panel, "txtSFName", Skin::twips(585, 120, 2415, 285),
                            QStringLiteral("File Ka Rasta Yaha Likhen..."));
    txtSFName->setOLEDropMode(CTextBox::DropMode::Manual);
}

void frmMain::createJoinPanel() {
    QWidget* panel = picCHolder[1];
    lblSBrowse = makeBrowseLabel(panel, "lblSBrowse", Skin::twips(45, 735, 390, 300));
    txtSegfname = makeTextBox(panel, "txtSegfname", Skin::twips(585, 735, 3495, 285),
                              QStringLiteral("Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta"));
    txtSegfname->setOLEDropMode(CTextBox::DropMode::Manual);
    Picture3 = makePictureBox(panel, "Picture3", Skin::twips(1320, 120, 2895, 540));
    Picture3->setBackColor(Skin::Silver);
    Picture3->setPicture(Skin::picture(QStringLiteral("piecepath.gif")));
}

void frmMain::createBottomRow() {
    picProgress = makePictureBox(this, "picProgress", Skin::twips(1080, 1830, 3075, 255));
    picProgress->setBackColor(Skin::Silver);
    picProgress->setBorder(CPictureBox::Border::FlatSingle);
    QPalette pal = picProgress->palette();
    pal.setColor(QPalette::WindowText, systemWindowText(this));
    picProgress->setPalette(pal);

    Picture4 = makePictureBox(this, "Picture4", Skin::twips(0, 1680, 900, 525));
    Picture4->setPicture(Skin::picture(QStringLiteral("start.gif")));
    Picture4->setCursor(Qt::UpArrowCursor);
    Picture4->setToolTip(QStringLiteral("Iss Button Per Click Ker Ke Aghaz Kijiye"));
}

void frmMain::setTabOrders() {
    // The order holds whichever panel is in front, so Tab also reaches the box of the hidden panel. The
    // browse labels take their places in the design's order; the pictures of the top strip, which have none,
    // follow the start button, in the order the strip reads from right to left.
    QWidget* const order[] = {picCHolder[0], txtSFName,  txtSegSize, lblBrowse, picProgress, picCHolder[1],
                              txtSegfname,   lblSBrowse, Picture1,   Picture2,  Picture3,    Picture4,
                              imgTab[0],     imgTab[1],  imgInfo,    imgExit};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmMain::describeControls() {
    using A = QAccessible;
    Accessible::describe(imgTab[0], QStringLiteral("Toren"), QStringLiteral("File Ko Hisso Main Torne Ka Safha"),
                         A::PageTab);
    Accessible::describe(imgTab[1], QStringLiteral("Joren"), QStringLiteral("Hisso Ko Jor Ker File Banane Ka Safha"),
                         A::PageTab);
    Accessible::describe(imgExit, imgExit->toolTip(), QStringLiteral("Zarvel Foran Band Ho Jaye Ga"), A::Button);
    Accessible::describe(imgInfo, imgInfo->toolTip(), QStringLiteral("Zarvel Ke Baare Main Maloomat Ka Window Kholen"),
                         A::Button);
    Accessible::describe(picCHolder[0], QStringLiteral("Torne Ka Safha"),
                         QStringLiteral("Yaha File Aur Har Hisse Ka Hujam Likhen"), A::Grouping);
    Accessible::describe(picCHolder[1], QStringLiteral("Jorne Ka Safha"),
                         QStringLiteral("Yaha Taqseem Shuda Hisse Ka Rasta Likhen"), A::Grouping);
    Accessible::describe(txtSFName, QStringLiteral("File Ka Rasta"), txtSFName->toolTip());
    Accessible::describe(txtSegSize, QStringLiteral("Har Hisse Ka Hujam"),
                         QStringLiteral("Har Hisse Ka Hujam MB Main Likhen"));
    Accessible::describe(txtSegfname, QStringLiteral("Taqseem Shuda Hisse Ka Rasta"), txtSegfname->toolTip());
    Accessible::describe(lblBrowse, QStringLiteral("File Ka Rasta Browse Keren"),
                         QStringLiteral("File Chun Ker Uss Ka Rasta File Ke Khane Main Likhen"), A::Button);
    Accessible::describe(lblSBrowse, QStringLiteral("Hisse Ka Rasta Browse Keren"),
                         QStringLiteral("Aik Hissa Chun Ker Uss Ka Rasta Hisse Ke Khane Main Likhen"), A::Button);
    Accessible::describe(Picture1, QStringLiteral("Unwan: File Ka Rasta"), QStringLiteral("Neeche Wale Khane Ka Unwan"),
                         A::StaticText);
    Accessible::describe(Picture2, QStringLiteral("Unwan: Har Hisse Ka Hujam"),
                         QStringLiteral("Hujam Wale Khane Ka Unwan"), A::StaticText);
    Accessible::describe(Picture3, QStringLiteral("Unwan: Taqseem Shuda Hisso Main Se Kisi Aik Ka Rasta"),
                         QStringLiteral("Hisse Wale Khane Ka Unwan"), A::StaticText);
    Accessible::describe(Picture4, QStringLiteral("Aghaz"), Picture4->toolTip(), A::Button);
    Accessible::describe(picProgress, QStringLiteral("Kaam Ki Raftar"),
                         QStringLiteral("Kaam Kitne Fisad Mukammal Ho Chuka Hai"), A::ProgressBar);
}
