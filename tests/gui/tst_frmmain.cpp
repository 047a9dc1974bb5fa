#include "app/Layout.h"
#include "app/MainWindow.h"
#include "app/support/Behaviours.h"
#include "app/support/RecordingFileDialogBackend.h"
#include "gui/support/ModalCatcher.h"
#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/Skin.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Layout::MainControl;

int stackIndex(const QWidget* w) {
    return w->parentWidget()->children().indexOf(const_cast<QWidget*>(w));
}

bool isBox(const QWidget* w) {
    return qobject_cast<const CPictureBox*>(w) || qobject_cast<const QLineEdit*>(w);
}

QString classOf(Layout::Kind kind) {
    switch (kind) {
    case Layout::Kind::Image:
        return QStringLiteral("CImageBox");
    case Layout::Kind::PictureBox:
        return QStringLiteral("CPictureBox");
    case Layout::Kind::TextBox:
        return QStringLiteral("CTextBox");
    case Layout::Kind::Label:
        return QStringLiteral("CLabel");
    default:
        return QStringLiteral("QWidget");
    }
}

QString textOf(const QWidget* w) {
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    return {};
}

// A point of the window where `target` is the control that the mouse meets.
QPoint visiblePoint(QWidget& window, QWidget* target) {
    const QRect area(target->mapTo(&window, QPoint(0, 0)), target->size());
    for (int y = area.top(); y <= area.bottom(); y += 2) {
        for (int x = area.left(); x <= area.right(); x += 2) {
            if (window.childAt(x, y) == target)
                return QPoint(x, y);
        }
    }
    return area.center();
}

// The tab that lies in front where the two tabs overlap.
QWidget* frontTab(QWidget& window) {
    const QRect split = widgetOf(window, MainControl::imgTab_0)->geometry();
    const QRect join = widgetOf(window, MainControl::imgTab_1)->geometry();
    return window.childAt((split & join).center());
}

// Whether the window draws the focus frame: the control looks different with the focus than without.
bool dottedFrameShows(QWidget* probe) {
    probe->setFocus(Qt::OtherFocusReason);
    const QImage focused = probe->grab().toImage();
    probe->clearFocus();
    return focused != probe->grab().toImage();
}

void pressKey(QWidget* target, const Keys::Press& press) {
    const Qt::Key key = press.key == Keys::Key::Space   ? Qt::Key_Space
                        : press.key == Keys::Key::Enter ? Qt::Key_Return
                                                        : Qt::Key_Tab;
    const Qt::KeyboardModifiers modifiers =
        (press.ctrl ? Qt::ControlModifier : Qt::NoModifier) | (press.shift ? Qt::ShiftModifier : Qt::NoModifier);
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QTest::simulateEvent(target, true, key, modifiers, text, press.repeat);
    QTest::simulateEvent(target, false, key, modifiers, text, press.repeat);
}

} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT
private slots:
    void window();
    void controls_data();
    void controls();
    void stacking_data();
    void stacking();
    void browseLabelColours_data();
    void browseLabelColours();
    void moving_data();
    void moving();
    void exitClosesTheWindow();
    void keysActLikeAClick_data();
    void keysActLikeAClick();
    void behaviours_data();
    void behaviours();
    void accessibleNames();
    void disabledControlTakesNoPress_data();
    void disabledControlTakesNoPress();
    void progressReportsItsValue();
    void wholeSplitFromTheKeyboard();
};

void tst_frmMain::window() {
    frmMain w;
    QCOMPARE(w.windowTitle(), QString::fromUtf8(MainWindow::Title));
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.size(), QSize(MainWindow::InnerWidth, MainWindow::InnerHeight));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.palette().color(QPalette::Window), Skin::colour(Colours::Silver));
    QCOMPARE(w.windowIcon().pixmap(16, 16).size(), QSize(16, 16));
    QCOMPARE(w.iMode(), Mode::Split);
}

