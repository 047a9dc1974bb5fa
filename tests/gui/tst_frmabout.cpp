#include "app/About.h"
#include "app/Layout.h"
#include "gui/support/Widgets.h"
#include "ui/about/frmAbout.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/Skin.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QtTest>
#include <functional>

namespace {

using Layout::AboutControl;

// Runs the check once the About window is up, then makes sure it is gone so a failed check never
// leaves the test waiting on a modal window.
struct WhileOpen {
    QPointer<QDialog> seen;
    bool stillOpenAfterAction = false;

    void open(frmMain& w, const std::function<void(QDialog*)>& action) {
        QTimer::singleShot(0, [this, action] {
            seen = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!seen)
                return;
            action(seen);
            QCoreApplication::processEvents();
            stillOpenAfterAction = seen->isVisible();
            if (seen->isVisible())
                seen->done(QDialog::Rejected);
        });
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(28, 9)); // imgInfo
    }
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void keysAndButtons_data();
    void keysAndButtons();
    void oneInstanceOpensAgain();
    void linkOpensTheAddressAndStays();
    void accessibleNames();

private:
    frmMain* main = nullptr;
};

void tst_frmAbout::initTestCase() {
    main = new frmMain;
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
}

void tst_frmAbout::layout_data() {
    QTest::addColumn<int>("control");
    // Each by its design name, which outside tools look for.
    const char* const named[] = {"cmdOK", "Picture1", "Line1", "Label_3", "Image1"};
    QCOMPARE(std::size(named), Layout::aboutWindow().size());
    for (const AboutControl control : Layout::controls<AboutControl>())
        QTest::newRow(named[Layout::rowOf(control)]) << int(control);
}

// Each control where the table puts it, on the window's ground as the table colours it: the drawn pixels, since a
// transparent label or a one-pixel line shows only there.
void tst_frmAbout::layout() {
    QFETCH(int, control);
    const Layout::Control& row = Layout::of(AboutControl(control));
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    WhileOpen about;
    QRect actual;
    QString parent;
    QImage window;
    about.open(*main, [&](QDialog* d) {
        window = d->grab().toImage();
        if (QWidget* c = d->findChild<QWidget*>(name)) {
            actual = c->geometry();
            parent = c->parentWidget()->objectName();
        }
    });
    QVERIFY(about.seen);
    QCOMPARE(parent, QStringLiteral("frmAbout"));
    QCOMPARE(actual, QRect(Layout::px(row.place.left), Layout::px(row.place.top), Layout::px(row.place.width),
                           Layout::px(row.place.height)));
    const QColor ground = Skin::colour(Colours::ActiveBorder);
    if (row.kind == Layout::Kind::Line) {
        QCOMPARE(actual.height(), 1);
        QCOMPARE(window.pixelColor(actual.center()), Skin::colour(row.look.fore));
        QCOMPARE(window.pixelColor(actual.center() + QPoint(0, 1)), ground);
    } else if (row.look.transparent) {
        QCOMPARE(window.pixelColor(actual.bottomRight()), ground);
    }
}

void tst_frmAbout::keysAndButtons_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("closes");
    QTest::newRow("OK clicked") << QStringLiteral("click") << true;
    QTest::newRow("Enter on OK") << QStringLiteral("enter") << true;
    QTest::newRow("Return on OK") << QStringLiteral("return") << true;
    QTest::newRow("Esc") << QStringLiteral("esc") << false;
    QTest::newRow("Alt+O") << QStringLiteral("alt+o") << true;
    QTest::newRow("Space held (repeat)") << QStringLiteral("repeat") << false;
}

