#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CPictureBox.h"

#include <QtTest>

namespace {

const QRgb Silver = qRgb(192, 192, 192);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Black = qRgb(0, 0, 0);
constexpr int MidRow = 7; // a row inside the bar, clear of the frame's top and bottom lines

// A pixel of the box's inner drawing area, as the box shows it on screen (inside its one-pixel border).
QRgb shown(const QImage& box, int x, int y) {
    return (box.pixel(x + 1, y + 1) & 0xFFFFFF) | 0xFF000000;
}

QImage render(frmMain& window) {
    return widgetOf<CPictureBox>(window, Layout::MainControl::picProgress)->grab().toImage();
}

int inkIn(const QImage& box, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += shown(box, x, y) != Silver ? 1 : 0;
    return ink;
}

} // namespace

class tst_spProg : public QObject {
    Q_OBJECT
private slots:
    void barEnds_data();
    void barEnds();
    void shorterBarLeavesNothingOfTheLonger();
    void repeatedCallsDrawTheSamePicture();
    void loadPictureShowsOnFirstShow();
    void textSitsLeftOfTheBar();
    void textsFitWithEachFace_data();
    void textsFitWithEachFace();
};

void tst_spProg::barEnds_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("lastGrey");   // rightmost grey column, or -1 when the frame hides the fill
    QTest::addColumn<int>("firstClear"); // first column right of the fill that shows the background

    QTest::newRow("0: nothing past the frame's left side") << 0 << -1 << 31;
    QTest::newRow("1: 31.55 ends on column 31") << 1 << 31 << 32;
    QTest::newRow("50: 107.5 ends on column 107") << 50 << 107 << 108;
    QTest::newRow("99") << 99 << 183 << -1;
    QTest::newRow("100: one column past the frame") << 100 << 185 << 186;
    QTest::newRow("110: not clamped") << 110 << 200 << 201;
}

void tst_spProg::barEnds() {
    QFETCH(int, percent);
    QFETCH(int, lastGrey);
    QFETCH(int, firstClear);
    frmMain window;
    window.spProg(static_cast<std::int16_t>(percent));
    const QImage box = render(window);

    QCOMPARE(shown(box, 30, MidRow), Black);
    QCOMPARE(shown(box, 184, MidRow), Black);
    QCOMPARE(shown(box, 100, 2), Black);
    QCOMPARE(shown(box, 100, 12), Black);
    if (lastGrey >= 0) {
        QCOMPARE(shown(box, 31, MidRow), Grey);
        QCOMPARE(shown(box, lastGrey, MidRow), Grey);
        QCOMPARE(shown(box, lastGrey, 3), Grey);
    }
    if (firstClear >= 0)
        QCOMPARE(shown(box, firstClear, MidRow), Silver);
    QCOMPARE(shown(box, 29, MidRow), Silver);
    QCOMPARE(shown(box, 100, 1), Silver);
    QCOMPARE(shown(box, 100, 13), Silver);
}

void tst_spProg::shorterBarLeavesNothingOfTheLonger() {
    frmMain window;
    window.spProg(100);
    window.spProg(7);
    const QImage box = render(window);
    QCOMPARE(shown(box, 40, MidRow), Grey); // 30 + 10.85
    QCOMPARE(shown(box, 41, MidRow), Silver);
    QCOMPARE(inkIn(box, QRect(41, 3, 143, 9)), 0);
    QCOMPARE(shown(box, 185, MidRow), Silver);
}

void tst_spProg::repeatedCallsDrawTheSamePicture() {
    frmMain once;
    once.spProg(45);
    frmMain twice;
    twice.spProg(45);
    twice.spProg(45);
    QCOMPARE(render(twice), render(once));

    frmMain other;
    other.spProg(46);
    QVERIFY(render(other) != render(once));
}

void tst_spProg::loadPictureShowsOnFirstShow() {
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage whole = window.grab().toImage();
    auto* box = widgetOf<CPictureBox>(window, Layout::MainControl::picProgress);
    const QPoint origin = box->geometry().topLeft() + QPoint(1, 1);
    QCOMPARE(whole.pixel(origin + QPoint(30, MidRow)) | 0xFF000000, Black);
    QCOMPARE(whole.pixel(origin + QPoint(31, MidRow)) | 0xFF000000, Silver);
    QVERIFY(inkIn(render(window), QRect(0, 0, 29, 15)) > 0);
}

void tst_spProg::textSitsLeftOfTheBar() {
    // The percentage is text: it changes with the value and stays in the strip left of the bar.
    frmMain a;
    a.spProg(0);
    frmMain b;
    b.spProg(88);
    const QImage boxA = render(a);
    const QImage boxB = render(b);
    QVERIFY(inkIn(boxA, QRect(0, 0, 3, 15)) == 0);
    QVERIFY(inkIn(boxA, QRect(3, 1, 26, 14)) > 0);
    QVERIFY(boxA.copy(1, 1, 29, 15) != boxB.copy(1, 1, 29, 15));

    frmMain negative;
    negative.spProg(-10); // 30 - 15.5: the fill lies left of the frame, from column 14
    const QImage boxN = render(negative);
    QCOMPARE(shown(boxN, 14, MidRow) == Silver, false);
    QCOMPARE(shown(boxN, 31, MidRow), Silver);
}

void tst_spProg::textsFitWithEachFace_data() {
    QTest::addColumn<QString>("face");
    QTest::newRow("DejaVu Sans") << "DejaVu Sans";
    QTest::newRow("Noto Sans") << "Noto Sans";
    QTest::newRow("Liberation Sans") << "Liberation Sans";
}

// The window's texts keep to their places whichever common face the desktop gives it: "100%" leaves a column of
// the ground before the bar's frame, and nothing of "MB" falls outside its label.
void tst_spProg::textsFitWithEachFace() {
    QFETCH(QString, face);
    if (QFontInfo(QFont(face)).family() != face)
        QSKIP("this face is not installed");
    const QFont before = QApplication::font();
    QApplication::setFont(QFont(face));
    frmMain window;
    QApplication::setFont(before);

    window.spProg(100);
    const QImage box = render(window);
    QVERIFY(inkIn(box, QRect(3, 1, 26, 13)) > 0);
    QCOMPARE(inkIn(box, QRect(29, 0, 1, 15)), 0);

    auto* unit = widgetOf(window, Layout::MainControl::Label_2);
    const int width = unit->width();
    unit->resize(width + 8, unit->height());
    const QImage label = unit->grab().toImage();
    int inkPast = 0;
    for (int y = 0; y < label.height(); ++y)
        for (int x = width; x < label.width(); ++x)
            inkPast += (label.pixel(x, y) | 0xFF000000) != Silver ? 1 : 0;
    QCOMPARE(inkPast, 0);
}

QTEST_MAIN(tst_spProg)
#include "tst_spprog.moc"