// Each control by its design name, which outside tools look for.
void tst_frmMain::controls_data() {
    QTest::addColumn<int>("control");
    const char* const named[] = {"Image1",       "imgExit",    "imgInfo",     "imgTab_1", "imgTab_0",    "picCHolder_1",
                                 "picCHolder_0", "Label_2",    "lblBrowse",   "Picture2", "Picture1",    "txtSegSize",
                                 "txtSFName",    "lblSBrowse", "txtSegfname", "Picture3", "picProgress", "Picture4"};
    QCOMPARE(std::size(named), Layout::mainWindow().size());
    for (const MainControl control : Layout::controls<MainControl>())
        QTest::newRow(named[Layout::rowOf(control)]) << int(control);
}

// Every control where the table puts it, of its kind, with its design name, texts and look.
void tst_frmMain::controls() {
    QFETCH(int, control);
    const Layout::Control& row = Layout::of(MainControl(control));
    frmMain w;
    QWidget* c = w.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(c);
    QCOMPARE(QString::fromLatin1(c->metaObject()->className()), classOf(row.kind));
    QCOMPARE(c->parentWidget(), row.parent == Layout::OnWindow ? &w : widgetOf(w, MainControl(row.parent)));
    const int inPanel = row.parent == Layout::OnWindow ? 0 : 1; // inside the panel's border
    QCOMPARE(c->geometry(), QRect(Layout::px(row.place.left) + inPanel, Layout::px(row.place.top) + inPanel,
                                  Layout::px(row.place.width), Layout::px(row.place.height)));
    QCOMPARE(textOf(c), QString::fromUtf8(row.text));
    QCOMPARE(c->toolTip(), QString::fromUtf8(row.toolTip));
    QCOMPARE(c->isEnabled(), row.look.enabled);
    QCOMPARE(c->focusPolicy(), row.tabPlace == Layout::NoTab ? Qt::NoFocus : Qt::TabFocus);
    switch (row.look.cursor) {
    case Layout::Cursor::Arrow:
        QVERIFY(c->cursor().shape() != Qt::BitmapCursor && c->cursor().shape() != Qt::UpArrowCursor);
        break;
    case Layout::Cursor::UpArrow:
        QCOMPARE(c->cursor().shape(), Qt::UpArrowCursor);
        break;
    case Layout::Cursor::Hand:
        QCOMPARE(c->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(c->cursor().hotSpot(), QPoint(6, 0));
        QCOMPARE(c->cursor().pixmap().size(), QSize(32, 32));
        break;
    }
    if (auto* box = qobject_cast<CPictureBox*>(c)) {
        QCOMPARE(box->backColor(), Skin::colour(row.look.back));
        QVERIFY(box->border() == row.look.border);
        if (!box->picture().isNull())
            QCOMPARE(box->picture().toImage().pixel(0, 0) | 0xFF000000, qRgb(192, 192, 192));
    }
    if (auto* label = qobject_cast<CLabel*>(c)) {
        QCOMPARE(label->backColor(), row.look.transparent ? QColor() : Skin::colour(row.look.back));
        QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), row.look.align == Layout::Align::Centre);
    }
    if (row.kind != Layout::Kind::Image)
        QCOMPARE(c->palette().color(QPalette::WindowText), Skin::colour(row.look.fore));
}

void tst_frmMain::stacking_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("at start") << QList<int>{};
    QTest::newRow("join") << QList<int>{1};
    QTest::newRow("join, split") << QList<int>{1, 0};
    QTest::newRow("join twice") << QList<int>{1, 1};
    QTest::newRow("split while in split") << QList<int>{0};
}

