#include "ui/about/frmAbout.h"

#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/Skin.h"

#include <QDesktopServices>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

const char* const frmAbout::MakerAddress = "http://example.com";

namespace {

constexpr int InnerWidth = 344;
constexpr int InnerHeight = 621;

QPointer<frmAbout>& instance() {
    static QPointer<frmAbout> about;
    return about;
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Zarvel Ke Bare Main"));
    setFixedSize(InnerWidth, InnerHeight);
    setModal(true);
    setSizeGripEnabled(false);
    createControls();
    cmdOK->setFocus(Qt::OtherFocusReason);
}

void frmAbout::createControls() {
    // Creation order is the focus order: OK first, then the picture box.
    cmdOK = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Skin::twips(3120, 240, 1125, 345));
    cmdOK->setAutoDefault(false);
    cmdOK->setDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Picture1 = new CPictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Skin::twips(0, 840, 5175, 8535));
    Picture1->setBorder(CPictureBox::Border::Sunken);
    Picture1->setBackColor(Skin::Silver);
    Picture1->setPicture(Skin::picture(QStringLiteral("about.gif")));
    setTabOrder(cmdOK, Picture1);

    Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(QRect(QPoint(Skin::px(90), Skin::px(720)), QPoint(Skin::px(4680), Skin::px(720))));
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, palette().color(QPalette::Dark));
    Line1->setPalette(linePalette);

    Label_3 = new CLabel(QString::fromLatin1(MakerAddress), this);
    Label_3->setObjectName(QStringLiteral("Label_3"));
    Label_3->setGeometry(Skin::twips(885, 270, 1950, 255));
    Label_3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_3->setForeColor(Skin::bgr(0xC00000));
    QFont linkFont(QStringLiteral("Comic Sans MS"), 9, QFont::Normal);
    linkFont.setStyleHint(QFont::Cursive);
    Label_3->setFont(linkFont);
    Label_3->setCursor(Qt::ArrowCursor);
    connect(Label_3, &CLabel::clicked, this, [this] { Label_Click(3); });
    describeControls();

    Image1 = new CImageBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Skin::twips(120, 0, 600, 720));
    Image1->setPicture(QIcon(Skin::iconPath()).pixmap(16, 16), CImageBox::Fit::Stretch);
}

void frmAbout::describeControls() {
    Accessible::describe(cmdOK, QStringLiteral("Ok"), QStringLiteral("Zarvel Ke Bare Main Window Band Keren"));
    Accessible::describe(Label_3, QStringLiteral("Zarvel Banane Wale Ki Website"),
                         QStringLiteral("Click Ker Ke Website Browser Main Kholen"), QAccessible::Link);
    Accessible::describe(Picture1, QStringLiteral("Zarvel Ke Bare Main Tehreer"),
                         QStringLiteral("Zarvel Kya Kerta Hai, Urdu Main"), QAccessible::Graphic);
}

void frmAbout::showModal(QWidget* owner) {
    QPointer<frmAbout>& about = instance();
    if (!about || about->parentWidget() != owner)
        about = new frmAbout(owner);
    about->centreOverOwner();
    about->cmdOK->setFocus(Qt::OtherFocusReason);
    about->exec();
}

void frmAbout::centreOverOwner() {
    if (!parentWidget())
        return;
    // move() places the frame; once the window has been shown its frame's size is known and the whole
    // window, title bar included, lands in the middle.
    const QRect owner = parentWidget()->frameGeometry();
    const QSize outer = frameGeometry().size();
    move(owner.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // OK is neither the default nor the cancel button: Esc does nothing, Enter presses OK only while it
    // has the focus.
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == cmdOK)
            cmdOK->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::Label_Click(int) {
    // Opening the page is a courtesy: whatever fails, the window stays as it is.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(MakerAddress)));
}
