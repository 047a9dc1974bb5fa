// The window keeps up with the engine without paying for every block: the yield may skip turns of the event
// loop and the progress box may skip drawing a picture it already shows. These tests make sure neither shortcut
// ever loses an event or leaves a wrong picture.

#include "ui/widgets/CPictureBox.h"
#include "ui/main/EventPump.h"
#include "ui/main/frmMain.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

const QRgb Silver = qRgb(192, 192, 192);
const QRgb Grey = qRgb(128, 128, 128);
constexpr int MidRow = 7;
// Far longer than any sensible pace of the yields; only a pump that never turns the loop runs into it.
constexpr int GiveUpMs = 3000;

QRgb shown(CPictureBox* box, int x, int y) {
    return box->grab().toImage().pixel(x + 1, y + 1) | 0xFF000000;
}

class EventCounter : public QObject {
public:
    int seen = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++seen;
        return true;
    }
};

// Yields the way the engine does, back to back, until the condition holds or the time is clearly up.
bool yieldUntil(EventPump& pump, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < GiveUpMs)
        pump.run();
    return done();
}

enum class Pending { PostedEvent, DueTimer, Repaint };
enum class Disturbance { CanvasRemade, CanvasDrawnOver, BoxResized };

} // namespace

Q_DECLARE_METATYPE(Pending)
Q_DECLARE_METATYPE(Disturbance)

class tst_WindowPace : public QObject {
    Q_OBJECT
private slots:
    void firstYieldRunsWhatIsPending();
    void steadyYieldsStillRunEvents_data();
    void steadyYieldsStillRunEvents();
    void sameValueAfterDisturbanceDrawsAgain_data();
    void sameValueAfterDisturbanceDrawsAgain();
};

// A run's first yield comes right after the click: whatever is already waiting (a close, a second click) must be
// seen there, not a few milliseconds later.
void tst_WindowPace::firstYieldRunsWhatIsPending() {
    EventCounter receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EventPump pump;
    pump.run();
    QCOMPARE(receiver.seen, 1);
}

void tst_WindowPace::steadyYieldsStillRunEvents_data() {
    QTest::addColumn<Pending>("pending");
    QTest::newRow("an event posted mid-run") << Pending::PostedEvent;
    QTest::newRow("a timer falling due mid-run") << Pending::DueTimer;
    QTest::newRow("a repaint asked for mid-run") << Pending::Repaint;
}

// The engine yields without pause for the whole of a long run; events that arrive meanwhile must still be run
// by those yields, however many turns the pump skips.
void tst_WindowPace::steadyYieldsStillRunEvents() {
    QFETCH(Pending, pending);
    EventPump pump;
    pump.run();

    EventCounter receiver;
    QTimer timer;
    bool fired = false;
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* box = window.findChild<CPictureBox*>(QStringLiteral("picProgress"));
    int paints = 0;
    struct PaintWatch : QObject {
        int* paints;
        explicit PaintWatch(int* p) : paints(p) {}
        bool eventFilter(QObject*, QEvent* e) override {
            *paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } watch(&paints);
    box->installEventFilter(&watch);
    pump.run();

    std::function<bool()> done;
    switch (pending) {
    case Pending::PostedEvent:
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        done = [&] { return receiver.seen == 1; };
        break;
    case Pending::DueTimer:
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &timer, [&] { fired = true; });
        timer.start(1);
        done = [&] { return fired; };
        break;
    case Pending::Repaint:
        paints = 0;
        window.spProg(37);
        done = [&] { return paints > 0; };
        break;
    }
    QVERIFY(yieldUntil(pump, done));
}

void tst_WindowPace::sameValueAfterDisturbanceDrawsAgain_data() {
    QTest::addColumn<Disturbance>("disturbance");
    QTest::newRow("canvas remade") << Disturbance::CanvasRemade;
    QTest::newRow("canvas drawn over") << Disturbance::CanvasDrawnOver;
    QTest::newRow("box resized and back") << Disturbance::BoxResized;
}

// Skipping a call that repeats the value is only sound while the box still holds that call's picture.
void tst_WindowPace::sameValueAfterDisturbanceDrawsAgain() {
    QFETCH(Disturbance, disturbance);
    frmMain window;
    auto* box = window.findChild<CPictureBox*>(QStringLiteral("picProgress"));
    window.spProg(45);
    switch (disturbance) {
    case Disturbance::CanvasRemade:
        box->setBorder(box->border());
        break;
    case Disturbance::CanvasDrawnOver:
        box->canvas().fill(Qt::white);
        break;
    case Disturbance::BoxResized: {
        const QSize size = box->size();
        box->resize(size / 2);
        box->canvas();
        box->resize(size);
        break;
    }
    }
    window.spProg(45);
    QCOMPARE(shown(box, 30, MidRow), qRgb(0, 0, 0));
    QCOMPARE(shown(box, 31, MidRow), Grey);
    QCOMPARE(shown(box, 99, MidRow), Grey); // 30 + 69.75
    QCOMPARE(shown(box, 100, MidRow), Silver);
    QCOMPARE(shown(box, 150, MidRow), Silver);
}

QTEST_MAIN(tst_WindowPace)
#include "tst_windowpace.moc"
