#include "ui/about/frmAbout.h"

#include "app/About.h"
#include "app/Layout.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/LayoutBuilder.h"
#include "ui/widgets/Skin.h"

#include <QDesktopServices>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

const char* const frmAbout::MakerAddress = About::MakerAddress;

namespace {

QPointer<frmAbout>& instance() {
    static QPointer<frmAbout> about;
    return about;
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(About::Title));
    setFixedSize(About::InnerWidth, About::InnerHeight);
    setModal(true);
    setSizeGripEnabled(false);
    createControls();
    cmdOK->setFocus(Qt::OtherFocusReason);
}

void frmAbout::createControls() {
    const QHash<QString, QWidget*> controls = LayoutBuilder::build(this, Layout::aboutWindow());
    cmdOK = static_cast<QPushButton*>(controls.value(QStringLiteral("cmdOK")));
    Picture1 = static_cast<CPictureBox*>(controls.value(QStringLiteral("Picture1")));
    Line1 = controls.value(QStringLiteral("Line1"));
    Label_3 = static_cast<CLabel*>(controls.value(QStringLiteral("Label_3")));
    Image1 = static_cast<CImageBox*>(controls.value(QStringLiteral("Image1")));

    cmdOK->setAutoDefault(false);
    cmdOK->setDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Picture1->setBorder(CPictureBox::Border::Sunken);
    Picture1->setBackColor(Skin::Silver);

    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, palette().color(QPalette::Dark));
    Line1->setPalette(linePalette);

    Label_3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_3->setForeColor(Skin::bgr(0xC00000));
    QFont linkFont(QStringLiteral("Comic Sans MS"), 9, QFont::Normal);
    linkFont.setStyleHint(QFont::Cursive);
    Label_3->setFont(linkFont);
    Label_3->setCursor(Qt::ArrowCursor);
    connect(Label_3, &CLabel::clicked, this, [this] { Label_Click(3); });

    Image1->setPicture(QIcon(Skin::iconPath()).pixmap(16, 16), CImageBox::Fit::Stretch);
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
