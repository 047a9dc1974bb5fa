// Building the main window's controls from its layout table, then giving them the skin's look.
#include "ui/main/frmMain.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/LayoutBuilder.h"
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

template <typename T> T* take(const QHash<QString, QWidget*>& controls, const char* name) {
    return static_cast<T*>(controls.value(QLatin1String(name)));
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

void frmMain::createControls() {
    const QHash<QString, QWidget*> c = LayoutBuilder::build(this, Layout::mainWindow());
    Image1 = take<CImageBox>(c, "Image1");
    imgExit = take<CImageBox>(c, "imgExit");
    imgInfo = take<CImageBox>(c, "imgInfo");
    imgTab = {take<CImageBox>(c, "imgTab_0"), take<CImageBox>(c, "imgTab_1")};
    picCHolder = {take<CPictureBox>(c, "picCHolder_0"), take<CPictureBox>(c, "picCHolder_1")};
    Label_2 = take<CLabel>(c, "Label_2");
    lblBrowse = take<CLabel>(c, "lblBrowse");
    lblSBrowse = take<CLabel>(c, "lblSBrowse");
    Picture1 = take<CPictureBox>(c, "Picture1");
    Picture2 = take<CPictureBox>(c, "Picture2");
    Picture3 = take<CPictureBox>(c, "Picture3");
    Picture4 = take<CPictureBox>(c, "Picture4");
    picProgress = take<CPictureBox>(c, "picProgress");
    txtSFName = take<CTextBox>(c, "txtSFName");
    txtSegSize = take<CTextBox>(c, "txtSegSize");
    txtSegfname = take<CTextBox>(c, "txtSegfname");
    styleTopStrip();
    stylePanels();
    styleBottomRow();
}

void frmMain::styleTopStrip() {
    Image1->setEnabled(false);
    for (QWidget* clickable : {static_cast<QWidget*>(imgExit), static_cast<QWidget*>(imgInfo),
                               static_cast<QWidget*>(imgTab[0]), static_cast<QWidget*>(imgTab[1])})
        clickable->setCursor(Skin::handCursor());
}

void frmMain::stylePanels() {
    for (CPictureBox* panel : picCHolder) {
        panel->setBackColor(Skin::Silver);
        panel->setBorder(CPictureBox::Border::FlatSingle);
    }
    Label_2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_2->setForeColor(Qt::black);
    for (CLabel* label : {lblBrowse, lblSBrowse}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setBackColor(Skin::LightGrey);
        label->setForeColor(Qt::black);
        label->setBorder(CLabel::Border::FlatSingle);
        label->setCursor(Skin::handCursor());
    }
    for (CPictureBox* title : {Picture1, Picture2})
        title->setBackColor(palette().color(QPalette::Base));
    Picture1->resize(Picture1->picture().deviceIndependentSize().toSize());
    Picture3->setBackColor(Skin::Silver);
    for (CTextBox* box : {txtSFName, txtSegfname})
        box->setOLEDropMode(CTextBox::DropMode::Manual);
}

void frmMain::styleBottomRow() {
    picProgress->setBackColor(Skin::Silver);
    picProgress->setBorder(CPictureBox::Border::FlatSingle);
    QPalette pal = picProgress->palette();
    pal.setColor(QPalette::WindowText, systemWindowText(this));
    picProgress->setPalette(pal);
    Picture4->setCursor(Qt::UpArrowCursor);
}