void tst_frmMain::stacking() {
    QFETCH(QList<int>, clicks);
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* textBox = widgetOf<QLineEdit>(w, MainControl::txtSegSize);
    const MainControl tabs[] = {MainControl::imgTab_0, MainControl::imgTab_1};
    const MainControl panels[] = {MainControl::picCHolder_0, MainControl::picCHolder_1};
    textBox->setText(QStringLiteral("typed"));
    int mode = 0;
    for (int i : clicks) {
        // Click where the two tabs do not overlap, so the click reaches the intended tab whatever its layer.
        QWidget* tab = widgetOf(w, tabs[i]);
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                          tab->geometry().center() + QPoint(i == 0 ? 20 : -20, 0));
        mode = i;
    }
    QCOMPARE(w.iMode(), modeOfTab(mode));
    const int other = 1 - mode;
    QVERIFY(stackIndex(widgetOf(w, panels[mode])) > stackIndex(widgetOf(w, panels[other])));
    QVERIFY(stackIndex(widgetOf(w, tabs[mode])) > stackIndex(widgetOf(w, tabs[other])));
    QCOMPARE(w.childAt(QPoint(220, 10)), widgetOf(w, tabs[mode]));
    QCOMPARE(w.childAt(QPoint(150, 104)), widgetOf(w, panels[mode]));

    // Labels and images stay behind every box of their container.
    for (QWidget* parent : {static_cast<QWidget*>(&w), widgetOf(w, panels[0]), widgetOf(w, panels[1])}) {
        bool seenBox = false;
        for (QObject* child : parent->children()) {
            auto* cw = qobject_cast<QWidget*>(child);
            if (!cw)
                continue;
            if (isBox(cw))
                seenBox = true;
            else
                QVERIFY2(!seenBox, qPrintable(cw->objectName() + QLatin1String(" lies over a box")));
        }
    }
    QCOMPARE(textBox->text(), QStringLiteral("typed"));
}

void tst_frmMain::browseLabelColours_data() {
    QTest::addColumn<int>("control");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releaseAt");
    const int split = int(MainControl::lblBrowse), join = int(MainControl::lblSBrowse);
    QTest::newRow("split, left, inside") << split << Qt::LeftButton << QPoint(5, 5);
    QTest::newRow("split, right, inside") << split << Qt::RightButton << QPoint(5, 5);
    QTest::newRow("split, left, outside") << split << Qt::LeftButton << QPoint(90, 40);
    QTest::newRow("join, left, inside") << join << Qt::LeftButton << QPoint(5, 5);
    QTest::newRow("join, middle, outside") << join << Qt::MiddleButton << QPoint(-40, 3);
}

void tst_frmMain::browseLabelColours() {
    QFETCH(int, control);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releaseAt);
    const auto browse = MainControl(control);
    // A click that ends on the label opens the Open dialog; the scripted one answers "cancel" at once.
    RecordingDialogs noDialog;
    frmMain w({{}, noDialog.factory(), {}});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    if (browse == MainControl::lblSBrowse)
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(170, 10));
    auto* label = widgetOf<CLabel>(w, browse);
    const QPoint at = label->mapTo(&w, QPoint(5, 5));
    const Layout::Look& look = Layout::of(browse).look;
    QCOMPARE(label->backColor(), Skin::colour(look.back));
    QTest::mousePress(w.windowHandle(), button, {}, at);
    QCOMPARE(label->backColor(), Skin::colour(look.pressedBack));
    QTest::mouseRelease(w.windowHandle(), button, {}, label->mapTo(&w, releaseAt));
    QCOMPARE(label->backColor(), Skin::colour(look.back));
    // Only a left click opens the dialog.
    QCOMPARE(noDialog->calls.size(), button == Qt::LeftButton && releaseAt == QPoint(5, 5) ? 1 : 0);
}

void tst_frmMain::moving_data() {
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left on the bare surface") << QPoint(65, 140) << Qt::LeftButton << true;
    QTest::newRow("left on the disabled title") << QPoint(100, 10) << Qt::LeftButton << true;
    QTest::newRow("right on the bare surface") << QPoint(65, 140) << Qt::RightButton << false;
    QTest::newRow("left on a panel") << QPoint(150, 104) << Qt::LeftButton << false;
    QTest::newRow("left on the start button") << QPoint(30, 130) << Qt::LeftButton << false;
}

