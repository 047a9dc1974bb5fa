// The window on a screen with a device pixel ratio of 2: same logical places, sharper pictures.
#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/Skin.h"

#include <QtTest>

namespace {

using Layout::MainControl;
using enum Layout::MainControl;

// Aligned 2 x 2 blocks of device pixels that are not one colour. A 1x picture doubled has none: every
// one of them is detail that only a drawing made for the dense screen can carry.
int finerThanOnePixel(const QImage& image) {
    int blocks = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            blocks += (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p);
        }
    return blocks;
}

QImage grabAtRatio(QWidget& control) {
    const QImage image = control.grab().toImage();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

class tst_HiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logicalPlacesStay_data();
    void logicalPlacesStay();
    void picturesCarryFinerDetail_data();
    void picturesCarryFinerDetail();
    void progressBarEndsOnADevicePixel();
    void splitPanelBorderIsWhole();
    void handCursorHasAFinerImage();
};

void tst_HiDpi::initTestCase() {
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void tst_HiDpi::logicalPlacesStay_data() {
    QTest::addColumn<int>("control"); // OnWindow for the window itself
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("the window") << Layout::OnWindow << QRect(0, 0, 289, 148);
    QTest::newRow("title, sized by its picture") << int(Image1) << QRect(37, -2, 114, 22);
    QTest::newRow("path caption, sized by its picture") << int(Picture1) << QRect(209, 1, 61, 29);
    QTest::newRow("split tab, sized by its picture") << int(imgTab_0) << QRect(216, 0, 73, 32);
}

void tst_HiDpi::logicalPlacesStay() {
    QFETCH(int, control);
    QFETCH(QRect, geometry);
    frmMain w;
    QWidget* widget = control == Layout::OnWindow ? &w : widgetOf(w, MainControl(control));
    QVERIFY(widget);
    QCOMPARE(QRect(widget == &w ? QPoint() : widget->pos(), widget->size()), geometry);
}

void tst_HiDpi::picturesCarryFinerDetail_data() {
    QTest::addColumn<int>("control");
    for (const MainControl control : Layout::controls<MainControl>()) {
        if (*Layout::of(control).picture)
            QTest::newRow(Layout::of(control).name) << int(control);
    }
}

void tst_HiDpi::picturesCarryFinerDetail() {
    QFETCH(int, control);
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* picture = widgetOf(w, MainControl(control));
    const QImage shown = grabAtRatio(*picture);
    QCOMPARE(shown.size(), picture->size() * 2);
    QVERIFY2(finerThanOnePixel(shown) > 0, "the picture is its 1x art doubled");
}

void tst_HiDpi::progressBarEndsOnADevicePixel() {
    // 33 % ends at 81.15: on column 81 of a 1x box, on device column 162 (not 163) of a 2x one.
    frmMain w;
    w.spProg(33);
    auto* box = widgetOf<CPictureBox>(w, picProgress);
    const QImage shown = grabAtRatio(*box);
    const int row = 2 * (1 + 7);
    QCOMPARE(shown.pixel(2 + 162, row), qRgb(128, 128, 128));
    QCOMPARE(shown.pixel(2 + 163, row), qRgb(192, 192, 192));
    QCOMPARE(shown.pixel(2 + 2 * 30, row), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(2 + 2 * 30 + 1, row), qRgb(0, 0, 0));
    QVERIFY2(finerThanOnePixel(shown.copy(2, 2, 2 * 29, 2 * 15)) > 0, "the figure is drawn at 1x and doubled");
}

// The panel's controls lie inside its border, which is one pixel of the design, unbroken at 96 and 192 dpi.
void tst_HiDpi::splitPanelBorderIsWhole() {
    frmMain w;
    QWidget* panel = widgetOf(w, picCHolder_0);
    for (const int ratio : {1, 2}) {
        QImage drawn(panel->size() * ratio, QImage::Format_RGB32);
        drawn.setDevicePixelRatio(ratio);
        panel->render(&drawn);
        for (int y = drawn.height() - ratio; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                QVERIFY2(drawn.pixel(x, y) == qRgb(0, 0, 0),
                         qPrintable(QStringLiteral("%1 %2,%3").arg(ratio).arg(x).arg(y)));
    }
}

void tst_HiDpi::handCursorHasAFinerImage() {
    const QCursor& hand = Skin::handCursor();
    QCOMPARE(hand.pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(hand.pixmap().size(), QSize(64, 64));
    QCOMPARE(hand.hotSpot(), QPoint(12, 0)); // the finger tip, in the image's own pixels as X11 takes it
}

int main(int argc, char** argv) {
    // The whole window as on a laptop or 4K screen set to a scale of 2.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    tst_HiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
