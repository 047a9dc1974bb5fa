#include "ui/about/frmAbout.h"

#include "app/About.h"
#include "app/AboutForm.h"
#include "app/Layout.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/InputEvents.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LayoutBuilder.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

class frmAbout::Face : public AboutFace {
public:
    explicit Face(frmAbout& window) : m_window(window) {}

    void focus(Layout::frmAbout control) override { m_window.m_controls[control]->setFocus(Qt::OtherFocusReason); }
    void showCues() override { KeyboardFocus::showCues(&m_window); }
    void close() override { m_window.accept(); }
    // Opening the page is a courtesy: whatever fails, the window stays as it is.
    void openAddress(const std::string& address) override {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    }

private:
    frmAbout& m_window;
};

namespace {

QPointer<frmAbout>& instance() {
    static QPointer<frmAbout> about;
    return about;
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_face(std::make_unique<Face>(*this)), m_form(std::make_unique<AboutForm>(*m_face, false)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(About::Title));
    setFixedSize(About::InnerWidth, About::InnerHeight);
    setModal(true);
    setSizeGripEnabled(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Skin::colour(Colours::ActiveBorder));
    setPalette(pal);
    setAutoFillBackground(true);
    createControls();
    m_form->opened();
}

frmAbout::~frmAbout() = default;

void frmAbout::createControls() {
    using Layout::frmAbout;
    m_controls = LayoutBuilder::Widgets<frmAbout>(this);
    auto* ok = static_cast<QPushButton*>(m_controls[frmAbout::cmdOK]);
    // Neither default nor cancel, and its Alt letter is the form's to handle.
    ok->setAutoDefault(false);
    ok->setDefault(false);
    ok->setShortcut(QKeySequence());
    connect(ok, &QPushButton::clicked, this, [this] { m_form->clicked(frmAbout::cmdOK); });

    auto* link = static_cast<CLabel*>(m_controls[frmAbout::Label_3]);
    QFont linkFont(QString::fromUtf8(About::LinkFace), About::LinkPoints, About::LinkWeight);
    linkFont.setStyleHint(QFont::Cursive);
    link->setFont(linkFont);
    connect(link, &CLabel::clicked, this, [this] { m_form->clicked(frmAbout::Label_3); });

    static_cast<CImageBox*>(m_controls[frmAbout::Image1])
        ->setPicture(QIcon(Skin::iconPath()).pixmap(16, 16), CImageBox::Fit::Stretch);
    for (QWidget* widget : m_controls.all())
        widget->installEventFilter(this);
    installEventFilter(this);
}

void frmAbout::showModal(QWidget* owner) {
    QPointer<frmAbout>& about = instance();
    if (!about || about->parentWidget() != owner)
        about = new frmAbout(owner);
    about->centreOverOwner();
    about->m_form->opened();
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

bool frmAbout::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        m_form->activated();
    return QDialog::event(event);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->isEnabled() && controlEvent(widget, event);
}

bool frmAbout::controlEvent(QWidget* widget, QEvent* event) {
    const std::optional<Layout::frmAbout> id = m_controls.controlOf(widget);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // The key's own receiver only: the focused control, or the window while none has the focus.
        QWidget* focused = QApplication::focusWidget();
        if (widget != (focused && isAncestorOf(focused) ? focused : this))
            return false;
        return m_form->keyPressed(id, InputEvents::pressOf(static_cast<QKeyEvent*>(event)));
    }
    case QEvent::FocusIn:
        m_form->focusMoved(id);
        return false;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_leftDownOn = id;
        return false;
    case QEvent::MouseButtonRelease: {
        // The link is a label: its click is a left press and release over it, as a button's is.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && std::exchange(m_leftDownOn, std::nullopt) == id &&
            id == Layout::frmAbout::Label_3 && widget->rect().contains(mouse->position().toPoint()))
            m_form->clicked(*id);
        return false;
    }
    default:
        return false;
    }
}