void tst_frmMain::moving() {
    QFETCH(QPoint, pressAt);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, moves);
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();
    const QPoint target = w.mapToGlobal(pressAt) + QPoint(20, 5);
    // A press and release on the start button is a click: its failure box (nothing typed) is closed at once.
    ModalCatcher boxes;
    QTest::mousePress(w.windowHandle(), button, {}, pressAt);
    QTest::mouseMove(w.windowHandle(), w.mapFromGlobal(target));
    // Released where the mouse now is: over the moved window, that is the point first pressed.
    QTest::mouseRelease(w.windowHandle(), button, {}, w.mapFromGlobal(target));
    QCOMPARE(w.pos(), moves ? start + QPoint(20, 5) : start);
}

void tst_frmMain::exitClosesTheWindow() {
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(9, 9));
    QVERIFY(!w.isVisible());
}

// What Space and Enter do to the tabs is the behaviour table's; here, the keys on the controls that open a window,
// a dialog or close.
void tst_frmMain::keysActLikeAClick_data() {
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");
    QTest::newRow("info, keypad Enter") << int(MainControl::imgInfo) << int(Qt::Key_Enter) << "About";
    QTest::newRow("exit, Space") << int(MainControl::imgExit) << int(Qt::Key_Space) << "closed";
    QTest::newRow("split browse, Enter") << int(MainControl::lblBrowse) << int(Qt::Key_Return) << "dialog";
    QTest::newRow("join browse, Space") << int(MainControl::lblSBrowse) << int(Qt::Key_Space) << "dialog";
    QTest::newRow("exit, a letter does nothing") << int(MainControl::imgExit) << int(Qt::Key_A) << "";
}

void tst_frmMain::keysActLikeAClick() {
    QFETCH(int, control);
    QFETCH(int, key);
    QFETCH(QString, effect);
    RecordingDialogs dialogs;
    QString seenModal;
    ModalCatcher modals([&seenModal](QWidget* modal) {
        seenModal = modal->objectName();
        modal->close();
    });
    frmMain w({{}, dialogs.factory(), {}});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* c = widgetOf(w, MainControl(control));
    c->setFocus(Qt::TabFocusReason);
    QTest::keyClick(c, Qt::Key(key));

    const bool closed = !w.isVisible();
    QCOMPARE(closed, effect == QLatin1String("closed"));
    QCOMPARE(seenModal, effect == QLatin1String("About") ? QStringLiteral("frmAbout") : QString());
    QCOMPARE(dialogs->calls.size(), effect == QLatin1String("dialog") ? 1 : 0);
}

void tst_frmMain::behaviours_data() {
    QTest::addColumn<int>("index");
    const std::vector<Behaviours::Row> rows = Behaviours::mainWindowRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        QTest::newRow(rows[i].name.c_str()) << static_cast<int>(i);
}

// The shared table, played with real mouse and key events; what it expects is read from Qt: the focus widget, the
// dotted frame's pixels and the tab in front.
void tst_frmMain::behaviours() {
    QFETCH(int, index);
    const Behaviours::Row row = Behaviours::mainWindowRows()[static_cast<std::size_t>(index)];
    frmMain w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QWidget* c = widgetOf(w, row.control);
    if (row.action == Behaviours::Action::Key) {
        c->setFocus(Qt::OtherFocusReason);
        pressKey(c, row.key);
    } else {
        const Qt::MouseButton button = row.action == Behaviours::Action::LeftClick ? Qt::LeftButton : Qt::RightButton;
        QTest::mouseClick(w.windowHandle(), button, {}, visiblePoint(w, c));
    }
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), widgetOf(w, row.focusAfter));
    QCOMPARE(frontTab(w), widgetOf(w, row.modeAfter == Mode::Join ? MainControl::imgTab_1 : MainControl::imgTab_0));
    QCOMPARE(dottedFrameShows(widgetOf(w, MainControl::imgInfo)), row.cuesAfter);
}