void tst_frmAbout::keysAndButtons() {
    QFETCH(QString, how);
    QFETCH(bool, closes);
    WhileOpen about;
    QString title, okText;
    bool active = false, focusOnOk = false, modal = false, tool = false, ownedByMain = false, fixed = false,
         isDefault = true;
    about.open(*main, [&](QDialog* d) {
        auto* ok = widgetOf<QPushButton>(*d, AboutControl::cmdOK);
        // A tool window counts as active with its owner; the keys go to the window that really is.
        active = QTest::qWaitFor([d] { return QApplication::activeWindow() == d; });
        title = d->windowTitle();
        focusOnOk = QApplication::focusWidget() == ok;
        okText = ok->text();
        isDefault = ok->isDefault() || ok->autoDefault();
        modal = d->isModal();
        tool = (d->windowFlags() & Qt::WindowType_Mask) == Qt::Tool;
        ownedByMain = d->parentWidget() == main;
        const QSize size(About::InnerWidth, About::InnerHeight);
        fixed = d->minimumSize() == size && d->maximumSize() == size;
        if (how == QLatin1String("click"))
            QTest::mouseClick(ok, Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(ok, Qt::Key_Enter);
        else if (how == QLatin1String("return"))
            QTest::keyClick(ok, Qt::Key_Return);
        else if (how == QLatin1String("alt+o"))
            QTest::keyClick(ok, Qt::Key_O, Qt::AltModifier);
        else if (how == QLatin1String("repeat"))
            QTest::simulateEvent(ok, true, Qt::Key_Space, {}, QStringLiteral(" "), true);
        else
            QTest::keyClick(ok, Qt::Key_Escape);
    });
    QVERIFY(about.seen);
    QVERIFY(active);
    QCOMPARE(title, QString::fromUtf8(About::Title));
    QVERIFY(focusOnOk);
    QCOMPARE(okText, QStringLiteral("&Ok"));
    QVERIFY(!isDefault);
    QVERIFY(modal);
    QVERIFY(tool);
    QVERIFY(ownedByMain);
    QVERIFY(fixed);
    QCOMPARE(about.stillOpenAfterAction, !closes);
}

void tst_frmAbout::oneInstanceOpensAgain() {
    WhileOpen first;
    first.open(*main, [](QDialog* d) { widgetOf<QPushButton>(*d, AboutControl::cmdOK)->click(); });
    WhileOpen second;
    QPoint centreGap;
    second.open(*main, [&](QDialog* d) {
        centreGap = d->frameGeometry().center() - main->frameGeometry().center();
        widgetOf<QPushButton>(*d, AboutControl::cmdOK)->click();
    });
    QVERIFY(first.seen);
    QCOMPARE(second.seen, first.seen);
    QVERIFY2(qAbs(centreGap.x()) <= 2 && qAbs(centreGap.y()) <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(centreGap.x()).arg(centreGap.y())));
}

void tst_frmAbout::linkOpensTheAddressAndStays() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    WhileOpen about;
    QString text;
    QColor colour;
    Qt::CursorShape shape = Qt::BlankCursor;
    bool underlined = true;
    about.open(*main, [&](QDialog* d) {
        auto* link = widgetOf<CLabel>(*d, AboutControl::Label_3);
        text = link->text();
        colour = link->palette().color(QPalette::WindowText);
        shape = link->cursor().shape();
        underlined = link->font().underline();
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
    });
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(text, QString::fromLatin1(About::MakerAddress));
    QCOMPARE(colour, Skin::colour(Colours::LinkBlue));
    QCOMPARE(shape, Qt::ArrowCursor);
    QVERIFY(!underlined);
    QCOMPARE(catcher.urls.size(), 2);
    // The address opened is the very text shown.
    QCOMPARE(catcher.urls.first().toString(), QString::fromLatin1(About::MakerAddress));
    QVERIFY(about.stillOpenAfterAction);
}

void tst_frmAbout::accessibleNames() {
    frmAbout about(main);
    QSet<QString> names;
    for (const AboutControl control : {AboutControl::cmdOK, AboutControl::Label_3, AboutControl::Picture1}) {
        const char* name = Layout::of(control).name;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widgetOf(about, control));
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty() && !a->text(QAccessible::Description).isEmpty(), name);
        names.insert(a->text(QAccessible::Name));
    }
    QCOMPARE(names.size(), 3);
    QCOMPARE(QAccessible::queryAccessibleInterface(widgetOf(about, AboutControl::Label_3))->role(), QAccessible::Link);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