void tst_frmMain::accessibleNames() {
    frmMain w;
    QSet<QString> names;
    for (const MainControl control : Layout::controls<MainControl>()) {
        if (control == MainControl::Image1 || control == MainControl::Label_2)
            continue; // decoration, which screen readers pass over
        const char* name = Layout::of(control).name;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widgetOf(w, control));
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), name);
        QVERIFY2(!a->text(QAccessible::Description).isEmpty(), name);
        QVERIFY2(!names.contains(a->text(QAccessible::Name)), name);
        names.insert(a->text(QAccessible::Name));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(widgetOf(w, MainControl::imgTab_0))->role(), QAccessible::PageTab);
    // A label's interface exists from the moment its text is set, before its role was given.
    QCOMPARE(QAccessible::queryAccessibleInterface(widgetOf(w, MainControl::lblBrowse))->role(), QAccessible::Button);
    QAccessibleInterface* start = QAccessible::queryAccessibleInterface(widgetOf(w, MainControl::Picture4));
    QCOMPARE(start->role(), QAccessible::Button);
    QVERIFY(start->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));

    // A screen reader's press is a click.
    QAccessibleInterface* joinTab = QAccessible::queryAccessibleInterface(widgetOf(w, MainControl::imgTab_1));
    joinTab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w.iMode(), Mode::Join);
}

void tst_frmMain::disabledControlTakesNoPress_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("mouse") << "mouse";
    QTest::newRow("Space") << "key";
    QTest::newRow("screen reader's press") << "accessible";
}

// The start button is off during a run so that no way of pressing it starts a second one. Every picture and label
// that acts on a click takes its presses through the same doors; a tab shows at once whether one got through.
void tst_frmMain::disabledControlTakesNoPress() {
    QFETCH(QString, way);
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QWidget* joinTab = widgetOf(w, MainControl::imgTab_1);
    joinTab->setEnabled(false);
    if (way == QLatin1String("mouse"))
        QTest::mouseClick(joinTab, Qt::LeftButton, {}, QPoint(5, 5));
    else if (way == QLatin1String("key"))
        QTest::keyClick(joinTab, Qt::Key_Space);
    else
        QAccessible::queryAccessibleInterface(joinTab)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    QCOMPARE(w.iMode(), Mode::Split);
}

void tst_frmMain::progressReportsItsValue() {
    frmMain w;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widgetOf(w, MainControl::picProgress));
    QCOMPARE(a->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = a->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 0);
    QCOMPARE(value->maximumValue().toInt(), 100);
    w.spProg(45);
    QCOMPARE(value->currentValue().toInt(), 45);
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("45%"));
}

void tst_frmMain::wholeSplitFromTheKeyboard() {
    QTemporaryDir dir;
    QFile source(dir.filePath(QStringLiteral("a.bin")));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(QByteArray(600000, 'z'));
    source.close();

    frmMain w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto key = [](int k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), modifiers);
    };
    key(Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), source.fileName());
    key(Qt::Key_Tab);
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0.25"));
    QWidget* start = widgetOf(w, MainControl::Picture4);
    for (int i = 0; i < 20 && QApplication::focusWidget() != start; ++i)
        key(Qt::Key_Tab);

    // The outcome box is answered with Enter, whenever it comes.
    QString outcome;
    QTimer answer;
    connect(&answer, &QTimer::timeout, &w, [&outcome] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            outcome = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    answer.start(20);
    key(Qt::Key_Space);
    QTRY_VERIFY(outcome.contains(QLatin1String(" 3 hisson")));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // The focus is back on the start button, shown, and Tab goes on from there.
    QTRY_VERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget(), start);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), widgetOf(w, MainControl::imgTab_0));
    QVERIFY(QFile::exists(source.fileName() + QStringLiteral(".003")));
    QVERIFY(!QFile::exists(source.fileName() + QStringLiteral(".004")));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
